#include "app/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(CopyUtf8Prefix, CutsOnlyBetweenCharactersAndAlwaysEndsWithZero) {
    struct TCase {
        const char* Name;
        std::string Text;
        std::size_t Size;      // the buffer's size, terminating zero included
        std::string Expected;  // what the buffer holds before its zero
    };
    const std::string ae = "\xC3\xA4";               // "ä", two bytes
    const std::string euro = "\xE2\x82\xAC";         // "€", three bytes
    const std::string smile = "\xF0\x9F\x98\x80";    // an emoji, four bytes
    const std::vector<TCase> cases = {
        {"ascii cut", "abcdef", 4, "abc"},
        {"exact fit", "abc", 4, "abc"},
        {"shorter than the buffer", "ab", 8, "ab"},
        {"empty text", "", 4, ""},
        {"size 1 holds only the zero", "abc", 1, ""},
        {"inside a 2-byte character", "ab" + ae, 4, "ab"},
        {"2-byte character fits exactly", "ab" + ae + "c", 5, "ab" + ae},
        {"after the first byte of a 3-byte one", "a" + euro, 3, "a"},
        {"after the second byte of a 3-byte one", "a" + euro, 4, "a"},
        {"3-byte character fits exactly", "a" + euro + "b", 5, "a" + euro},
        {"after the first byte of a 4-byte one", "a" + smile, 3, "a"},
        {"after the third byte of a 4-byte one", "a" + smile, 5, "a"},
        {"4-byte character fits exactly", "a" + smile + "b", 6, "a" + smile},
        {"a character that does not fit at all", smile, 4, ""},
        {"stops at an embedded zero", std::string("ab\0cd", 5), 8, "ab"},
        // Not UTF-8: a cut never leaves a byte that continues a character behind it.
        {"stray continuation bytes", "ab\x80\x80\x80\x80", 5, "a"},
        {"only continuation bytes", "\x80\x80\x80", 3, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // Room past the given size shows any byte written beyond it.
        std::string buffer(c.Size + 4, '#');
        CopyUtf8Prefix(buffer.data(), c.Size, c.Text);
        EXPECT_EQ(std::string(buffer.c_str()), c.Expected);
        EXPECT_EQ(buffer.substr(c.Size), "####");
    }
}

TEST(CopyUtf8Prefix, WritesNothingIntoABufferOfSizeZero) {
    char buffer[2] = {'#', '#'};
    CopyUtf8Prefix(buffer, 0, "abc");
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(buffer[1], '#');
}

} // namespace
