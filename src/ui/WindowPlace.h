// Where a window is and may come back, in the coordinates its stored placement uses.
#pragma once

#include <windows.h>

#include "settings/Settings.h"

// The window's normal place, also while it is minimised or maximised, in screen coordinates
// (the system gives it in work-area ones). False when the window has none.
bool NormalBounds(HWND window, RECT& bounds);
// The wanted place, or, when no screen shows it now (a monitor since taken away), the place
// moved onto the nearest screen, where the window can be reached.
RECT ReachableBounds(HWND window, RECT wanted);
// Where a stored placement puts a window now at current: each stored value in place of the
// current one, the whole moved onto a screen when none shows it.
RECT StoredBounds(HWND window, const RECT& current, const TStoredPlacement& stored);
