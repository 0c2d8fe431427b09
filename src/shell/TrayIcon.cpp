#include "shell/TrayIcon.h"

#include <cstring>

#include "app/Text.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "framework/Timer.h"
#include "shell/TrayTip.h"

using namespace fw;

namespace {

HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }

// How long a shell that refused the icon is left alone before the next try.
constexpr UINT AddRetryInterval = 1000;

}  // namespace

TTrayIcon::TTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
    FCallbackWindow.Reset(AllocateHWnd(this));
    FIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    FIconData.hWnd = FCallbackWindow.Get();
    FIconData.uID = TrayIconId;
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FIconData.uCallbackMessage = WM_TRAYNOTIFY;
    FTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

    FCycleTimer = new TTimer(this, FCycleInterval, false);
    FCycleTimer->OnTimer = Bind(this, &TTrayIcon::CycleTimerTick);
    FAddRetryTimer = new TTimer(this, AddRetryInterval, false);
    FAddRetryTimer->OnTimer = Bind(this, &TTrayIcon::AddRetryTick);

    if (HWND app = ApplicationWindow()) FApplicationHook.Hook(app);
    if (Application) Application->AddBoxWatcher(this, [this](bool open) { FBoxOpen = open; });
    if (auto* form = dynamic_cast<TForm*>(AOwner)) FOwnerHook.Hook(form->Handle());
}

TTrayIcon::~TTrayIcon() {
    // Calls the base DeleteIcon: the icon must leave the tray whatever a subclass did.
    SetIconVisible(false);
    FIcon.Reset();
    FCallbackWindow.Reset();
    delete FCycleTimer;
    FCycleTimer = nullptr;
    delete FAddRetryTimer;
    FAddRetryTimer = nullptr;
    FApplicationHook.Unhook();
    FOwnerHook.Unhook();
    if (Application) Application->RemoveBoxWatchers(this);
}

// --- Properties -------------------------------------------------------------------------

void TTrayIcon::SetDesignPreview(bool value) {
    FDesignPreview = value;
    FPreviewChanging = true;
    SetIconVisible(value);
    FPreviewChanging = false;
}

void TTrayIcon::SetIconList(TImageList* value) {
    FIconList = value;
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool value) {
    FCycleIcons = value;
    if (value) SetIconIndex(0);
    FCycleTimer->SetEnabled(value);
}

void TTrayIcon::SetCycleInterval(std::uint32_t value) {
    FCycleInterval = value;
    FCycleTimer->SetInterval(value);
}

void TTrayIcon::SetHint(const std::string& value) {
    FHint = value;
    ModifyIcon();
}

void TTrayIcon::SetShowHint(bool value) {
    FShowHint = value;
    ModifyIcon();
}

void TTrayIcon::SetIcon(HICON value) {
    FIcon.Reset(value ? ::CopyIcon(value) : nullptr);
    ModifyIcon();
}

void TTrayIcon::SetIconResource(const std::string& name) {
    // Shared: the system keeps the loaded one, SetIcon takes its copy.
    SetIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), name.c_str(), IMAGE_ICON,
                                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                            LR_SHARED)));
}

void TTrayIcon::SetIconVisible(bool value) {
    // Acts even when unchanged: writing True adds the icon again.
    if (value)
        AddIcon();
    else
        DeleteIcon();
}

void TTrayIcon::SetIconIndex(int value) {
    if (FIconList) {
        FIconIndex = value;
        const int count = FIconList->Count();
        if (value >= count) FIconIndex = count - 1;
        CopyListImage(FIconIndex);
    } else {
        FIconIndex = 0;
    }
    ModifyIcon();
}

void TTrayIcon::CopyListImage(int index) {
    // An index outside the list (negative, or an empty list) has no image: keep the icon.
    if (!FIconList || index < 0 || index >= FIconList->Count()) return;
    if (HICON image = ::ImageList_GetIcon(FIconList->Handle(), index, ILD_NORMAL)) FIcon.Reset(image);
}

