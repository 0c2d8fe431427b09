#include "framework/ListView.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "framework/Text.h"

namespace fw {

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width), FHeight(height) {
    Resize(width, height);
}

void TImageList::Resize(int width, int height) {
    FWidth = width;
    FHeight = height;
    FList.Reset(::ImageList_Create(width, height, ILC_COLOR32, 2, 2));
}

int TImageList::Count() const { return FList ? ::ImageList_GetImageCount(FList.Get()) : 0; }

int TImageList::AddBitmap(HBITMAP bitmap) { return ::ImageList_Add(FList.Get(), bitmap, nullptr); }

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TListView::AddColumn(const std::string& caption, int width) {
    FColumns.push_back({caption, width});
    if (!HandleAllocated()) return;
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(FColumns.back().Caption.c_str());
    col.cx = ScaleForWindow(FHandle, width);
    col.iSubItem = static_cast<int>(FColumns.size()) - 1;
    ::SendMessageA(FHandle, LVM_INSERTCOLUMNA, FColumns.size() - 1, reinterpret_cast<LPARAM>(&col));
}

void TListView::SetStateImages(TImageList* images) {
    FStateImages = images;
    if (HandleAllocated())
        ::SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_STATE,
                       reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

void TListView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = WC_LISTVIEWA;
    // Owner data: the control asks for what it shows, so adding a row costs it nothing.
    params.Style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_OWNERDATA;
    if (!FReadOnly) params.Style |= LVS_EDITLABELS;
    if (FBorder) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
    TWinControl::CreateWnd();
    DWORD ex = LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP | LVS_EX_INFOTIP;
    if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
    ::SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    std::vector<TListColumn> columns;
    columns.swap(FColumns);
    for (const TListColumn& c : columns) AddColumn(c.Caption, c.Width);
    SetStateImages(FStateImages);
    ::SendMessageA(FHandle, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    ::SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(Count()), LVSICF_NOSCROLL);
    CreateTooltip();
}

