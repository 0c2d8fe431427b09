// Where the main window comes back when its stored place is off every screen.
#include <gtest/gtest.h>

#include "ui/Placement.h"

TEST(Placement, ATitleBarOnAScreenCanBeReachedAndOneOffAllScreensIsMovedOnTheNearest) {
    const TRect left{0, 0, 1024, 738}, right{1024, 0, 2048, 738};
    struct TCase {
        TRect Window;
        bool Reachable;
    } cases[] = {
        {{190, 108, 676, 463}, true},
        {{-400, -5, 86, 350}, true},         // mostly off the left edge, title bar still there
        {{1900, 300, 2386, 655}, true},      // on the second screen
        {{3000, 300, 3486, 655}, false},     // where a third screen used to be
        {{100, 733, 586, 1088}, false},      // title bar under the bottom of the work area
        {{100, -30, 586, 325}, false},       // title bar above the top
        {{-470, 100, 16, 455}, false},       // only 16 pixels of it left on the screen
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CanReach(c.Window, {left, right}, 20), c.Reachable) << c.Window.Left << "," << c.Window.Top;

    EXPECT_EQ(MoveInto({3000, 300, 3486, 655}, right), (TRect{1562, 300, 2048, 655}));
    EXPECT_EQ(MoveInto({100, -30, 586, 325}, left), (TRect{100, 0, 586, 355}));
    // Larger than the screen: as large as the screen.
    EXPECT_EQ(MoveInto({-50, -50, 1500, 900}, left), (TRect{0, 0, 1024, 738}));
}
