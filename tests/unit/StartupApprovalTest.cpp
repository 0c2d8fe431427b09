#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/RunEntry.h"

namespace {

// The option with a Run entry that names the program, for each state of Task Manager's switch
// (no value, on, off): what the dialog shows, what storing a tick or an untick leaves of the
// switch, and what the dialog shows next (a tick writes the Run entry, an untick deletes it).
TEST(StartupApproval, TheOptionShowsWhatWindowsStartsAndATickTurnsWindowsSwitchBackOn) {
    using enum TStartupApproval;
    // The state byte, three zero bytes and, when off, the time it was turned off.
    const std::string on("\x02\0\0\0\0\0\0\0\0\0\0\0", 12), off("\x03\0\0\0\x10\x32\x54\x76\x98\xBA\xDC\x01", 12);
    const struct {
        std::optional<std::string> Stored;
        bool Tick, ShownBefore;
        TStartupApproval After;
    } cases[] = {
        {std::nullopt, true, true, Absent}, {std::nullopt, false, true, Absent},
        {on, true, true, Enabled},          {on, false, true, Enabled},
        {"", true, true, Enabled},          {"\x06", false, true, Enabled},
        {off, true, false, Absent},         {off, false, false, Disabled},
        {"\x07", true, false, Absent},      {"\xFF\x02", false, false, Disabled},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(row++));
        const TStartupApproval before = StartupApprovalOf(c.Stored);
        EXPECT_EQ(StartsAtLogon(true, before), c.ShownBefore);
        EXPECT_FALSE(StartsAtLogon(false, before));  // another program's entry, or none
        const TStartupApproval after = ApprovalAfterStoring(c.Tick, before);
        EXPECT_EQ(after, c.After);
        EXPECT_EQ(StartsAtLogon(c.Tick, after), c.Tick);
    }
}

}  // namespace
