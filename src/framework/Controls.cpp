#include "framework/Controls.h"

#include <algorithm>
#include <stdexcept>

#include "framework/Form.h"

namespace fw {

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

TForm* TWinControl::ParentForm() {
    TWinControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TForm*>(c);
}

HWND TWinControl::Handle() {
    if (FHandle) return FHandle;
    TCreateParams params;
    CreateParams(params);
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
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    if (FParent) params.Parent = FParent->Handle();
}

void TWinControl::CreateWnd() {
    ApplyFont();
    for (TWinControl* child : FControls) child->HandleNeeded();
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
    if (FHandle && FAlign == TAlign::alNone) {
        RECT r = ScaledBounds();
        ::SetWindowPos(FHandle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
        ::SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(form->FontHandle()), FALSE);
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

bool TWinControl::Focused() const { return FHandle && ::GetFocus() == FHandle; }

LRESULT TWinControl::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) FHandle = hwnd;
    return ControlProc(hwnd, msg, wParam, lParam);
}

LRESULT TWinControl::DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FSystemClass) return FHook.Previous(hwnd, msg, wParam, lParam);
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

LRESULT TWinControl::THook::HookProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_NCDESTROY) {
        FOwner->FHandle = nullptr;
        BindWindow(h, nullptr);
        return CallPrevious(h, m, w, l);
    }
    return FOwner->ControlProc(h, m, w, l);
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

}  // namespace fw
