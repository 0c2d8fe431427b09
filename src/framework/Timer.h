// A message-driven timer: a system timer exists only while it is enabled with a
// non-zero interval, so a disabled or zero-period timer costs nothing while idle.
#pragma once

#include <windows.h>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"
#include "framework/Window.h"

namespace fw {

class TTimer : public TComponent, private TWndTarget {
public:
    explicit TTimer(TComponent* AOwner, UINT interval = 1000, bool enabled = true);
    ~TTimer() override;
    std::string ClassName() const override { return "TTimer"; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    // Milliseconds between ticks; 0 stops the ticks.
    UINT Interval() const { return FInterval; }
    void SetInterval(UINT value);
    // True while a system timer is set.
    bool Running() const { return FRunning; }

    TNotifyEvent OnTimer;

private:
    void UpdateTimer();
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    UINT FInterval;
    bool FEnabled;
    bool FRunning = false;
    THWnd FWindow;  // made the first time the timer runs
};

}  // namespace fw
