#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/RunEntry.h"

namespace {

// Task Manager's switch as it stores it: the state byte, three zero bytes and, when turned
// off, the time it was turned off.
const std::string kEnabled("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
const std::string kDisabled("\x03\0\0\0\x10\x32\x54\x76\x98\xBA\xDC\x01", 12);

TEST(StartupApproval, AnOddFirstByteIsOffAndAnythingElseIsOn) {
    EXPECT_EQ(StartupApprovalOf(std::nullopt), TStartupApproval::Absent);
    for (const std::string& on : {kEnabled, std::string(), std::string("\x06", 1), std::string("\xFE\x01", 2)})
        EXPECT_EQ(StartupApprovalOf(on), TStartupApproval::Enabled) << on.size();
    for (const std::string& off : {kDisabled, std::string("\x01", 1), std::string("\x07\x00", 2), std::string("\xFF", 1)})
        EXPECT_EQ(StartupApprovalOf(off), TStartupApproval::Disabled) << off.size();
}

// The option with a Run entry that names the program: what the dialog shows, what storing a
// tick or an untick leaves of the switch, and what the dialog shows when it opens next (the
// Run entry is written by a tick and deleted by an untick).
TEST(StartupApproval, TheOptionShowsWhatWindowsStartsAndATickTurnsWindowsSwitchBackOn) {
    using enum TStartupApproval;
    const struct {
        std::optional<std::string> Stored;
        bool Tick;
        bool ShownBefore;
        TStartupApproval After;
    } cases[] = {
        {std::nullopt, true, true, Absent},  {std::nullopt, false, true, Absent},
        {kEnabled, true, true, Enabled},     {kEnabled, false, true, Enabled},
        {kDisabled, true, false, Absent},    {kDisabled, false, false, Disabled},
    };
    for (const auto& c : cases) {
        const TStartupApproval before = StartupApprovalOf(c.Stored);
        SCOPED_TRACE(testing::Message() << "switch " << static_cast<int>(before) << ", tick " << c.Tick);
        EXPECT_EQ(StartsAtLogon(true, before), c.ShownBefore);
        const TStartupApproval after = ApprovalAfterStoring(c.Tick, before);
        EXPECT_EQ(after, c.After);
        EXPECT_EQ(StartsAtLogon(c.Tick, after), c.Tick);
        // A Run entry that is not this program's never shows ticked.
        EXPECT_FALSE(StartsAtLogon(false, before));
    }
}

}  // namespace
