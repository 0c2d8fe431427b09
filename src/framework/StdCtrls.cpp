#include "framework/StdCtrls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "framework/WinText.h"

namespace fw {

namespace {

void SetStyleBits(HWND hwnd, int index, LONG_PTR bits, bool on) {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, index);
    ::SetWindowLongPtrA(hwnd, index, on ? style | bits : style & ~bits);
}

}  // namespace

// ---- TLabel ----

TLabel::TLabel(TComponent* AOwner) : TWinControl(AOwner) {}

DWORD TLabel::TextStyle() const {
    DWORD style = FAlignment == TAlignment::taRightJustify ? SS_RIGHT
                  : FAlignment == TAlignment::taCenter     ? SS_CENTER
                                                           : SS_LEFT;
    return FWordWrap ? style : style | SS_ENDELLIPSIS;
}

void TLabel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "STATIC";
    params.Style |= TextStyle();
    // Neither the parent nor an overlapped neighbour leaves out the place of a transparent
    // window when it draws, so what lies under the label is drawn before the label.
    if (FTransparent) params.ExStyle |= WS_EX_TRANSPARENT;
}

void TLabel::UpdateStyle() {
    if (!FHandle) return;
    LONG_PTR style = ::GetWindowLongPtrA(FHandle, GWL_STYLE) & ~LONG_PTR{SS_TYPEMASK | SS_ELLIPSISMASK};
    ::SetWindowLongPtrA(FHandle, GWL_STYLE, style | TextStyle());
    Invalidate();
}

void TLabel::Invalidate() {
    // Drawing no background, the label loses its old letters only under the parent's.
    if (FTransparent)
        RedrawParentUnder();
    else
        TWinControl::Invalidate();
}

