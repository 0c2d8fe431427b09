#include "ui/Placement.h"

#include <algorithm>

bool CanReach(const TRect& window, const std::vector<TRect>& workAreas, int captionHeight) {
    const TRect strip{window.Left, window.Top, window.Right, window.Top + captionHeight};
    const int needWidth = std::min(48, window.Width()), needHeight = std::min(8, captionHeight);
    for (const TRect& work : workAreas) {
        const int w = std::min(strip.Right, work.Right) - std::max(strip.Left, work.Left);
        const int h = std::min(strip.Bottom, work.Bottom) - std::max(strip.Top, work.Top);
        if (w >= needWidth && h >= needHeight) return true;
    }
    return false;
}

TRect MoveInto(const TRect& window, const TRect& work) {
    const int width = std::min(window.Width(), work.Width());
    const int height = std::min(window.Height(), work.Height());
    const int left = std::clamp(window.Left, work.Left, work.Right - width);
    const int top = std::clamp(window.Top, work.Top, work.Bottom - height);
    return {left, top, left + width, top + height};
}
