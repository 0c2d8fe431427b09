// Where a window is and may come back, in the coordinates its stored placement uses.
#pragma once

#include <windows.h>

// The window's normal place, also while it is minimised or maximised, in screen coordinates
// (the system gives it in work-area ones). False when the window has none.
bool NormalBounds(HWND window, RECT& bounds);
// The wanted place, or, when no screen shows it now (a monitor since taken away), the place
// moved onto the nearest screen, where the window can be reached.
RECT ReachableBounds(HWND window, RECT wanted);
