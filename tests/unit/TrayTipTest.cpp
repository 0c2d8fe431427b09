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
    // A four-byte character whose first byte sits at the limit's last place.
    const std::string emoji = std::string(60, 'a') + "\xF0\x9F\x98\x80" + "z";
    EXPECT_EQ(TrayTipText(emoji, true), std::string(60, 'a'));
    // A character that ends exactly at the limit stays whole.
    const std::string fits = std::string(61, 'a') + "\xC3\xA4" + "zz";
    EXPECT_EQ(TrayTipText(fits, true), std::string(61, 'a') + "\xC3\xA4");
    // Three-byte characters all the way: 21 of them fill 63 bytes exactly.
    std::string euros;
    for (int i = 0; i < 30; ++i) euros += "\xE2\x82\xAC";
    EXPECT_EQ(TrayTipText(euros, true).size(), 63u);
}

TEST(TrayTipText, EndsAtAnEmbeddedZero) {
    EXPECT_EQ(TrayTipText(std::string("ab\0cd", 5), true), "ab");
    EXPECT_EQ(TrayTipText(std::string("\0cd", 3), true), "");
}
