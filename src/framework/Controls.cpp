#include "framework/Controls.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "framework/Form.h"

namespace fw {

COLORREF ColorToRGB(COLORREF color) {
    if (color == clDefault) return ::GetSysColor(COLOR_WINDOWTEXT);
    return (color & clSystemColor) ? ::GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

bool IsAccel(char key, const std::string& caption) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {  // "&&" is a literal ampersand
            ++i;
            continue;
        }
        return upper(caption[i + 1]) == upper(key);
    }
    return false;
}

TWinControl::TWinControl(TComponent* AOwner) : TComponent(AOwner) {}

TWinControl::~TWinControl() {
    DestroyHandle();
    // Children may belong to another owner; they must not point at a dead parent.
    for (TWinControl* child : FControls) child->FParent = nullptr;
    SetParent(nullptr);
}

void TWinControl::SetParent(TWinControl* value) {
    if (FParent == value) return;
    if (FParent) {
        auto& siblings = FParent->FControls;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    FParent = value;
    if (FParent) {
        FParent->FControls.push_back(this);
        if (FParent->HandleAllocated()) HandleNeeded();
    }
}

void TWinControl::SetTabOrder(int value) {
    if (FTabOrder == value) return;
    FTabOrder = value;
    if (FParent) FParent->UpdateTabOrder();
}

void TWinControl::UpdateTabOrder() {
    if (!FHandle || FCreatingChildren) return;
    std::vector<TWinControl*> order = FControls;
    auto key = [](const TWinControl* c) { return c->FTabOrder < 0 ? INT_MAX : c->FTabOrder; };
    std::stable_sort(order.begin(), order.end(),
                     [&](const TWinControl* a, const TWinControl* b) { return key(a) < key(b); });
    // Tab and GetNextDlgTabItem walk siblings from the top of the window order down.
    HWND after = HWND_TOP;
    for (TWinControl* c : order) {
        if (!c->FHandle) continue;
        ::SetWindowPos(c->FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->FHandle;
    }
}

void TWinControl::SetTabStop(bool value) {
    if (FTabStop == value) return;
    FTabStop = value;
    if (!FHandle) return;
    LONG_PTR style = ::GetWindowLongPtrA(FHandle, GWL_STYLE);
    ::SetWindowLongPtrA(FHandle, GWL_STYLE, value ? style | WS_TABSTOP : style & ~LONG_PTR{WS_TABSTOP});
}

void TWinControl::SetFontStyle(TFontStyles value) {
    if (FFontStyle == value) return;
    FFontStyle = value;
    ApplyFont();
    Invalidate();
}

void TWinControl::SetFontBold(bool value) {
    SetFontStyle(value ? FFontStyle | fsBold : FFontStyle & ~fsBold);
}

void TWinControl::SetFontColor(COLORREF value) {
    if (FFontColor == value) return;
    FFontColor = value;
    Invalidate();
}

void TWinControl::SetColor(COLORREF value) {
    if (FColor == value) return;
    FColor = value;
    FBrush.Reset(value == clDefault || (value & clSystemColor) ? nullptr : ::CreateSolidBrush(value));
    // Children without a colour of their own show this one too.
    if (FHandle)
        ::RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

COLORREF TWinControl::BackgroundColor() const {
    if (FColor != clDefault) return ColorToRGB(FColor);
    return FParent ? FParent->BackgroundColor() : ::GetSysColor(COLOR_BTNFACE);
}

void TWinControl::FillBackground(HWND hwnd, HDC dc) const {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::FillRect(dc, &rc, BackgroundBrush());
}

HBRUSH TWinControl::BackgroundBrush() const {
    if (FBrush) return FBrush.Get();
    if (FColor != clDefault) return ::GetSysColorBrush(static_cast<int>(FColor & 0xFF));
    return FParent ? FParent->BackgroundBrush() : ::GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH TWinControl::CtlColor(UINT msg, HDC dc) {
    // Edit fields and lists keep the window colour unless they have a colour of their own.
    const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    bool inherited = false;
    for (const TWinControl* p = FParent; p && !inherited; p = p->FParent) inherited = p->FColor != clDefault;
    const bool ownBackground = FColor != clDefault || (!field && inherited);
    if (!ownBackground && FFontColor == clDefault) return nullptr;
    ::SetTextColor(dc, ColorToRGB(FFontColor));
    if (ownBackground) {
        ::SetBkColor(dc, BackgroundColor());
        return BackgroundBrush();
    }
    const int system = field ? COLOR_WINDOW : COLOR_BTNFACE;
    ::SetBkColor(dc, ::GetSysColor(system));
    return ::GetSysColorBrush(system);
}

void TWinControl::SetCursor(TCursor value) { FCursor = value; }

bool TWinControl::DialogChar(char key) {
    for (TWinControl* c : FControls)
        if (c->FHandle && ::IsWindowVisible(c->FHandle) && ::IsWindowEnabled(c->FHandle) &&
            c->DialogChar(key))
            return true;
    return false;
}

TForm* TWinControl::ParentForm() {
    TWinControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TForm*>(c);
}

HWND TWinControl::Handle() {
    if (FHandle) return FHandle;
    TCreateParams params;
    CreateParams(params);
    if (FHandle) return FHandle;  // creating the parent created this control too
    RECT r = ScaledBounds();
    params.X = r.left;
    params.Y = r.top;
    params.Width = r.right - r.left;
    params.Height = r.bottom - r.top;
    if (FVisible) params.Style |= WS_VISIBLE;
    if (!FEnabled) params.Style |= WS_DISABLED;
    if (FTabStop) params.Style |= WS_TABSTOP;
    if (params.WinClassName) {
        FSystemClass = true;
        FHandle = ::CreateWindowExA(params.ExStyle, params.WinClassName, FCaption.c_str(),
                                    params.Style, params.X, params.Y, params.Width, params.Height,
                                    params.Parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        if (FHandle) {
            BindWindow(FHandle, this);
            FHook.Hook(FHandle);
        }
    } else {
        TWindowParams wp;
        wp.ExStyle = params.ExStyle;
        wp.Style = params.Style;
        wp.Caption = FCaption;
        wp.X = params.X;
        wp.Y = params.Y;
        wp.Width = params.Width;
        wp.Height = params.Height;
        wp.Parent = params.Parent;
        // Bound inside CreateWindowEx, so FHandle is set by WM_NCCREATE below.
        HWND h = CreateBoundWindow(wp, this);
        FHandle = h;
    }
    if (!FHandle) throw std::runtime_error("Error creating window of " + ClassName());
    CreateWnd();
    if (FParent) FParent->UpdateTabOrder();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    if (FParent) params.Parent = FParent->Handle();
}

void TWinControl::CreateWnd() {
    ApplyFont();
    FCreatingChildren = true;
    try {
        for (TWinControl* child : FControls) child->HandleNeeded();
    } catch (...) {
        FCreatingChildren = false;
        throw;
    }
    FCreatingChildren = false;
    UpdateTabOrder();
    Realign();
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    HWND h = FHandle;
    ::DestroyWindow(h);  // WM_NCDESTROY clears FHandle
    FHandle = nullptr;
}

void TWinControl::WindowDestroyed() {
    FHandle = nullptr;
    for (TWinControl* child : FControls) child->FHandle = nullptr;
}

RECT TWinControl::ScaledBounds() {
    HWND ref = FParent && FParent->HandleAllocated() ? FParent->FHandle : nullptr;
    RECT r{ScaleForWindow(ref, FBounds.Left), ScaleForWindow(ref, FBounds.Top), 0, 0};
    r.right = r.left + ScaleForWindow(ref, FBounds.Width);
    r.bottom = r.top + ScaleForWindow(ref, FBounds.Height);
    return r;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    FBounds = {left, top, width, height};
    ApplyBounds();
}

void TWinControl::ApplyBounds() {
    if (FHandle && FAlign == TAlign::alNone) {
        RECT r = ScaledBounds();
        ::SetWindowPos(FHandle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinControl::ScaleChanged() {
    ApplyFont();  // first: some controls size themselves by their font
    ApplyBounds();
    ScaleChildren();
}

void TWinControl::ScaleChildren() {
    for (TWinControl* child : FControls) child->ScaleChanged();
    Realign();
}

void TWinControl::SetAlign(TAlign value) {
    FAlign = value;
    if (FParent) FParent->Realign();
}

void TWinControl::Realign() {
    if (!FHandle) return;
    RECT client;
    ::GetClientRect(FHandle, &client);
    for (TWinControl* child : FControls)
        if (child->FAlign == TAlign::alClient && child->FHandle)
            ::SetWindowPos(child->FHandle, nullptr, 0, 0, client.right, client.bottom,
                           SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::ApplyFont() {
    if (!FHandle || !FParent) return;
    if (TForm* form = ParentForm())
        ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(form->FontHandle(FFontStyle)), FALSE);
}

void TWinControl::SetVisible(bool value) {
    if (FVisible == value) return;
    FVisible = value;
    if (FHandle) ::ShowWindow(FHandle, value ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    if (FHandle) ::EnableWindow(FHandle, value);
}

void TWinControl::SetCaption(const std::string& value) {
    if (FCaption == value) return;
    FCaption = value;
    if (FHandle) ::SetWindowTextA(FHandle, FCaption.c_str());
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::Invalidate() {
    if (FHandle) ::InvalidateRect(FHandle, nullptr, TRUE);
}

bool TWinControl::Focused() const { return FHandle && ::GetFocus() == FHandle; }

LRESULT TWinControl::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) FHandle = hwnd;
    return ControlProc(hwnd, msg, wParam, lParam);
}

LRESULT TWinControl::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FSystemClass) return TWindowHook::CallPrevious(hwnd, msg, wParam, lParam);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT TWinControl::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (lParam) {
            if (auto* child = dynamic_cast<TWinControl*>(TargetOf(reinterpret_cast<HWND>(lParam)))) {
                child->CNCommand(HIWORD(wParam));
                return 0;
            }
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (auto* child = dynamic_cast<TWinControl*>(TargetOf(header->hwndFrom)))
            return child->CNNotify(header);
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (auto* child = dynamic_cast<TWinControl*>(TargetOf(reinterpret_cast<HWND>(lParam))))
            if (HBRUSH brush = child->CtlColor(msg, reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU)
            if (auto* child = dynamic_cast<TWinControl*>(TargetOf(item->hwndItem))) {
                child->CNDrawItem(*item);
                return TRUE;
            }
        break;
    }
    case WM_SETCURSOR:
        if (FCursor == TCursor::crHandPoint && reinterpret_cast<HWND>(wParam) == hwnd &&
            LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        // Own-class windows (forms, panels) show their colour or their parent's.
        if (!FSystemClass) {
            FillBackground(hwnd, reinterpret_cast<HDC>(wParam));
            return 1;
        }
        break;
    case WM_SIZE:
        Realign();
        break;
    case WM_NCDESTROY: {
        LRESULT r = DefaultProc(hwnd, msg, wParam, lParam);
        WindowDestroyed();
        return r;
    }
    default:
        break;
    }
    return DefaultProc(hwnd, msg, wParam, lParam);
}

LRESULT TWinControl::SystemClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The system's class has no WM_NCDESTROY of ours to unbind the window; do it here.
    if (msg == WM_NCDESTROY) BindWindow(hwnd, nullptr);
    return ControlProc(hwnd, msg, wParam, lParam);
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.WinClassName = "BUTTON";
    params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
    FDefault = value;
    if (HandleAllocated())
        ::SendMessageA(FHandle, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TForm* form = ParentForm()) form->SetModalResult(FModalResult);
    Fire(OnClick, this);
}

void TButton::CNCommand(WORD code) {
    if (code == BN_CLICKED) Click();
}

bool TButton::DialogChar(char key) {
    if (!IsAccel(key, Caption())) return false;
    ::SendMessageA(FHandle, BM_CLICK, 0, 0);
    return true;
}

}  // namespace fw
