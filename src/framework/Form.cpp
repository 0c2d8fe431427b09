#include "framework/Form.h"

#include <stdexcept>

#include "framework/Text.h"
#include "framework/Application.h"
#include "framework/WinText.h"

namespace fw {

namespace {

bool IsChildOf(HWND parent, HWND child) { return child && (child == parent || ::IsChild(parent, child)); }

}  // namespace

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    TWinControl::SetVisible(false);  // forms start hidden
}

TForm::~TForm() {
    // Late for a derived form, whose part is gone by now; the application calls it earlier.
    BeforeDestruction();
    DestroyHandle();
}

void TForm::BeforeDestruction() {
    if (FDestroying) return;
    FDestroying = true;
    try {
        Fire(OnDestroy, this);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TForm::Initialize() {
    ReadDescription();
    LoadedAll();
    TComponent::Loaded();
    HandleNeeded();
    try {
        Fire(OnCreate, this);
    } catch (...) {
        Application->HandleException(this);
    }
}

void TForm::CreateParams(TCreateParams& params) {
    params.Parent = Application ? Application->Handle() : nullptr;  // owner, not parent
    switch (FBorderStyle) {
    case TFormBorderStyle::bsSizeable:
        params.Style = WS_OVERLAPPEDWINDOW;
        break;
    case TFormBorderStyle::bsDialog:
        params.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        params.ExStyle = WS_EX_DLGMODALFRAME;
        break;
    case TFormBorderStyle::bsNone:
        params.Style = WS_POPUP;
        break;
    }
    params.Style |= WS_CLIPCHILDREN;
    if (FStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TForm::CreateWnd() {
    HWND h = FHandle;
    if (FIcon) {
        ::SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
        ::SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIcon));
    }
    // Design sizes are 96-DPI pixels; the left and top edges are screen positions.
    int w = ScaleForWindow(h, Width()), hgt = ScaleForWindow(h, Height());
    if (FClientSized) {
        RECT r{0, 0, w, hgt};
        ::AdjustWindowRectExForDpi(&r, static_cast<DWORD>(::GetWindowLongPtrA(h, GWL_STYLE)), FALSE,
                                   static_cast<DWORD>(::GetWindowLongPtrA(h, GWL_EXSTYLE)),
                                   DpiOfWindow(h));
        w = r.right - r.left;
        hgt = r.bottom - r.top;
    }
    ::SetWindowPos(h, nullptr, Left(), Top(), w, hgt, SWP_NOZORDER | SWP_NOACTIVATE);
    TWinControl::CreateWnd();
}

void TForm::SetClientSize(int width, int height) {
    FClientSized = true;
    SetBounds(Left(), Top(), width, height);
}

RECT TForm::BoundsRect() {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    return r;
}

void TForm::SetBoundsRect(const RECT& r) {
    ::SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT TForm::FontHandle(TFontStyles style) {
    UINT dpi = DpiOfWindow(FHandle);
    if (FFontDpi != dpi) {
        for (THFont& f : FFonts) f.Reset();
        FFontDpi = dpi;
    }
    THFont& font = FFonts[style & (fsBold | fsUnderline)];
    if (!font) {
        LOGFONTA lf{};
        lf.lfHeight = -::MulDiv(11, static_cast<int>(dpi), 96);
        lf.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        CopyUtf8Prefix(lf.lfFaceName, LF_FACESIZE, "Microsoft Sans Serif");
        font.Reset(::CreateFontIndirectA(&lf));
    }
    return font.Get();
}

void TForm::PlaceWindow() {
    if (FPosition == TPosition::poDesigned) return;
    RECT self = BoundsRect();
    RECT area{};
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (FPosition == TPosition::poMainFormCenter && main && main != this && main->Visible()) {
        area = main->BoundsRect();
    } else {
        MONITORINFO mi{sizeof(mi), {}, {}, 0};
        ::GetMonitorInfoA(::MonitorFromWindow(FHandle, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    int w = self.right - self.left, h = self.bottom - self.top;
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    ::SetWindowPos(FHandle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetVisible(bool value) {
    if (Visible() == value) return;
    if (value) {
        HandleNeeded();
        PlaceWindow();
        DoShow();
        TWinControl::SetVisible(true);
    } else {
        TWinControl::SetVisible(false);
        DoHide();
    }
}

void TForm::Show() {
    SetVisible(true);
    ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(FHandle);
}

void TForm::Hide() { SetVisible(false); }

void TForm::BringToFront() {
    if (!HandleAllocated()) return;
    ::SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(FHandle);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    Fire(OnCloseQuery, this, canClose);
    return canClose;
}

void TForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    const bool isMain = Application && Application->MainForm() == this;
    TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
    Fire(OnClose, this, action);
    if (action == TCloseAction::caNone) return;
    if (isMain) {
        Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        ::ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

int TForm::ShowModal() {
    if (Visible()) throw std::runtime_error("Cannot make a visible window modal");
    if (::GetCapture()) ::ReleaseCapture();
    FModal = true;
    FModalResult = mrNone;
    std::vector<HWND> disabled = Application->DisableTaskWindows(Handle());
    Application->PushModal(this);
    auto restore = [&] {
        Application->PopModal(this);
        Application->EnableTaskWindows(disabled);
        FModal = false;
    };
    try {
        Show();
        while (FModalResult == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated()) FModalResult = mrCancel;
            if (FModalResult != mrNone) {
                TCloseAction action = TCloseAction::caNone;
                if (CloseQuery()) {
                    action = TCloseAction::caHide;
                    Fire(OnClose, this, action);
                }
                if (action == TCloseAction::caNone && !Application->Terminated()) FModalResult = mrNone;
            }
        }
    } catch (...) {
        restore();
        Hide();
        throw;
    }
    // Re-enable the owner before hiding, so activation returns to it and not elsewhere.
    restore();
    Hide();
    return FModalResult;
}

TWinControl* TForm::ActiveControl() const {
    HWND focus = ::GetFocus();
    if (!FHandle || !focus || !::IsChild(FHandle, focus)) return nullptr;
    for (HWND h = focus; h && h != FHandle; h = ::GetParent(h))
        if (auto* c = dynamic_cast<TWinControl*>(TargetOf(h))) return c;
    return nullptr;
}

void TForm::RestoreFocus() {
    if (!FHandle) return;
    if (FLastFocus && ::IsWindow(FLastFocus) && ::IsChild(FHandle, FLastFocus))
        ::SetFocus(FLastFocus);
    else if (HWND first = ::GetNextDlgTabItem(FHandle, nullptr, FALSE))
        ::SetFocus(first);
}

void TForm::SetActiveControl(TWinControl* control) {
    if (!control) return;
    FLastFocus = control->Handle();
    if (HandleAllocated() && ::GetActiveWindow() == FHandle) ::SetFocus(FLastFocus);
}

TButton* TForm::FindButton(bool isDefault) {
    std::vector<TWinControl*> stack(Controls().begin(), Controls().end());
    while (!stack.empty()) {
        TWinControl* c = stack.back();
        stack.pop_back();
        if (auto* b = dynamic_cast<TButton*>(c))
            if ((isDefault ? b->Default() : b->Cancel()) && b->Visible() && b->Enabled()) return b;
        stack.insert(stack.end(), c->Controls().begin(), c->Controls().end());
    }
    return nullptr;
}

bool TForm::PreProcessMessage(MSG& msg) {
    if (!FHandle || !IsChildOf(FHandle, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        auto key = static_cast<std::uint16_t>(msg.wParam);
        if (FKeyPreview && OnKeyDown) {
            OnKeyDown(this, key, KeyboardShiftState());
            if (key == 0) return true;
        }
        if (msg.message == WM_SYSKEYDOWN) return false;
        HWND focus = ::GetFocus();
        const bool comboDropped = focus && ::GetParent(focus) &&
                                  ::SendMessageA(::GetParent(focus), CB_GETDROPPEDSTATE, 0, 0);
        switch (key) {
        case VK_TAB:
            if (::GetKeyState(VK_CONTROL) >= 0) {
                HWND next = ::GetNextDlgTabItem(FHandle, focus, ::GetKeyState(VK_SHIFT) < 0);
                if (next) ::SetFocus(next);
                // As in every dialog: a text field reached by Tab has its text selected.
                HWND now = ::GetFocus();
                if (now && (::SendMessageA(now, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
                    ::SendMessageA(now, EM_SETSEL, 0, -1);
                return true;
            }
            break;
        case VK_RETURN:
            if (comboDropped) break;
            if (focus && WindowNameIs(focus, TWindowName::ClassName, "Button") &&
                (::GetWindowLongPtrA(focus, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
                ::SendMessageA(focus, BM_CLICK, 0, 0);
                return true;
            }
            if (TButton* b = FindButton(true)) {
                b->Click();
                return true;
            }
            break;
        case VK_ESCAPE:
            if (comboDropped) break;
            if (TButton* b = FindButton(false)) {
                b->Click();
                return true;
            }
            break;
        default:
            break;
        }
    } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
        // The message loop takes them as UTF-16: the whole code unit, never a byte of it.
        if (msg.message == WM_CHAR && FKeyPreview && OnKeyPress) {
            auto ch = static_cast<char16_t>(msg.wParam);
            OnKeyPress(this, ch);
            if (ch == 0) return true;
            msg.wParam = ch;
        }
        // Mnemonics, which are ASCII: Alt+letter anywhere, a plain letter where the focus
        // takes no text.
        const WPARAM ch = msg.wParam;
        if (ch <= ' ' || ch >= 0x7F) return false;
        if (msg.message == WM_CHAR) {
            HWND focus = ::GetFocus();
            if (focus && (::SendMessageA(focus, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&msg)) &
                          DLGC_WANTCHARS))
                return false;
        }
        if (DialogChar(static_cast<char>(ch))) return true;
    }
    return false;
}

LRESULT TForm::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_SHOWWINDOW:
        // Follow a ShowWindow call from anywhere; hiding by a minimised owner is not a change.
        if (lParam == 0 && Visible() != (wParam != 0)) {
            if (wParam) {
                DoShow();
                TWinControl::SetVisibleFlag(true);
            } else {
                TWinControl::SetVisibleFlag(false);
                DoHide();
            }
        }
        break;
    case WM_QUERYENDSESSION: {
        if (!OnQueryEndSession) return CloseQuery() ? TRUE : FALSE;
        // A failing handler is told and never holds up the end.
        bool canEnd = true;
        GuardedCall([&] {
            OnQueryEndSession(this, canEnd);
            return LRESULT{0};
        });
        return canEnd ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        Fire(OnEndSession, this, wParam != 0);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(hwnd, focus)) FLastFocus = focus;
        } else {
            RestoreFocus();
            Fire(OnActivate, this);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // Minimising the main window minimises the whole application.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application && Application->MainForm() == this) {
            Application->Minimize();
            return 0;
        }
        break;
    case WM_DPICHANGED: {
        const auto* r = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        // The controls still draw with the old fonts until each has its new one.
        std::array<THFont, 4> old = std::move(FFonts);
        FFontDpi = 0;
        ScaleChildren();
        Fire(OnDpiChanged, this);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    }
    default:
        break;
    }
    return TWinControl::ControlProc(hwnd, msg, wParam, lParam);
}

void PlaceControl(TWinControl* control, TWinControl* parent, const char* name, const char* caption,
                  const TBounds& bounds, int tabOrder) {
    control->SetName(name);
    control->SetCaption(caption);
    control->SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
    if (tabOrder >= 0) control->SetTabOrder(tabOrder);
    control->SetParent(parent);
}

}  // namespace fw
