// Does to a running Tarvo what a person does with the mouse and keys, for screenshots and demos:
//   poke_tarvo show       a left click on the tray icon (shows the main window)
//   poke_tarvo traymenu   a right click on the tray icon (opens the tray menu)
//   poke_tarvo listmenu   the context-menu key on the binding list (opens the list menu)
//   poke_tarvo keys TEXT  presses keys: letters and digits as they are, {ENTER}, {ESC}, {TAB},
//                         and ^x for Alt+x
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

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

void Press(WORD vk, bool alt) {
    INPUT in[4] = {};
    int n = 0;
    auto key = [&](WORD k, bool up) {
        in[n].type = INPUT_KEYBOARD;
        in[n].ki.wVk = k;
        in[n].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(k, MAPVK_VK_TO_VSC));
        in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (alt) key(VK_MENU, false);
    key(vk, false);
    key(vk, true);
    if (alt) key(VK_MENU, true);
    ::SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
    ::Sleep(50);
}

void Keys(const char* text) {
    for (const char* p = text; *p; ++p) {
        bool alt = false;
        if (*p == '^' && p[1]) alt = true, ++p;
        if (*p == '{') {
            const char* end = std::strchr(p, '}');
            if (!end) return;
            const std::string name(p + 1, end);
            Press(name == "ENTER" ? VK_RETURN : name == "ESC" ? VK_ESCAPE : name == "TAB" ? VK_TAB : VK_SPACE, alt);
            p = end;
            continue;
        }
        const char c = *p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 'a' + 'A') : *p;
        Press(static_cast<WORD>(c), alt);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: poke_tarvo show|traymenu|listmenu|keys TEXT\n");
        return 2;
    }
    if (std::strcmp(argv[1], "keys") == 0 && argc == 3) {
        Keys(argv[2]);
        return 0;
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
    } else if (std::strcmp(argv[1], "listmenu") == 0) {
        HWND main = ::FindWindowA(nullptr, "Tarvo2000 Version 1.2");
        HWND list = main ? ::FindWindowExA(main, nullptr, "SysListView32", nullptr) : nullptr;
        if (!list) return 1;
        ::PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    } else {
        return 2;
    }
    return 0;
}
