#include "shell/OneInstance.h"

#include <vector>

#include "framework/Application.h"
#include "framework/WinText.h"
#include "framework/Window.h"

std::unique_ptr<TPreviousInstance> PreviousInstance;

TPreviousInstance::~TPreviousInstance() {
    // Only the copy that created the mutex owns it; closing alone would leave it abandoned.
    if (MutexHandle && !Found) ::ReleaseMutex(MutexHandle.Get());
}

void CheckPreviousInstance() {
    PreviousInstance = std::make_unique<TPreviousInstance>();
    const std::string name = fw::Application ? fw::Application->Title() : std::string();
    // Without a name the mutex would be private to this copy and guard nothing.
    if (name.empty()) return;
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    const DWORD error = ::GetLastError();
    PreviousInstance->MutexHandle.Reset(mutex);
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        PreviousInstance->Found = true;
        PreviousInstance->MutexHandle.Reset();  // the earlier copy's mutex is not ours to keep
    }
}

void FreePreviousInstance() { PreviousInstance.reset(); }

namespace {

// The path of the program file a process runs, or empty when the process cannot be asked.
std::string ProcessImage(DWORD pid) {
    fw::THandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return {};
    std::string path(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        DWORD size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameA(process.Get(), 0, path.data(), &size)) {
            path.resize(size);
            return path;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        path.resize(path.size() * 2);
    }
    return {};
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    try {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
        return TRUE;
    } catch (...) {
        return FALSE;  // never let an exception through the system's callback
    }
}

void BringForward(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    // The user just started this copy, so it may pass the foreground on to the earlier one.
    ::AllowSetForegroundWindow(pid);
    if (::IsIconic(window)) {
        // The application window's own restore command also shows the main window, so the
        // taskbar button never comes back alone.
        ::PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    } else {
        // Raised without waiting for the earlier copy to answer.
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
}

}  // namespace

HWND FindPreviousInstanceWindow(const std::string& title) {
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const std::string program = fw::TitleFromModulePath(fw::ModuleFileName());
    const std::string windowClass = fw::BoundWindowClass();
    for (HWND window : windows) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        // Application windows are top-level and owned by nobody; forms are owned by one.
        if (pid == ::GetCurrentProcessId() || ::GetWindow(window, GW_OWNER)) continue;
        if (!fw::WindowNameIs(window, fw::TWindowName::ClassName, windowClass)) continue;
        // For another process's window this reads the caption the system keeps: no message.
        if (!fw::WindowNameIs(window, fw::TWindowName::Caption, title)) continue;
        // A copy started from a file of another name is another program that runs beside.
        const std::string image = ProcessImage(pid);
        if (!image.empty() && fw::TitleFromModulePath(image) != program) continue;
        return window;
    }
    return nullptr;
}

TOneInstance::TOneInstance(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    if (!PreviousInstance || !PreviousInstance->Found || !fw::Application) return;
    if (HWND previous = FindPreviousInstanceWindow(fw::Application->Title())) BringForward(previous);
    // Out of the way of any later search, since this copy is about to end.
    ::SetWindowTextA(fw::Application->Handle(), "");
    fw::Application->Terminate();
}
