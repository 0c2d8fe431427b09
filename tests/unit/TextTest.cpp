#include "app/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(UpperAscii, ConvertsOnlyLowerCaseLatinLetters) {
    EXPECT_EQ(UpperAscii("abcxyz"), "ABCXYZ");
    EXPECT_EQ(UpperAscii("Http://Example.com/a?b=1"), "HTTP://EXAMPLE.COM/A?B=1");
    EXPECT_EQ(UpperAscii("`{@["), "`{@["); // neighbours of a..z and A..Z
    EXPECT_EQ(UpperAscii(""), "");
}

TEST(UpperAscii, LeavesUtf8AndControlBytesAlone) {
    EXPECT_EQ(UpperAscii("\xC3\xA4pfel"), "\xC3\xA4PFEL"); // "äpfel": ä stays as it is
    EXPECT_EQ(UpperAscii("\xD1\x8F"), "\xD1\x8F");         // Cyrillic "я"
    EXPECT_EQ(UpperAscii(std::string_view("a\0b", 3)), std::string_view("A\0B", 3));
    EXPECT_EQ(UpperAscii("\t\r\n"), "\t\r\n");
}

TEST(TrimControl, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(TrimControl("  notepad.exe  "), "notepad.exe");
    EXPECT_EQ(TrimControl("\t\r\nhttp://x\r\n"), "http://x");
    EXPECT_EQ(TrimControl("\x01\x1F value \x7F"), "value \x7F"); // DEL is above 32
    EXPECT_EQ(TrimControl(std::string_view("\0a\0", 3)), "a");
    EXPECT_EQ(TrimControl("a  b"), "a  b");
    EXPECT_EQ(TrimControl(""), "");
    EXPECT_EQ(TrimControl(" \t\r\n"), "");
    EXPECT_EQ(TrimControl("x"), "x");
}

TEST(TrimControl, KeepsUtf8BytesAtTheEdges) {
    // Lead and trail bytes are negative as signed chars; they must not count as control.
    EXPECT_EQ(TrimControl(" \xC3\xA4 "), "\xC3\xA4");
    EXPECT_EQ(TrimControl("\xE2\x82\xAC"), "\xE2\x82\xAC"); // "€"
    EXPECT_EQ(TrimControl("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0"); // no-break space kept
}

} // namespace