void TListView::CreateTooltip() {
    if (FHint.empty() || FTooltip) return;
    FTooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!FTooltip) return;
    TTTOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = FHandle;
    ti.uId = reinterpret_cast<UINT_PTR>(FHandle);
    ti.lpszText = const_cast<char*>(FHint.c_str());
    ::SendMessageA(FTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

int TListView::Insert(int index) {
    index = std::clamp(index, 0, Count());
    const int selected = Selected(), focused = ItemFocused();
    FRows.insert(FRows.begin() + index, TRowData{});
    auto moved = [index](int i) { return i < index ? i : i + 1; };
    CountChanged(selected, moved(selected), focused, moved(focused));
    return index;
}

void TListView::Delete(int index) {
    (void)Row(index);
    const int selected = Selected(), focused = ItemFocused();
    FRows.erase(FRows.begin() + index);
    auto moved = [index](int i) { return i < index ? i : (i == index ? -1 : i - 1); };
    CountChanged(selected, moved(selected), focused, moved(focused));
}

void TListView::CountChanged(int selected, int newSelected, int focused, int newFocused) {
    if (!HandleAllocated()) return;
    // Telling a shown control its new row count redraws its scroll bars there and then; a run
    // of adds tells it once, when the thread next turns to its messages.
    if (!FSyncPending) {
        FSyncPending = true;
        FControlSelected = selected;
        FControlFocused = focused;
        ::PostMessageA(FHandle, kSyncMessage, 0, 0);
    }
    FWantSelected = newSelected;
    FWantFocused = newFocused;
}

void TListView::SyncControl() {
    if (!FSyncPending || !HandleAllocated()) return;
    FSyncPending = false;
    ::SendMessageA(FHandle, LVM_SETITEMCOUNT, static_cast<WPARAM>(Count()),
                   LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    // The control keeps selection and focus by position: move them with their rows.
    if (FControlSelected != FWantSelected) {
        if (FControlSelected >= 0 && FControlSelected < Count()) SetItemState(FControlSelected, LVIS_SELECTED, 0);
        if (FWantSelected >= 0) SetItemState(FWantSelected, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (FControlFocused != FWantFocused) {
        if (FControlFocused >= 0 && FControlFocused < Count()) SetItemState(FControlFocused, LVIS_FOCUSED, 0);
        if (FWantFocused >= 0) SetItemState(FWantFocused, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (FUpdateCount == 0) ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TListView::Redraw(int index) {
    if (HandleAllocated() && FUpdateCount == 0)
        ::SendMessageA(FHandle, LVM_REDRAWITEMS, index, index);
}

void TListView::BeginUpdate() {
    if (FUpdateCount++ == 0 && HandleAllocated()) ::SendMessageA(FHandle, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
    if (FUpdateCount == 0 || --FUpdateCount > 0 || !HandleAllocated()) return;
    ::SendMessageA(FHandle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TListView::SetItemCaption(int index, const std::string& text) {
    (void)Row(index);
    FRows[index].Caption = text;
    Redraw(index);
}

void TListView::SetSubItems(int index, std::vector<std::string> texts) {
    (void)Row(index);
    FRows[index].SubItems = std::move(texts);
    Redraw(index);
}

void TListView::AddSubItem(int index, const std::string& text) {
    (void)Row(index);
    FRows[index].SubItems.push_back(text);
    Redraw(index);
}

void TListView::ApplyRowState(int index) { Redraw(index); }

void TListView::SetStateIndex(int index, int value) {
    (void)Row(index);
    FRows[index].StateIndex = value;
    ApplyRowState(index);
}

void TListView::ExchangeRows(int i, int j) {
    (void)Row(i);
    (void)Row(j);
    std::swap(FRows[i].Caption, FRows[j].Caption);
    std::swap(FRows[i].SubItems, FRows[j].SubItems);
    std::swap(FRows[i].StateIndex, FRows[j].StateIndex);
    ApplyRowState(i);
    ApplyRowState(j);
    Redraw(i);
    Redraw(j);
}

void TListView::ReorderRows(const std::vector<int>& from) {
    const size_t n = from.size();
    if (n > FRows.size()) throw std::out_of_range("List index out of bounds");
    std::vector<TRowData> rows;
    rows.reserve(n);
    for (int i : from) rows.push_back(std::move(FRows.at(static_cast<size_t>(i))));
    for (size_t p = 0; p < n; ++p) {
        const bool stateChanged = FRows[p].StateIndex != rows[p].StateIndex;
        FRows[p] = std::move(rows[p]);
        if (stateChanged) ApplyRowState(static_cast<int>(p));
    }
    if (HandleAllocated() && n > 0 && FUpdateCount == 0)
        ::SendMessageA(FHandle, LVM_REDRAWITEMS, 0, static_cast<LPARAM>(n - 1));
}

void TListView::SetRowMark(int index, bool marked, const std::string& hint) {
    (void)Row(index);
    if (FRows[index].Marked == marked && FRows[index].MarkHint == hint) return;
    FRows[index].Marked = marked;
    FRows[index].MarkHint = hint;
    Redraw(index);
}

int TListView::NextItem(UINT flag, int wanted) const {
    if (!HandleAllocated()) return -1;
    if (FSyncPending) return wanted;
    return static_cast<int>(::SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
}

void TListView::SetItemState(int index, UINT mask, UINT state) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    ::SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TListView::Selected() const { return NextItem(LVNI_SELECTED, FWantSelected); }

void TListView::SetSelected(int index) {
    HandleNeeded();
    SyncControl();
    SetItemState(-1, LVIS_SELECTED, 0);
    if (index >= 0) SetItemState(index, LVIS_SELECTED, LVIS_SELECTED);
}

int TListView::ItemFocused() const { return NextItem(LVNI_FOCUSED, FWantFocused); }

void TListView::SetItemFocused(int index) {
    HandleNeeded();
    SyncControl();
    SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
}

RECT TListView::ItemRect(int index) {
    SyncControl();
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (HandleAllocated()) ::SendMessageA(FHandle, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

LRESULT TListView::CNNotify(NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        LVITEMA& item = info->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
            item.iItem < Count()) {
            const TRowData& r = Row(item.iItem);
            const std::string* text = nullptr;
            if (item.iSubItem == 0)
                text = &r.Caption;
            else if (static_cast<size_t>(item.iSubItem) <= r.SubItems.size())
                text = &r.SubItems[static_cast<size_t>(item.iSubItem) - 1];
            // Display only: a long text is cut to what the control shows.
            CopyUtf8Prefix(item.pszText, static_cast<size_t>(item.cchTextMax), text ? *text : "");
        }
        if ((item.mask & LVIF_STATE) && item.iItem >= 0 && item.iItem < Count()) {
            const int image = Row(item.iItem).StateIndex;
            item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                         INDEXTOSTATEIMAGEMASK(image >= 0 ? image + 1 : 0);
            item.stateMask |= LVIS_STATEIMAGEMASK;
        }
        return 0;
    }
    case LVN_COLUMNCLICK:
        if (OnColumnClick) OnColumnClick(this, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
    case NM_DBLCLK:
        Fire(OnDblClick, this);
        return 0;
    case LVN_ITEMCHANGED: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(header);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) && OnSelectItem)
            OnSelectItem(this, nm->iItem, (nm->uNewState & LVIS_SELECTED) != 0);
        return 0;
    }
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const auto index = static_cast<int>(cd->nmcd.dwItemSpec);
            if (index >= 0 && index < Count() && Row(index).Marked) cd->clrText = RGB(192, 0, 0);
        }
        return CDRF_DODEFAULT;
    }
    case LVN_GETINFOTIPA: {
        auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
        if (tip->iItem >= 0 && tip->iItem < Count() && Row(tip->iItem).Marked && tip->cchTextMax > 0)
            CopyUtf8Prefix(tip->pszText, static_cast<size_t>(tip->cchTextMax), Row(tip->iItem).MarkHint);
        return 0;
    }
    case LVN_BEGINLABELEDITA:
        return FReadOnly ? TRUE : FALSE;
    default:
        return 0;
    }
}

LRESULT TListView::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (OnKeyDown) {
            auto key = static_cast<std::uint16_t>(wParam);
            OnKeyDown(this, key, KeyboardShiftState());
            if (key == 0) return 0;
            wParam = key;
        }
        break;
    case WM_CHAR:
        if (OnKeyPress) {
            auto ch = static_cast<char16_t>(wParam);
            OnKeyPress(this, ch);
            if (ch == 0) return 0;
            wParam = ch;
        }
        break;
    case kSyncMessage:
        SyncControl();
        return 0;
    case WM_CONTEXTMENU:
        if (OnContextPopup) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (lParam == -1) {  // keyboard: below the focused row, or the list's corner
                RECT r = ItemRect(std::max(ItemFocused(), 0));
                p = {r.left + 8, r.bottom};
                ::ClientToScreen(hwnd, &p);
            }
            OnContextPopup(this, p);
            return 0;
        }
        break;
    case WM_DESTROY:
        if (FTooltip) {
            ::DestroyWindow(FTooltip);
            FTooltip = nullptr;
        }
        break;
    default:
        break;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

}  // namespace fw
