// Where the main window may come back: a stored place that no screen shows would leave the
// window where nobody can reach it.
#pragma once

#include <vector>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Whether a person can take hold of a window there: a piece of its title bar (the top
// captionHeight pixels) at least a few pixels high and 48 wide lies on one of the work areas.
bool CanReach(const TRect& window, const std::vector<TRect>& workAreas, int captionHeight);

// The window moved to lie inside the work area, made smaller only where it is larger.
TRect MoveInto(const TRect& window, const TRect& work);
