// Drives the real Tarvo.exe from outside: start it, find its windows, post messages,
// press keys, read and clean the registry.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Waits until a condition holds, pumping this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

class TTarvo {
public:
    TTarvo() = default;
    ~TTarvo();
    TTarvo(const TTarvo&) = delete;
    TTarvo& operator=(const TTarvo&) = delete;

    // Starts Tarvo.exe and waits until all its windows exist, or only the main window
    // (a first run shows a message box while the main window is being created).
    void Start(bool waitForAllWindows = true);
    bool Running() const;
    // Waits for the process to end; true when it did within the time.
    bool WaitForExit(DWORD timeoutMs = 10000);
    void Kill();
    DWORD ExitCode() const;
    DWORD Pid() const { return FPid; }
    HANDLE Process() const { return FProcess; }

    // Top-level windows of this process with exactly this caption (hidden ones included).
    std::vector<HWND> WindowsTitled(const std::string& caption) const;
    HWND WindowTitled(const std::string& caption) const;
    HWND MainWindow() const { return WindowTitled("Tarvo2000 Version 1.2"); }
    HWND ApplicationWindow() const { return WindowTitled("Tarvo2000"); }

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
};

std::string TarvoPath();
std::string WindowCaption(HWND hwnd);

}  // namespace e2e
