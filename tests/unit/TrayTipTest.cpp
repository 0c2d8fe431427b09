// The tray tip: shown only when wanted, and cut to what the shell's record holds.
#include <gtest/gtest.h>

#include <string>

#include "shell/TrayTip.h"
#include "ui/Messages.h"

TEST(TrayTipText, IsEmptyUnlessAHintIsToBeShown) {
    EXPECT_EQ(TrayTipText("Tarvo2000 v1.2", false), "");
    EXPECT_EQ(TrayTipText("", true), "");
    EXPECT_EQ(TrayTipText("Tarvo2000 v1.2", true), "Tarvo2000 v1.2");
}

TEST(TrayTipText, KeepsTheFirst63CharactersOfALongHint) {
    const std::string exact(63, 'a');
    EXPECT_EQ(TrayTipText(exact, true), exact);
    const std::string longer = std::string(63, 'b') + "cdef";
    EXPECT_EQ(TrayTipText(longer, true), std::string(63, 'b'));
    EXPECT_EQ(TrayTipText(std::string(64, 'x'), true).size(), 63u);
}

TEST(TrayTipText, NeverCutsInsideACharacter) {
    // 62 ASCII bytes, then a two-byte "ä" that would straddle the limit.
    const std::string straddling = std::string(62, 'a') + "\xC3\xA4" + "z";
    EXPECT_EQ(TrayTipText(straddling, true), std::string(62, 'a'));
}

TEST(TrayTipText, EndsAtAnEmbeddedZero) {
    EXPECT_EQ(TrayTipText(std::string("ab\0cd", 5), true), "ab");
    EXPECT_EQ(TrayTipText(std::string("\0cd", 3), true), "");
}

// While stored subkeys are read after start-up the tip tells how far that has come.
TEST(TrayHint, ShowsTheShareReadWhileSubkeysAreLeft) {
    const struct {
        size_t Pending, Total;
        const char* Hint;
    } cases[] = {
        {0, 0, "Tarvo2000 v1.2"},
        {0, 500, "Tarvo2000 v1.2"},
        {500, 500, "Tarvo2000 v1.2 - reading stored bindings, 0%"},
        {1, 3, "Tarvo2000 v1.2 - reading stored bindings, 66%"},
        {7, 3, "Tarvo2000 v1.2"},  // more left than there were: nothing sensible to show
    };
    for (const auto& c : cases) EXPECT_EQ(TrayHint(c.Pending, c.Total), c.Hint) << c.Pending << "/" << c.Total;
}
