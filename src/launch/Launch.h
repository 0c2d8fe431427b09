// Runs action commands through the shell, hides and re-shows other programs'
// windows, and shows the program's message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "launch/ActionCommand.h"

// What the launcher needs from the rest of the program; the main window fills it
// in at start-up. An empty function is skipped (or, for the two calls at the end,
// replaced by the real system call).
struct TLaunchContext {
    std::function<HWND()> OwnerWindow;            // owner of the shell's windows
    std::function<void(bool)> SetTrayEnabled;     // the tray icon's Enabled
    std::function<int(const std::string& text, const std::string& caption, int flags)>
        MessageBoxFn;
    std::function<INT_PTR(HWND owner, const char* operation, const char* file,
                          const char* parameters)>
        ShellExecuteFn;
    // Message boxes of ShowMessageBox open right now; a hotkey can open one inside another.
    int OpenMessageBoxes = 0;
};

extern TLaunchContext LaunchContext;
// "Browse using new window": web addresses start a new browser process.
extern bool NewBrowserOption;
// A window hidden by "USER_HIDE_WINDOW" with the process it belonged to then: once a window
// is gone, the system may give its handle to another process's window.
struct THiddenWindow {
    HWND Handle = nullptr;
    DWORD ProcessId = 0;
    friend bool operator==(const THiddenWindow&, const THiddenWindow&) = default;
};
extern THiddenWindowStack<THiddenWindow> HiddenWindows;

// Runs one action command; false only when a failure was reported to the user.
bool ExecuteAction(const std::string& command);
// True only when a new browser process was started for the target.
bool OpenInNewBrowser(const std::string& target);
// The executable Windows associates with ".htm" files, unquoted; empty if none.
std::string FindDefaultBrowser();
// The same answer through FindExecutableA on a private temporary .htm file.
std::string FindBrowserByProbe();
// Whether "USER_HIDE_WINDOW" may hide a window: never one of the program's own, the
// desktop or the taskbar.
bool MayHideWindow(HWND window);
// Both return 100 so callers' "greater than 32" success test passes.
int HideForegroundWindow();
int ShowLastHiddenWindow();
// Shows every window still recorded as hidden that still belongs to the process it belonged
// to when hidden (at shutdown, end of session).
void ShowAllHiddenWindows();
// A modal message box over the program's windows; tray clicks are ignored while it is up.
int ShowMessageBox(const std::string& text, const std::string& caption, int flags);

// The GUI thread as a single-threaded COM apartment without OLE1 DDE, as the
// shell's verbs expect of ShellExecuteA's caller. Create one for the thread's lifetime.
class TShellApartment {
public:
    TShellApartment();
    ~TShellApartment();
    TShellApartment(const TShellApartment&) = delete;
    TShellApartment& operator=(const TShellApartment&) = delete;
    // False when the thread already was in another apartment; then nothing is undone.
    bool Initialized() const { return FInitialized; }

private:
    bool FInitialized = false;
};
