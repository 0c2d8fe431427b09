#include "ui/WindowPlace.h"

#include <vector>

#include "framework/Window.h"
#include "ui/Placement.h"

namespace {

TRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    if (::GetMonitorInfoA(monitor, &mi)) reinterpret_cast<std::vector<TRect>*>(areas)->push_back(ToRect(mi.rcWork));
    return TRUE;
}

}  // namespace

bool NormalBounds(HWND window, RECT& bounds) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(window, &wp)) return false;
    bounds = wp.rcNormalPosition;
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    if (::GetMonitorInfoA(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &mi))
        ::OffsetRect(&bounds, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    return true;
}

RECT ReachableBounds(HWND window, RECT wanted) {
    std::vector<TRect> workAreas;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
    if (workAreas.empty() || CanReach(ToRect(wanted), workAreas, fw::ScaleForWindow(window, 20))) return wanted;
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    if (!::GetMonitorInfoA(::MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &mi)) return wanted;
    const TRect moved = MoveInto(ToRect(wanted), ToRect(mi.rcWork));
    return {moved.Left, moved.Top, moved.Right, moved.Bottom};
}

RECT StoredBounds(HWND window, const RECT& current, const TStoredPlacement& stored) {
    const int left = stored.Left.value_or(current.left), top = stored.Top.value_or(current.top);
    return ReachableBounds(window, {left, top, left + stored.Width.value_or(current.right - current.left),
                                    top + stored.Height.value_or(current.bottom - current.top)});
}
