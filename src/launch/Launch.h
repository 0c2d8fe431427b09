// Runs action commands through the shell, hides and re-shows other programs'
// windows, and shows the program's message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "launch/ActionCommand.h"

// Starts action commands. Whoever creates it says which window owns what the shell shows and,
// in tests, what stands in for the shell; an empty function means the real thing.
class TLauncher {
public:
    using TShellExecute = std::function<INT_PTR(HWND owner, const char* operation, const char* file,
                                                const char* parameters)>;
    explicit TLauncher(std::function<HWND()> ownerWindow = {}, TShellExecute shellExecute = {})
        : FOwnerWindow(std::move(ownerWindow)), FShellExecute(std::move(shellExecute)) {}

    // Runs one action command; false only when a failure was reported to the user.
    bool ExecuteAction(const std::string& command) const;

private:
    INT_PTR Shell(const char* operation, const char* file, const char* parameters) const;
    std::function<HWND()> FOwnerWindow;
    TShellExecute FShellExecute;
};

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

// True only when a new browser process was started for the target.
bool OpenInNewBrowser(const std::string& target);
// The executable Windows associates with ".htm" files, unquoted; empty if none.
std::string FindDefaultBrowser();
// The same answer through FindExecutableA on a private temporary .htm file.
std::string FindBrowserByProbe();
// Whether "USER_HIDE_WINDOW" may hide a window: never one of the program's own, the
// desktop or the shell (IsShellWindowClass).
bool MayHideWindow(HWND window);
// Both return 100 so callers' "greater than 32" success test passes.
int HideForegroundWindow();
int ShowLastHiddenWindow();
// Shows every window still recorded as hidden that still belongs to the process it belonged
// to when hidden (at shutdown, end of session).
void ShowAllHiddenWindows();
// A modal message box over the program's windows, through the application's one box path:
// the program's windows take no commands while it is up, and a click on the tray icon only
// brings it to the front.
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
