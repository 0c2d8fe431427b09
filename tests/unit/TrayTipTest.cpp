// The tray tip: shown only when wanted, and cut to what the shell's record holds.
#include <gtest/gtest.h>

#include <string>

#include "shell/TrayTip.h"

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
