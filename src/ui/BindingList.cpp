#include "ui/BindingList.h"

#include <stdexcept>
#include <utility>

#include "ui/BindingOrder.h"

namespace {

void RequireKey(const TBinding& b) {
    // NONE is in the key table but can never be registered: no binding may use it.
    if (b.Key == vkNone || !IsVirtKey(b.Key)) throw std::invalid_argument("A binding needs a key");
}

bool IsIdentity(const std::vector<int>& from) {
    for (size_t p = 0; p < from.size(); ++p)
        if (from[p] != static_cast<int>(p)) return false;
    return true;
}

int PositionOf(const std::vector<int>& from, int old) {
    for (size_t p = 0; p < from.size(); ++p)
        if (from[p] == old) return static_cast<int>(p);
    return old;  // nothing moved
}

}  // namespace

bool TListChange::Changed() const { return !From.empty() || Row >= 0 || !Rows.empty(); }

const TBinding& TBindingList::At(int row) const {
    if (!IsBindingRow(row)) throw std::out_of_range("No binding in row " + std::to_string(row));
    return FRows[static_cast<size_t>(row)].Binding;
}

std::vector<TBinding> TBindingList::Bindings() const {
    std::vector<TBinding> all;
    all.reserve(FRows.size());
    for (const TRow& r : FRows) all.push_back(r.Binding);
    return all;
}

std::vector<std::string> TBindingList::Shortcuts() const {
    std::vector<std::string> texts;
    texts.reserve(FRows.size());
    for (const TRow& r : FRows) texts.push_back(r.Shortcut);
    return texts;
}

int TBindingList::RowOfShortcut(const std::string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (FRows[static_cast<size_t>(i)].Shortcut == text) return i;
    return -1;
}

const std::string& TBindingList::TextOf(int row, int column) const {
    const TRow& r = FRows[static_cast<size_t>(row)];
    return column == 0 ? r.Binding.Action : r.Shortcut;
}

std::string TBindingList::ColumnText(int row, int column) const {
    if (row == BlankRow()) return {};
    if (!IsBindingRow(row)) throw std::out_of_range("No row " + std::to_string(row));
    return column == 0 || column == 1 ? TextOf(row, column) : std::string();
}

bool TBindingList::Refused(int row) const { return IsBindingRow(row) && FRows[static_cast<size_t>(row)].Refused; }

bool TBindingList::SetRefused(int row, bool refused) {
    if (!IsBindingRow(row)) return false;
    bool& mark = FRows[static_cast<size_t>(row)].Refused;
    if (mark == refused) return false;
    mark = refused;
    return true;
}

bool TBindingList::IsSorted(int column) const {
    if (column != 0 && column != 1) return false;
    for (int i = 1; i < Count(); ++i)
        if (CompareBindingKeys(TextOf(i - 1, column), TextOf(i, column)) > 0) return false;
    return true;
}

std::vector<int> TBindingList::SortRows(int column) {
    if (Count() < 2 || IsSorted(column)) return {};
    std::vector<std::string> texts;
    texts.reserve(FRows.size());
    for (int i = 0; i < Count(); ++i) texts.push_back(TextOf(i, column));
    std::vector<int> from = SortedOrder(texts);
    if (IsIdentity(from)) return {};
    std::vector<TRow> sorted;
    sorted.reserve(FRows.size());
    for (int old : from) sorted.push_back(std::move(FRows[static_cast<size_t>(old)]));
    FRows = std::move(sorted);
    return from;
}

TListChange TBindingList::Sort(int column) {
    TListChange change;
    if (column == 0 || column == 1) change.From = SortRows(column);
    return change;
}

TListChange TBindingList::ColumnClick(int column) {
    TListChange change;
    if (column == 0) {
        change = Sort(0);
        FSortColumn = 0;
    } else if (column == 1) {
        FSortColumn = 1;
        change = Sort(1);
    }
    return change;
}

