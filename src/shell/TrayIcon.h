// The program's icon in the notification area: mouse notifications become events, the
// pop-up menu opens at the cursor, and the program can start in and minimise to the tray.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/Window.h"

namespace fw {
class TImageList;
class TPopupMenu;
class TTimer;
}  // namespace fw

// The shell's notification-area call; tests put a shell in its place that is not ready yet.
struct TShellNotifyApi {
    std::function<BOOL(DWORD, PNOTIFYICONDATAA)> Notify = ::Shell_NotifyIconA;
};

enum class TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
using TMouseEvent = std::function<void(fw::TObject* Sender, TMouseButton Button,
                                       fw::TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(fw::TObject* Sender, fw::TShiftState Shift, int X, int Y)>;
using TCycleEvent = std::function<void(fw::TObject* Sender, int NextIndex)>;

class TTrayIcon : public fw::TComponent, private fw::TWndTarget {
public:
    // The message the shell sends to CallbackWindow; lParam names the mouse message.
    static constexpr UINT WM_TRAYNOTIFY = 0x0800;
    static constexpr UINT TrayIconId = 1;

    explicit TTrayIcon(fw::TComponent* AOwner);
    ~TTrayIcon() override;
    std::string ClassName() const override { return "TTrayIcon"; }

    // Published properties.
    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool value);
    fw::TImageList* IconList() const { return FIconList; }
    void SetIconList(fw::TImageList* value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool value);
    std::uint32_t CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(std::uint32_t value);
    // Disabled, the icon ignores the mouse. While any box of the program is open it takes no
    // commands either, as the program's windows do, whatever Enabled says: a click brings the
    // box to the front instead.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value);
    // The owned image; SetIcon keeps a copy of the given one.
    HICON Icon() const { return FIcon.Get(); }
    void SetIcon(HICON value);
    // The program's icon resource of that name, at the system's small-icon size.
    void SetIconResource(const std::string& name);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);
    fw::TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(fw::TPopupMenu* value) { FPopupMenu = value; }
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool value) { FLeftPopup = value; }
    bool StartMinimized() const { return FStartMinimized; }
    void SetStartMinimized(bool value) { FStartMinimized = value; }
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool value) { FMinimizeToTray = value; }

    fw::TNotifyEvent OnClick;
    fw::TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;

    // The shell calls; each returns the shell's answer, which nobody needs to check.
    virtual bool AddIcon();
    virtual bool DeleteIcon();
    virtual bool ModifyIcon();

    // True while the shell holds the icon. While the icon is wanted but not there (the shell
    // refused to add it, busy at logon or not started yet), a timer tries again.
    bool IconInTray() const { return FIconInTray; }
    const TShellNotifyApi& ShellApi() const { return FShellApi; }
    void SetShellApi(TShellNotifyApi value) { FShellApi = std::move(value); }

    // The hidden window that receives the shell's notifications.
    HWND CallbackWindow() const { return FCallbackWindow.Get(); }
    const NOTIFYICONDATAA& IconData() const { return FIconData; }

    void Loaded() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

protected:
    virtual void FireClick();
    virtual void FireDblClick();
    virtual void FireCycle(int NextIndex);
    virtual void FireMouseDown(TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    virtual void FireMouseUp(TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    virtual void FireMouseMove(fw::TShiftState Shift, int X, int Y);
    virtual void HideToTray();

    void HideMainForm();
    void PopupAtCursor();
    void CycleTimerTick(fw::TObject* Sender);
    LRESULT CallbackWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT ApplicationWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The owner form's window, or CallbackWindow when the owner is not a window.
    HWND OwnerWindow() const;

private:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool NotifyShell(DWORD message);
    void PrepareIconData();
    void CopyListImage(int index);
    void ClickDefaultItem();
    void AddRetryTick(fw::TObject* Sender);
    // Runs the retry timer exactly while the icon is wanted but not in the tray.
    void UpdateAddRetry();

    bool FEnabled = true;
    bool FBoxOpen = false;
    fw::THIcon FIcon;
    bool FIconVisible = true;
    std::string FHint;
    bool FShowHint = false;
    fw::TPopupMenu* FPopupMenu = nullptr;
    bool FLeftPopup = false;
    bool FStartMinimized = false;
    bool FMinimizeToTray = false;
    bool FClickPending = false;
    fw::TTimer* FCycleTimer = nullptr;
    int FIconIndex = 0;
    bool FDesignPreview = false;
    bool FPreviewChanging = false;
    fw::TImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    std::uint32_t FCycleInterval = 0;
    fw::TWindowHook FApplicationHook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        return ApplicationWindowProc(h, m, w, l);
    }};
    fw::TWindowHook FOwnerHook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        return OwnerWindowProc(h, m, w, l);
    }};
    NOTIFYICONDATAA FIconData{};
    fw::THWnd FCallbackWindow;
    // Sent to every top-level window when the shell (and its tray) starts again.
    UINT FTaskbarCreated = 0;
    TShellNotifyApi FShellApi;
    fw::TTimer* FAddRetryTimer = nullptr;
    bool FIconWanted = false;
    bool FIconInTray = false;
};
