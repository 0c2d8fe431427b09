// Stands in for other programs' windows in tests: opens one top-level window for each
// argument "class:caption" ("N*class:caption" opens N), minimised after "--minimized",
// then keeps them until it is ended. A window sent WM_CLOSE goes away on its own.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    int opened = 0;
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        if (arg == "--minimized") {
            style |= WS_MINIMIZE;
            continue;
        }
        int count = 1;
        if (const auto star = arg.find('*'); star != std::string::npos) {
            count = std::atoi(arg.substr(0, star).c_str());
            arg = arg.substr(star + 1);
        }
        const auto colon = arg.find(':');
        if (colon == std::string::npos) return 2;
        const std::string className = arg.substr(0, colon), caption = arg.substr(colon + 1);
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = className.c_str();
        ::RegisterClassA(&wc);  // fails harmlessly for a class named twice
        for (int n = 0; n < count; ++n, ++opened) {
            const int offset = 10 + (opened % 40) * 8;
            if (!::CreateWindowExA(0, className.c_str(), caption.c_str(), style, offset, offset, 160,
                                   90, nullptr, nullptr, instance, nullptr))
                return 3;
        }
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
