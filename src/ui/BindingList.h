#pragma once
// The bindings the main window lists, in row order, without any window: the list view and the
// hotkey items follow this model through the changes each operation reports. The blank row
// through which a binding is added is not stored; it is always the row at index Count().

#include <string>
#include <vector>

#include "app/Binding.h"

// What one operation changed, for the views that show the model.
struct TListChange {
    // The new row order when rows moved: row p now holds what row From[p] held before. An added
    // binding appears as the old Count() (the blank row's old index). Empty when nothing moved.
    std::vector<int> From;
    // The row the added or updated binding sits in now; -1 when none.
    int Row = -1;
    // Rows whose binding the operation touched (enable/disable one or all, delete), in ascending
    // order; for Delete the deleted row's old index. For AddAll the rows the added bindings sit
    // in now, so that loading into an already ordered list still reports the new rows.
    std::vector<int> Rows;
    bool Changed() const;  // anything at all changed in the rows
};

class TBindingList {
public:
    int Count() const { return static_cast<int>(FRows.size()); }
    int BlankRow() const { return Count(); }
    bool IsBindingRow(int row) const { return row >= 0 && row < Count(); }
    // Throws std::out_of_range outside 0..Count()-1.
    const TBinding& At(int row) const;
    std::vector<TBinding> Bindings() const;            // in row order
    std::vector<std::string> Shortcuts() const;        // ShortcutText() of each row, row order
    int RowOfShortcut(const std::string& text) const;  // -1 when none
    // The text a row is sorted by: column 0 its action, 1 its shortcut text. Empty for the blank
    // row and for any other column; throws std::out_of_range for rows beyond the blank row.
    std::string ColumnText(int row, int column) const;

    // Marks for rows whose shortcut another program holds (shown by the view, not stored).
    // False for rows that hold no binding.
    bool Refused(int row) const;
    bool SetRefused(int row, bool refused);  // true when it changed

    // 0 "Action", 1 "Hotkey"; 1 at construction.
    int SortColumn() const { return FSortColumn; }
    // Header click: column 0 sorts by action then makes 0 the sort column; column 1 makes 1 the
    // sort column then sorts; any other column does nothing.
    TListChange ColumnClick(int column);

    // Inserts in its sorted place (after every equal key) when the rows are in order of the sort
    // column; otherwise appends and sorts the whole list stably (as "append, then SortList").
    // Throws std::invalid_argument for a binding without a key (vkNone or outside the table).
    TListChange Add(const TBinding& b);
    // Appends all, then sorts once (the order adding one by one would give). For loading.
    // Throws std::invalid_argument, before adding any, when one of them has no key.
    TListChange AddAll(const std::vector<TBinding>& bindings);
    // Rewrites one binding row and re-sorts; does nothing (empty change) for a non-binding row.
    // The refused mark is cleared when the shortcut changes. Throws as Add does.
    TListChange Update(int row, const TBinding& b);
    // Exchanges two binding rows; nothing unless i != j and both are binding rows.
    TListChange Exchange(int i, int j);
    // Stable sort by column 0 or 1; other values do nothing. From empty when already in order.
    TListChange Sort(int column);
    // Removes one binding row (nothing for any other row); later rows move up.
    TListChange Delete(int row);
    // Enabled flag of one binding row / of all rows. Rows lists every row asked for (for
    // EnableAll/DisableAll that is every row, also those already in that state: an enabled row
    // whose shortcut was refused is asked for again by the view). Enable and Disable throw
    // std::out_of_range for a row that holds no binding.
    TListChange Enable(int row);
    TListChange Disable(int row);
    TListChange EnableAll();
    TListChange DisableAll();

    // Whether the binding rows are in ascending order of column 0 or 1.
    bool IsSorted(int column) const;

private:
    struct TRow {
        TBinding Binding;
        std::string Shortcut;  // Binding.ShortcutText(), kept so sorting does not rebuild it
        bool Refused = false;
    };

    const std::string& TextOf(int row, int column) const;
    // Moves the rows into the stable order of column (0 or 1); the change's From.
    std::vector<int> SortRows(int column);
    TListChange SetEnabled(int row, bool enabled);
    TListChange SetAllEnabled(bool enabled);

    std::vector<TRow> FRows;
    int FSortColumn = 1;
};
