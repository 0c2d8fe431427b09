// Windows bound to objects, and hooks chained in front of another window's procedure.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "framework/Events.h"

namespace fw {

// Anything that serves the messages of a window created through CreateBoundWindow.
class TWndTarget {
public:
    virtual ~TWndTarget() = default;
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// The one place where a window learns its object (and forgets it on WM_NCDESTROY).
void BindWindow(HWND hwnd, TWndTarget* target);
TWndTarget* TargetOf(HWND hwnd);

struct TWindowParams {
    DWORD ExStyle = 0;
    DWORD Style = WS_OVERLAPPEDWINDOW;
    std::string Caption;
    int X = CW_USEDEFAULT, Y = CW_USEDEFAULT, Width = CW_USEDEFAULT, Height = CW_USEDEFAULT;
    HWND Parent = nullptr;  // owner for top-level windows
    HMENU Menu = nullptr;   // child id for child windows
    HICON Icon = nullptr;
};

// The class of the windows CreateBoundWindow makes: the application window and the forms.
const char* BoundWindowClass();

// Creates a window of the framework's own class served by target->WndProc.
// The target is bound before WM_NCCREATE returns, so it sees every message.
HWND CreateBoundWindow(const TWindowParams& params, TWndTarget* target);

// Creates a hidden top-level utility window (for timers, tray callbacks, broadcasts).
HWND AllocateHWnd(TWndTarget* target);

// A hook in front of a window's procedure: every message goes to the handler, which passes
// it on with CallPrevious (or answers it itself). Hooks installed later see messages first;
// remove them in the reverse order of installing. WM_NCDESTROY reaches the handler too,
// after which the hook forgets the window.
class TWindowHook {
public:
    using THandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    explicit TWindowHook(THandler handler) : FHandler(std::move(handler)) {}
    ~TWindowHook() { Unhook(); }
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;

    bool Hook(HWND hwnd);
    void Unhook();
    HWND HookedWindow() const { return FWindow; }

    // Hands a message to the procedure that was in place before the hook now running.
    static LRESULT CallPrevious(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    THandler FHandler;
    HWND FWindow = nullptr;
};

// Runs a window procedure body so that no exception leaves it: an escaping exception
// goes to the application's standard error box and the message gets a neutral result.
template <class F>
LRESULT GuardedCall(F&& body, LRESULT onError = 0);

void HandleEscapedException();

template <class F>
LRESULT GuardedCall(F&& body, LRESULT onError) {
    try {
        return body();
    } catch (...) {
        HandleEscapedException();
        return onError;
    }
}

// Shift, Alt and Ctrl as the keyboard has them now.
TShiftState KeyboardShiftState();

// Scales a 96-DPI length to the DPI of a window (or of the primary screen with nullptr).
int ScaleForWindow(HWND hwnd, int pixels96);
UINT DpiOfWindow(HWND hwnd);

}  // namespace fw
