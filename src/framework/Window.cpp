#include "framework/Window.h"

#include <commctrl.h>

#include "framework/Application.h"

namespace fw {

namespace {

const char* const kObjectProp = "Tarvo.Object";
const char* const kWindowClass = "TarvoWindow";
const char* const kUtilClass = "TarvoUtilWindow";

LRESULT CALLBACK SharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        BindWindow(hwnd, static_cast<TWndTarget*>(cs->lpCreateParams));
    }
    TWndTarget* target = TargetOf(hwnd);
    if (msg == WM_NCDESTROY) BindWindow(hwnd, nullptr);
    if (!target) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return GuardedCall([&] { return target->WndProc(hwnd, msg, wParam, lParam); },
                       msg == WM_NCCREATE ? TRUE : 0);
}

void RegisterClassOnce(const char* name, UINT style, HBRUSH background) {
    WNDCLASSEXA wc{};
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (::GetClassInfoExA(instance, name, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = SharedWndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    ::RegisterClassExA(&wc);
}

}  // namespace

void BindWindow(HWND hwnd, TWndTarget* target) {
    if (target)
        ::SetPropA(hwnd, kObjectProp, target);
    else
        ::RemovePropA(hwnd, kObjectProp);
}

TWndTarget* TargetOf(HWND hwnd) {
    return hwnd ? static_cast<TWndTarget*>(::GetPropA(hwnd, kObjectProp)) : nullptr;
}

const char* BoundWindowClass() { return kWindowClass; }

HWND CreateBoundWindow(const TWindowParams& p, TWndTarget* target) {
    RegisterClassOnce(kWindowClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND hwnd = ::CreateWindowExA(p.ExStyle, kWindowClass, p.Caption.c_str(), p.Style, p.X, p.Y,
                                  p.Width, p.Height, p.Parent, p.Menu, ::GetModuleHandleA(nullptr),
                                  target);
    if (hwnd && p.Icon) {
        ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(p.Icon));
        ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(p.Icon));
    }
    return hwnd;
}

HWND AllocateHWnd(TWndTarget* target) {
    RegisterClassOnce(kUtilClass, 0, nullptr);
    // A hidden top-level window, not a message-only one: it must also hear broadcasts.
    return ::CreateWindowExA(WS_EX_TOOLWINDOW, kUtilClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), target);
}

bool TWindowHook::Hook(HWND hwnd) {
    Unhook();
    if (!hwnd || !::SetWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this),
                                      reinterpret_cast<DWORD_PTR>(this)))
        return false;
    FWindow = hwnd;
    return true;
}

void TWindowHook::Unhook() {
    if (!FWindow) return;
    if (::IsWindow(FWindow))
        ::RemoveWindowSubclass(FWindow, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    FWindow = nullptr;
}

LRESULT TWindowHook::CallPrevious(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TWindowHook::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR refData) {
    auto* self = reinterpret_cast<TWindowHook*>(refData);
    bool passedOn = false;
    LRESULT result = GuardedCall([&] {
        LRESULT r = self->FHandler(hwnd, msg, wParam, lParam);
        passedOn = true;
        return r;
    });
    // A failing handler must not swallow the message.
    if (!passedOn) result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window is gone: the system drops its hooks, so forget ours.
        ::RemoveWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(self));
        self->FWindow = nullptr;
    }
    return result;
}

void HandleEscapedException() {
    if (Application)
        Application->HandleException(nullptr);
}

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (::GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (::GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    return s;
}

UINT DpiOfWindow(HWND hwnd) {
    UINT dpi = hwnd ? ::GetDpiForWindow(hwnd) : 0;
    if (dpi == 0) dpi = ::GetDpiForSystem();
    return dpi ? dpi : 96;
}

int ScaleForWindow(HWND hwnd, int pixels96) {
    return ::MulDiv(pixels96, static_cast<int>(DpiOfWindow(hwnd)), 96);
}

}  // namespace fw