TListChange TBindingList::Add(const TBinding& b) {
    RequireKey(b);
    TRow row{b, b.ShortcutText(), false};
    const int n = Count();
    TListChange change;
    if (IsSorted(FSortColumn)) {
        // Straight to where the stable sort would move it, so no other row moves further than
        // one place down.
        const std::string& text = FSortColumn == 0 ? row.Binding.Action : row.Shortcut;
        const int at = InsertPosition(n, [this](int i) -> const std::string& { return TextOf(i, FSortColumn); }, text);
        FRows.insert(FRows.begin() + at, std::move(row));
        change.Row = at;
        if (at != n) {
            change.From.resize(static_cast<size_t>(n) + 1);
            for (int p = 0; p <= n; ++p) change.From[static_cast<size_t>(p)] = p < at ? p : (p == at ? n : p - 1);
        }
        return change;
    }
    FRows.push_back(std::move(row));
    change.From = SortRows(FSortColumn);
    change.Row = PositionOf(change.From, n);
    return change;
}

TListChange TBindingList::AddAll(const std::vector<TBinding>& bindings) {
    for (const TBinding& b : bindings) RequireKey(b);
    TListChange change;
    if (bindings.empty()) return change;
    const int n = Count();
    FRows.reserve(FRows.size() + bindings.size());
    for (const TBinding& b : bindings) FRows.push_back({b, b.ShortcutText(), false});
    change.From = SortRows(FSortColumn);
    for (int p = 0; p < Count(); ++p) {
        const int old = change.From.empty() ? p : change.From[static_cast<size_t>(p)];
        if (old >= n) change.Rows.push_back(p);
    }
    return change;
}

TListChange TBindingList::Update(int row, const TBinding& b) {
    if (!IsBindingRow(row)) return {};
    RequireKey(b);
    TRow& r = FRows[static_cast<size_t>(row)];
    std::string text = b.ShortcutText();
    if (text != r.Shortcut) {
        // The mark was about the old shortcut; the new one has not been asked for yet.
        r.Shortcut = std::move(text);
        r.Refused = false;
    }
    r.Binding = b;
    TListChange change;
    change.From = SortRows(FSortColumn);
    change.Row = PositionOf(change.From, row);
    return change;
}

TListChange TBindingList::Exchange(int i, int j) {
    TListChange change;
    if (i == j || !IsBindingRow(i) || !IsBindingRow(j)) return change;
    std::swap(FRows[static_cast<size_t>(i)], FRows[static_cast<size_t>(j)]);
    change.From.resize(FRows.size());
    for (int p = 0; p < Count(); ++p) change.From[static_cast<size_t>(p)] = p == i ? j : (p == j ? i : p);
    return change;
}

TListChange TBindingList::Delete(int row) {
    TListChange change;
    if (!IsBindingRow(row)) return change;
    FRows.erase(FRows.begin() + row);
    change.Rows.push_back(row);
    return change;
}

TListChange TBindingList::SetEnabled(int row, bool enabled) {
    if (!IsBindingRow(row)) throw std::out_of_range("No binding in row " + std::to_string(row));
    TListChange change;
    FRows[static_cast<size_t>(row)].Binding.Enabled = enabled;
    change.Rows.push_back(row);
    return change;
}

TListChange TBindingList::SetAllEnabled(bool enabled) {
    TListChange change;
    change.Rows.reserve(FRows.size());
    for (int i = 0; i < Count(); ++i) {
        FRows[static_cast<size_t>(i)].Binding.Enabled = enabled;
        change.Rows.push_back(i);
    }
    return change;
}

TListChange TBindingList::Enable(int row) { return SetEnabled(row, true); }
TListChange TBindingList::Disable(int row) { return SetEnabled(row, false); }
TListChange TBindingList::EnableAll() { return SetAllEnabled(true); }
TListChange TBindingList::DisableAll() { return SetAllEnabled(false); }
