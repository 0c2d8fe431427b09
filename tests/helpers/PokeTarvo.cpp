// Does to a running Tarvo what a person does with the mouse, for screenshots and demos:
//   poke_tarvo show     a left click on the tray icon (shows the main window)
//   poke_tarvo traymenu a right click on the tray icon (opens the tray menu)
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND FindTrayCallbackWindow() {
    HWND app = ::FindWindowA(nullptr, "Tarvo2000");
    if (!app) return nullptr;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(app, &pid);
    struct TFind {
        DWORD Pid;
        HWND Found;
    } find{pid, nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<TFind*>(l);
            DWORD p = 0;
            ::GetWindowThreadProcessId(h, &p);
            char cls[64] = {};
            ::GetClassNameA(h, cls, sizeof cls);
            if (p == f->Pid && std::strcmp(cls, "TarvoUtilWindow") == 0) {
                f->Found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: poke_tarvo show|traymenu\n");
        return 2;
    }
    HWND tray = FindTrayCallbackWindow();
    if (!tray) {
        std::fprintf(stderr, "Tarvo is not running\n");
        return 1;
    }
    if (std::strcmp(argv[1], "show") == 0) {
        ::PostMessageA(tray, 0x0800, 1, WM_LBUTTONDOWN);
        ::PostMessageA(tray, 0x0800, 1, WM_LBUTTONUP);
    } else if (std::strcmp(argv[1], "traymenu") == 0) {
        ::PostMessageA(tray, 0x0800, 1, WM_RBUTTONDOWN);
    } else {
        return 2;
    }
    return 0;
}
