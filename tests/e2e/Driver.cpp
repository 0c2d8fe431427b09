#include "Driver.h"

#include <stdexcept>

namespace e2e {

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(20);
    }
}

std::string TarvoPath() {
    char buffer[MAX_PATH * 4];
    DWORD n = ::GetEnvironmentVariableA("TARVO_EXE_WIN", buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) throw std::runtime_error("TARVO_EXE_WIN is not set");
    return std::string(buffer, n);
}

std::string WindowCaption(HWND hwnd) {
    int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

TTarvo::~TTarvo() {
    if (Running()) Kill();
    if (FProcess) ::CloseHandle(FProcess);
}

void TTarvo::Start(bool waitForAllWindows) {
    std::string path = TarvoPath();
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi))
        throw std::runtime_error("cannot start " + path);
    ::CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
    // The options window is created last: once it exists, start-up is over.
    if (waitForAllWindows)
        WaitFor([&] { return WindowTitled("Tarvo2000 Options") != nullptr || !Running(); }, 20000);
    else
        WaitFor([&] { return MainWindow() != nullptr || !Running(); }, 20000);
}

bool TTarvo::Running() const {
    return FProcess && ::WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

bool TTarvo::WaitForExit(DWORD timeoutMs) {
    return WaitFor([&] { return !Running(); }, timeoutMs);
}

void TTarvo::Kill() {
    if (!FProcess) return;
    ::TerminateProcess(FProcess, 99);
    ::WaitForSingleObject(FProcess, 10000);
}

DWORD TTarvo::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (FProcess) ::GetExitCodeProcess(FProcess, &code);
    return code;
}

namespace {
struct TFind {
    DWORD Pid;
    const std::string* Caption;
    std::vector<HWND> Found;
};
BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam) {
    auto* f = reinterpret_cast<TFind*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == f->Pid && WindowCaption(hwnd) == *f->Caption) f->Found.push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> TTarvo::WindowsTitled(const std::string& caption) const {
    TFind f{FPid, &caption, {}};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.Found;
}

HWND TTarvo::WindowTitled(const std::string& caption) const {
    auto all = WindowsTitled(caption);
    return all.empty() ? nullptr : all.front();
}

}  // namespace e2e
