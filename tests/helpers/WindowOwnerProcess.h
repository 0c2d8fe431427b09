// Runs window_owner.exe (from a copy of it at a path of the test's choosing) and finds its
// windows; ends it when the object goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

class TWindowOwnerProcess {
public:
    // Copies `source` to `path` unless they are the same, starts it with these arguments and
    // waits until `windows` of its windows are on screen.
    TWindowOwnerProcess(const std::string& source, const std::string& path,
                        const std::string& arguments, std::size_t windows) {
        if (path != source) {
            ::CreateDirectoryA(path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
            if (!::CopyFileA(source.c_str(), path.c_str(), FALSE)) return;
        }
        std::string commandLine = "\"" + path + "\" " + arguments;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        FProcess.Reset(pi.hProcess);
        FPid = pi.dwProcessId;
        for (int i = 0; i < 500 && Windows().size() < windows; ++i) ::Sleep(20);
    }
    ~TWindowOwnerProcess() {
        if (!FProcess) return;
        ::TerminateProcess(FProcess.Get(), 0);
        ::WaitForSingleObject(FProcess.Get(), 5000);  // its file may be copied over next time
    }
    TWindowOwnerProcess(const TWindowOwnerProcess&) = delete;
    TWindowOwnerProcess& operator=(const TWindowOwnerProcess&) = delete;

    // Its top-level windows on screen, minimised ones included.
    std::vector<HWND> Windows() const {
        struct TFound {
            DWORD Pid;
            std::vector<HWND> All;
        } found{FPid, {}};
        ::EnumWindows([](HWND h, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<TFound*>(l);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == f->Pid && ::IsWindowVisible(h)) f->All.push_back(h);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&found));
        return found.All;
    }

private:
    fw::THandle FProcess;
    DWORD FPid = 0;
};
