#include "framework/Timer.h"

namespace fw {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* AOwner, UINT interval, bool enabled)
    : TComponent(AOwner), FInterval(interval), FEnabled(enabled) {
    UpdateTimer();
}

TTimer::~TTimer() {
    if (FRunning) ::KillTimer(FWindow.Get(), kTimerId);
    FRunning = false;
    // Destroyed here, while this object can still serve the window's last messages.
    FWindow.Reset();
}

void TTimer::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(UINT value) {
    if (FInterval == value) return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (FRunning) {
        ::KillTimer(FWindow.Get(), kTimerId);
        FRunning = false;
    }
    if (!FEnabled || FInterval == 0) return;
    if (!FWindow) FWindow.Reset(AllocateHWnd(this));
    FRunning = FWindow && ::SetTimer(FWindow.Get(), kTimerId, FInterval, nullptr) != 0;
}

LRESULT TTimer::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        Fire(OnTimer, this);
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace fw