void TLabel::RedrawParentUnder() {
    if (!FHandle) return;
    HWND parent = ::GetParent(FHandle);
    RECT r;
    ::GetWindowRect(FHandle, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    ::RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT TLabel::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTEXT) {
        LRESULT result = TWinControl::ControlProc(hwnd, msg, wParam, lParam);
        Invalidate();
        return result;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

void TLabel::SetAlignment(TAlignment value) {
    if (FAlignment == value) return;
    FAlignment = value;
    UpdateStyle();
}

void TLabel::SetWordWrap(bool value) {
    if (FWordWrap == value) return;
    FWordWrap = value;
    UpdateStyle();
}

void TLabel::SetTransparent(bool value) {
    if (FTransparent == value) return;
    FTransparent = value;
    if (!FHandle) return;
    SetStyleBits(FHandle, GWL_EXSTYLE, WS_EX_TRANSPARENT, value);
    RedrawParentUnder();
}

HBRUSH TLabel::CtlColor(UINT msg, HDC dc) {
    if (!FTransparent) return TWinControl::CtlColor(msg, dc);
    ::SetTextColor(dc, ColorToRGB(FontColor()));
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

// ---- TCheckBox ----

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
    if (FAlignment == TAlignment::taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TCheckBox::CreateWnd() {
    TWinControl::CreateWnd();
    if (FChecked) ::SendMessageA(FHandle, BM_SETCHECK, BST_CHECKED, 0);
}

bool TCheckBox::Checked() const {
    return FHandle ? ::SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked;
}

void TCheckBox::SetChecked(bool value) {
    if (Checked() == value) return;
    FChecked = value;
    // BM_SETCHECK does not notify, so no OnClick follows.
    if (FHandle) ::SendMessageA(FHandle, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetAlignment(TAlignment value) {
    if (FAlignment == value) return;
    FAlignment = value;
    if (!FHandle) return;
    SetStyleBits(FHandle, GWL_STYLE, BS_LEFTTEXT, value == TAlignment::taLeftJustify);
    ::InvalidateRect(FHandle, nullptr, TRUE);
}

void TCheckBox::CNCommand(WORD code) {
    if (code != BN_CLICKED) return;
    FChecked = ::SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    Fire(OnClick, this);
}

bool TCheckBox::DialogChar(char key) {
    if (!IsAccel(key, Caption())) return false;
    ::SendMessageA(FHandle, BM_CLICK, 0, 0);  // focuses and toggles the box as a click would
    return true;
}

// ---- TComboItems ----

int TComboItems::Add(const std::string& text) {
    FItems.push_back(text);
    if (FOwner->FHandle) {
        TComboBox::TQuiet quiet(FOwner);
        ::SendMessageA(FOwner->FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    return Count() - 1;
}

void TComboItems::Clear() {
    FItems.clear();
    FOwner->FItemIndex = -1;
    FOwner->FText.clear();
    if (FOwner->FHandle) {
        TComboBox::TQuiet quiet(FOwner);
        ::SendMessageA(FOwner->FHandle, CB_RESETCONTENT, 0, 0);
        ::SetWindowTextA(FOwner->FHandle, "");
    }
    FOwner->Remember();
}

int TComboItems::IndexOf(const std::string& text) const {
    auto it = std::find(FItems.begin(), FItems.end(), text);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

// ---- TComboBox ----

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TComboBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "COMBOBOX";
    params.Style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
}

void TComboBox::CreateWnd() {
    TQuiet quiet(this);
    TWinControl::CreateWnd();
    for (int i = 0; i < FItems.Count(); ++i)
        ::SendMessageA(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems[i].c_str()));
    ::SendMessageA(FHandle, CB_SETMINVISIBLE, static_cast<WPARAM>(FDropDownCount), 0);
    if (FItemIndex >= 0)
        ::SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    else
        ::SetWindowTextA(FHandle, FText.c_str());
    Remember();
}

void TComboBox::ApplyFont() {
    TWinControl::ApplyFont();
    ApplyBounds();  // the lines of the list have the font's height
}

RECT TComboBox::ScaledBounds() {
    RECT r = TWinControl::ScaledBounds();
    // The window's height holds the closed box and the open list: the box is as high as its
    // font makes it (the control keeps to that), the list shows DropDownCount lines.
    if (FHandle) {
        RECT box{};
        ::GetWindowRect(FHandle, &box);
        const int line = static_cast<int>(::SendMessageA(FHandle, CB_GETITEMHEIGHT, 0, 0));
        r.bottom = r.top + (box.bottom - box.top) + line * FDropDownCount + 2;
    } else {
        r.bottom = r.top + (r.bottom - r.top) * (FDropDownCount + 1);
    }
    return r;
}

int TComboBox::ItemIndex() const {
    return FHandle ? static_cast<int>(::SendMessageA(FHandle, CB_GETCURSEL, 0, 0)) : FItemIndex;
}

void TComboBox::SetItemIndex(int value) {
    if (value < -1 || value >= FItems.Count()) throw std::out_of_range("List index out of bounds");
    if (ItemIndex() == value) return;
    if (FHandle) {
        TQuiet quiet(this);
        ::SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
        // Not every system empties the field along with the selection.
        if (value < 0) ::SetWindowTextA(FHandle, "");
    } else {
        FItemIndex = value;
        FText = value >= 0 ? FItems[value] : std::string();
    }
    Remember();
}

std::string TComboBox::Text() const {
    if (!FHandle) return FText;
    // While the control reports a new selection its field may still show the old text.
    if (FInSelChange) {
        const int i = ItemIndex();
        if (i >= 0 && i < FItems.Count()) return FItems[i];
    }
    return WindowText(FHandle);
}

void TComboBox::SetText(const std::string& value) {
    if (Text() == value) return;
    const int selected = ItemIndex();
    const bool keepSelection = selected >= 0 && FItems[selected] == value;
    if (FHandle) {
        TQuiet quiet(this);
        if (!keepSelection) ::SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ::SetWindowTextA(FHandle, value.c_str());
    } else {
        if (!keepSelection) FItemIndex = -1;
        FText = value;
    }
    Remember();
}

void TComboBox::SetDropDownCount(int value) {
    value = std::max(value, 1);
    if (FDropDownCount == value) return;
    FDropDownCount = value;
    if (!FHandle) return;
    ::SendMessageA(FHandle, CB_SETMINVISIBLE, static_cast<WPARAM>(value), 0);
    ApplyBounds();
}

bool TComboBox::DroppedDown() const {
    return FHandle && ::SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0);
}

void TComboBox::SelectAll() {
    if (HandleAllocated()) ::SendMessageA(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TComboBox::Change() {
    Remember();
    Fire(OnChange, this);
}

void TComboBox::Select() { Fire(OnSelect, this); }

void TComboBox::CNCommand(WORD code) {
    if (FQuiet) return;
    switch (code) {
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_SELCHANGE: {
        FInSelChange = true;
        struct TReset {
            bool& Flag;
            ~TReset() { Flag = false; }
        } reset{FInSelChange};
        Change();
        // Arrowing through the open list is looking, not choosing: that waits for the close.
        if (!FDropped && ItemIndex() >= 0) Select();
        break;
    }
    case CBN_DROPDOWN:
        FDropped = true;
        FChosen = false;
        break;
    case CBN_SELENDOK:
        FChosen = FDropped;
        break;
    case CBN_SELENDCANCEL:
        FChosen = false;
        break;
    case CBN_CLOSEUP: {
        const bool chosen = FDropped && FChosen;
        FDropped = FChosen = false;
        // Opening the list can complete the typed text to a line without a notification.
        if (Text() != FLastText) Change();
        if (chosen && ItemIndex() >= 0) Select();
        break;
    }
    default:
        break;
    }
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {}

void TGroupBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.Style |= BS_GROUPBOX;
    params.ExStyle |= WS_EX_CONTROLPARENT;  // Tab walks into the children
}

LRESULT TGroupBox::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        // The system's group box leaves its inside to the parent, and the form clips its
        // children away: paint it here.
        FillBackground(hwnd, reinterpret_cast<HDC>(wParam));
        return 1;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

// ---- TEdit ----

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "EDIT";
    params.Style |= ES_LEFT | ES_AUTOHSCROLL;
    if (FReadOnly) params.Style |= ES_READONLY;
    if (FBorderStyle == TBorderStyle::bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::string TEdit::Text() const { return FHandle ? WindowText(FHandle) : FCaption; }

void TEdit::SetText(const std::string& value) {
    if (Text() == value) return;
    FCaption = value;
    if (FHandle) ::SetWindowTextA(FHandle, value.c_str());
}

void TEdit::SetReadOnly(bool value) {
    if (FReadOnly == value) return;
    FReadOnly = value;
    if (FHandle) ::SendMessageA(FHandle, EM_SETREADONLY, value, 0);
}

void TEdit::SetBorderStyle(TBorderStyle value) {
    if (FBorderStyle == value) return;
    FBorderStyle = value;
    if (!FHandle) return;
    SetStyleBits(FHandle, GWL_EXSTYLE, WS_EX_CLIENTEDGE, value == TBorderStyle::bsSingle);
    ::SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TEdit::SetMargins(bool value) {
    if (FMargins == value) return;
    FMargins = value;
    ApplyMargins();
    Invalidate();
}

void TEdit::ApplyFont() {
    TWinControl::ApplyFont();
    ApplyMargins();  // a new font brings the system's margins back
}

void TEdit::ApplyMargins() {
    if (!FHandle) return;
    const WORD margin = FMargins ? EC_USEFONTINFO : 0;
    ::SendMessageA(FHandle, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void TEdit::MakeLink() {
    SetReadOnly(true);
    SetBorderStyle(TBorderStyle::bsNone);
    SetMargins(false);
    SetColor(clBtnFace);
    SetFontColor(clBlue);
    SetFontStyle(FontStyle() | fsUnderline);
    SetCursor(TCursor::crHandPoint);
    SetTabStop(false);
}

LRESULT TEdit::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FPressed = true;
        break;
    case WM_LBUTTONUP: {
        // The field ends its own selection and capture first.
        LRESULT result = TWinControl::ControlProc(hwnd, msg, wParam, lParam);
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT client;
        ::GetClientRect(hwnd, &client);
        if (std::exchange(FPressed, false) && ::PtInRect(&client, at)) Fire(OnClick, this);
        return result;
    }
    default:
        break;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

}  // namespace fw