// --- Shell calls ------------------------------------------------------------------------

void TTrayIcon::PrepareIconData() {
    FIconData.hIcon = FIcon.Get();
    std::memset(FIconData.szTip, 0, sizeof FIconData.szTip);
    CopyUtf8Prefix(FIconData.szTip, TrayTipLimit + 1, TrayTipText(FHint, FShowHint));
}

bool TTrayIcon::NotifyShell(DWORD message) {
    PrepareIconData();
    if (FShellApi.Notify) return FShellApi.Notify(message, &FIconData) != FALSE;
    return ::Shell_NotifyIconA(message, &FIconData) != FALSE;
}

bool TTrayIcon::AddIcon() {
    if (!FPreviewChanging) FIconVisible = true;
    const bool added = NotifyShell(NIM_ADD);
    // A shell that has the icon already refuses to add it again; a modify tells that apart
    // from a shell that is not ready.
    FIconInTray = added || NotifyShell(NIM_MODIFY);
    FIconWanted = true;
    UpdateAddRetry();
    return added;
}

bool TTrayIcon::DeleteIcon() {
    if (!FPreviewChanging) FIconVisible = false;
    FIconWanted = false;
    FIconInTray = false;
    UpdateAddRetry();
    return NotifyShell(NIM_DELETE);
}

void TTrayIcon::UpdateAddRetry() {
    if (FAddRetryTimer) FAddRetryTimer->SetEnabled(FIconWanted && !FIconInTray);
}

void TTrayIcon::AddRetryTick(TObject* Sender) {
    (void)Sender;
    AddIcon();
}

bool TTrayIcon::ModifyIcon() { return NotifyShell(NIM_MODIFY); }

// --- Events -----------------------------------------------------------------------------

void TTrayIcon::FireClick() { Fire(OnClick, this); }
void TTrayIcon::FireDblClick() { Fire(OnDblClick, this); }
void TTrayIcon::FireCycle(int NextIndex) { Fire(OnCycle, this, NextIndex); }

void TTrayIcon::FireMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseDown, this, Button, Shift, X, Y);
}

void TTrayIcon::FireMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    Fire(OnMouseUp, this, Button, Shift, X, Y);
}

void TTrayIcon::FireMouseMove(TShiftState Shift, int X, int Y) { Fire(OnMouseMove, this, Shift, X, Y); }

// --- Lifecycle --------------------------------------------------------------------------

void TTrayIcon::Loaded() {
    TComponent::Loaded();
    if (FStartMinimized) {
        if (Application) Application->SetShowMainForm(false);
        if (HWND app = ApplicationWindow()) ::ShowWindow(app, SW_HIDE);
    }
    ModifyIcon();
    SetIconVisible(FIconVisible);
}

void TTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == FIconList) SetIconList(nullptr);
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// --- Hiding and the menu ----------------------------------------------------------------

void TTrayIcon::HideToTray() {
    HideMainForm();
    SetIconVisible(true);
}

void TTrayIcon::HideMainForm() {
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return;
    main->Hide();  // the framework's hide, so the form's OnHide runs
    ::ShowWindow(Application->Handle(), SW_HIDE);
}

HWND TTrayIcon::OwnerWindow() const {
    if (HWND owner = FOwnerHook.HookedWindow()) return owner;
    return FCallbackWindow.Get();
}

void TTrayIcon::PopupAtCursor() {
    if (!FPopupMenu || !FPopupMenu->AutoPopup()) return;
    POINT pt{};
    if (!::GetCursorPos(&pt)) return;
    if (Application) {
        Application->ProcessMessages();
        // Among those messages may have been the request to end: no menu after that.
        if (Application->Terminated()) return;
    }
    // The messages just handled may have taken the menu away.
    if (!FPopupMenu) return;
    HWND owner = OwnerWindow();
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(owner);
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(pt.x, pt.y);
    ::PostMessageA(owner, WM_NULL, 0, 0);
}

