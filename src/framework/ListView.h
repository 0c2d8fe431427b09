// Report-view list. Row texts are kept here and shown through callbacks, so a row can hold
// text of any length; selection and focus live in the control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Handles.h"

namespace fw {

class TImageList : public TComponent {
public:
    TImageList(TComponent* AOwner, int width, int height);
    std::string ClassName() const override { return "TImageList"; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const;
    // Adds a 32-bit premultiplied-alpha image drawn by the caller at the given pixel size.
    int AddBitmap(HBITMAP bitmap);
    HIMAGELIST Handle() const { return FList.Get(); }
    // Recreates the list at a new pixel size (images are re-added by the owner).
    void Resize(int width, int height);

private:
    int FWidth, FHeight;
    THImageList FList;
};

struct TListColumn {
    std::string Caption;
    int Width = 50;  // 96-DPI pixels
};

class TListView : public TWinControl {
public:
    explicit TListView(TComponent* AOwner);
    std::string ClassName() const override { return "TListView"; }

    void AddColumn(const std::string& caption, int width);
    void SetStateImages(TImageList* images);
    void SetRowSelect(bool value) { FRowSelect = value; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    void SetBorder(bool value) { FBorder = value; }
    void SetHint(const std::string& hint) { FHint = hint; }
    const std::string& Hint() const { return FHint; }

    // Many changes in a row: the control neither draws nor lays out until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    int Count() const { return static_cast<int>(FRows.size()); }
    // Inserts an empty row at index (Count() appends) and returns its index.
    int Insert(int index);
    void Delete(int index);
    const std::string& ItemCaption(int index) const { return Row(index).Caption; }
    void SetItemCaption(int index, const std::string& text);
    // Sub-items: the texts of columns 1 and up.
    const std::vector<std::string>& SubItems(int index) const { return Row(index).SubItems; }
    void SetSubItems(int index, std::vector<std::string> texts);
    void AddSubItem(int index, const std::string& text);
    int StateIndex(int index) const { return Row(index).StateIndex; }
    void SetStateIndex(int index, int value);
    // Puts rows 0..from.size()-1 in a new order: row p takes what row from[p] held, its mark
    // included; selection and focus stay at their positions.
    void ReorderRows(const std::vector<int>& from);
    // A marked row is drawn in a warning colour and explains itself in a tip.
    bool RowMarked(int index) const { return Row(index).Marked; }
    void SetRowMark(int index, bool marked, const std::string& hint);
    // Exchanges the texts and state images of two rows; selection, focus and marks stay.
    void ExchangeRows(int i, int j);

    int Selected() const;  // -1 when none
    void SetSelected(int index);
    int ItemFocused() const;
    void SetItemFocused(int index);
    RECT ItemRect(int index);
    int TopOfRow(int index) { return ItemRect(index).top; }

    std::function<void(TObject* Sender)> OnDblClick;
    std::function<void(TObject* Sender, int Column)> OnColumnClick;
    std::function<void(TObject* Sender, int Item, bool Selected)> OnSelectItem;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    // Right-click or the context-menu key: screen position of the request.
    std::function<void(TObject* Sender, POINT Where)> OnContextPopup;

    LRESULT CNNotify(NMHDR* header) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct TRowData {
        std::string Caption;
        std::vector<std::string> SubItems;
        int StateIndex = -1;
        bool Marked = false;
        std::string MarkHint;
    };
    const TRowData& Row(int index) const { return FRows.at(static_cast<size_t>(index)); }
    void ApplyRowState(int index);
    void CountChanged(int selected, int newSelected, int focused, int newFocused);
    // The first item in the state flag, or `wanted` while the control is not in sync yet.
    int NextItem(UINT flag, int wanted) const;
    // Sets the state bits in mask of one item (of every item with index -1).
    void SetItemState(int index, UINT mask, UINT state);
    // Brings the control up to date with the rows (count, selection, focus) at once.
    void SyncControl();
    static constexpr UINT kSyncMessage = WM_APP + 1;
    void Redraw(int index);
    void CreateTooltip();

    std::vector<TListColumn> FColumns;
    std::vector<TRowData> FRows;
    TImageList* FStateImages = nullptr;
    bool FRowSelect = false;
    bool FReadOnly = false;
    bool FBorder = true;
    std::string FHint;
    HWND FTooltip = nullptr;
    int FUpdateCount = 0;
    bool FSyncPending = false;
    int FWantSelected = -1, FWantFocused = -1;
    int FControlSelected = -1, FControlFocused = -1;
};

// Suspends a list's drawing for a scope.
class TListUpdate {
public:
    explicit TListUpdate(TListView* list) : FList(list) { FList->BeginUpdate(); }
    ~TListUpdate() { FList->EndUpdate(); }
    TListUpdate(const TListUpdate&) = delete;
    TListUpdate& operator=(const TListUpdate&) = delete;

private:
    TListView* FList;
};

}  // namespace fw
