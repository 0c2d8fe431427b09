// Does to a running Tarvo what a person does with the mouse and keys, for screenshots and demos:
//   poke_tarvo show       a left click on the tray icon (shows the main window)
//   poke_tarvo traymenu   a right click on the tray icon (opens the tray menu)
//   poke_tarvo listmenu   the context-menu key on the binding list (opens the list menu)
//   poke_tarvo keys TEXT  presses keys: letters and digits as they are, {ENTER}, {ESC}, {TAB},
//                         {UP}, {DOWN}, {F1} to {F12}, and ^x for Alt+x
//   poke_tarvo close CAPTION  asks a shown window to close, as its close box does
//   poke_tarvo rect WHAT  prints "left top right bottom" in screen pixels of a shown window:
//                         WHAT is a top-level window's caption, "menu" (the open pop-up menu)
//                         or "tray" (the notification area's end of the taskbar)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

// Visible top-level windows of a class, or with a caption, the first in z-order.
HWND FindShown(const char* cls, const char* caption) {
    struct TFind {
        const char* Cls;
        const char* Caption;
        HWND Found;
    } find{cls, caption, nullptr};
    ::EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
            auto* f = reinterpret_cast<TFind*>(l);
            if (!::IsWindowVisible(h)) return TRUE;
            char text[256] = {};
            if (f->Cls) {
                ::GetClassNameA(h, text, sizeof text);
                if (std::strcmp(text, f->Cls) != 0) return TRUE;
            } else {
                ::GetWindowTextA(h, text, sizeof text);
                if (std::strcmp(text, f->Caption) != 0) return TRUE;
            }
            f->Found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

// The square at the right end of the taskbar where the notification area shows the icon.
bool TrayIconRect(RECT& r) {
    HWND bar = FindShown("Shell_TrayWnd", nullptr);
    if (!bar || !::GetWindowRect(bar, &r)) return false;
    r.left = r.right - (r.bottom - r.top);
    return true;
}

int PrintRect(const char* what) {
    RECT r{};
    bool found = false;
    if (std::strcmp(what, "tray") == 0) {
        found = TrayIconRect(r);
    } else {
        HWND h = std::strcmp(what, "menu") == 0 ? FindShown("#32768", nullptr) : FindShown(nullptr, what);
        found = h && ::GetWindowRect(h, &r);
    }
    if (!found) {
        std::fprintf(stderr, "no window: %s\n", what);
        return 1;
    }
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

void Keys(const char* text) {
    for (const char* p = text; *p; ++p) {
        bool alt = false;
        if (*p == '^' && p[1]) alt = true, ++p;
        if (*p == '{') {
            const char* end = std::strchr(p, '}');
            if (!end) return;
            const std::string name(p + 1, end);
            WORD vk = name == "ENTER" ? VK_RETURN
                      : name == "ESC" ? VK_ESCAPE
                      : name == "TAB" ? VK_TAB
                      : name == "UP"  ? VK_UP
                      : name == "DOWN" ? VK_DOWN
                                       : VK_SPACE;
            if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
                const int n = std::atoi(name.c_str() + 1);
                if (n >= 1 && n <= 12) vk = static_cast<WORD>(VK_F1 + n - 1);
            }
            Press(vk, alt);
            p = end;
            continue;
        }
        const char c = *p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 'a' + 'A') : *p;
        Press(static_cast<WORD>(c), alt);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Rectangles in real pixels, whatever the DPI.
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 2) {
        std::fprintf(stderr, "usage: poke_tarvo show|traymenu|listmenu|keys TEXT|rect WHAT|close CAPTION\n");
        return 2;
    }
    if (std::strcmp(argv[1], "rect") == 0 && argc == 3) return PrintRect(argv[2]);
    if (std::strcmp(argv[1], "close") == 0 && argc == 3) {
        HWND h = FindShown(nullptr, argv[2]);
        if (!h) return 1;
        ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
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
        // The menu opens where the mouse is: at the icon, as after a real click, but just
        // above it, or the icon's tip would show over the menu.
        RECT icon{};
        if (TrayIconRect(icon)) ::SetCursorPos((icon.left + icon.right) / 2, icon.top - 1);
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