void TTrayIcon::ClickDefaultItem() {
    if (!FPopupMenu || !FPopupMenu->AutoPopup() || FLeftPopup) return;
    TMenuItem* found = nullptr;
    for (int i = FPopupMenu->Count() - 1; i >= 0; --i)
        if (FPopupMenu->Items(i)->Default()) found = FPopupMenu->Items(i);
    // As if chosen from the menu, so a disabled default item does nothing.
    if (found) FPopupMenu->DispatchCommand(found->Command());
}

void TTrayIcon::CycleTimerTick(TObject* Sender) {
    (void)Sender;
    if (!FIconList) return;
    CopyListImage(FIconIndex);
    const int count = FIconList->Count();
    const int next = FIconIndex < count - 1 ? FIconIndex + 1 : 0;
    FireCycle(next);
    ModifyIcon();
    SetIconIndex(next);
}

// --- Window procedures ------------------------------------------------------------------

LRESULT TTrayIcon::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallbackWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT TTrayIcon::CallbackWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TRAYNOTIFY) {
        if (!FEnabled || FBoxOpen) return 0;
        TShiftState shift = KeyboardShiftState();
        POINT pt{};
        ::GetCursorPos(&pt);
        switch (static_cast<UINT>(lParam)) {
        case WM_MOUSEMOVE:
            FireMouseMove(shift, pt.x, pt.y);
            break;
        case WM_LBUTTONDOWN:
            FireMouseDown(TMouseButton::mbLeft, shift | ssLeft, pt.x, pt.y);
            FClickPending = true;
            if (FLeftPopup) PopupAtCursor();
            break;
        case WM_LBUTTONUP:
            if (FClickPending) {
                FClickPending = false;
                FireClick();
            }
            FireMouseUp(TMouseButton::mbLeft, shift | ssLeft, pt.x, pt.y);
            break;
        case WM_LBUTTONDBLCLK:
            FireDblClick();
            ClickDefaultItem();
            break;
        case WM_RBUTTONDOWN:
            FireMouseDown(TMouseButton::mbRight, shift | ssRight, pt.x, pt.y);
            PopupAtCursor();
            break;
        case WM_RBUTTONUP:
            FireMouseUp(TMouseButton::mbRight, shift | ssRight, pt.x, pt.y);
            break;
        case WM_MBUTTONDOWN:
            FireMouseDown(TMouseButton::mbMiddle, shift | ssMiddle, pt.x, pt.y);
            break;
        case WM_MBUTTONUP:
            FireMouseUp(TMouseButton::mbMiddle, shift | ssMiddle, pt.x, pt.y);
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return 1;
    // The shell started again with an empty tray: put the icon back.
    if (FTaskbarCreated != 0 && msg == FTaskbarCreated) {
        if (FIconVisible) AddIcon();
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT TTrayIcon::ApplicationWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE && wParam == SIZE_MINIMIZED) {
        if (TForm* modal = Application ? Application->ModalForm() : nullptr) {
            // Whatever minimised the program, an open dialog must not vanish with it.
            ::ShowWindowAsync(hwnd, SW_RESTORE);
            modal->BringToFront();
        } else if (FMinimizeToTray) {
            HideToTray();
        }
    }
    return fw::TWindowHook::CallPrevious(hwnd, msg, wParam, lParam);
}

LRESULT TTrayIcon::OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SHOWWINDOW && wParam == TRUE && lParam == 0) {
        // Showing the main window brings the taskbar button back with it.
        if (HWND app = ApplicationWindow()) {
            ::ShowWindow(app, SW_RESTORE);
            ::SetForegroundWindow(app);
        }
        ::SetForegroundWindow(hwnd);
    } else if (msg == WM_WINDOWPOSCHANGED) {
        if (auto* form = dynamic_cast<TForm*>(TargetOf(::GetActiveWindow())))
            if (TWinControl* control = form->ActiveControl()) ::SetFocus(control->Handle());
    }
    return fw::TWindowHook::CallPrevious(hwnd, msg, wParam, lParam);
}
