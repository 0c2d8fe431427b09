#include "app/Keys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

// Index of a key by its name, failing the test when the name is missing.
int IndexOf(std::string_view name) {
    const int index = KeyIndexOfName(name);
    EXPECT_GE(index, 0) << name;
    return index;
}

TEST(KeyTable, FirstEntryIsNoKeyAndAppsIsLast) {
    EXPECT_EQ(KeyCodes[0], 0);
    EXPECT_EQ(KeyNames[0], "NONE");
    EXPECT_EQ(KeyNames[KeyCount - 1], "APPS");
    EXPECT_EQ(KeyCodes[KeyCount - 1], 93);
}

TEST(KeyTable, CodesRiseWithIndexExceptApps) {
    for (int i = 1; i < KeyCount - 1; ++i)
        EXPECT_LT(KeyCodes[i - 1], KeyCodes[i]) << "at index " << i;
    // APPS (93) was appended after SCROLL, out of order; it must not be sorted in.
    EXPECT_GT(KeyCodes[KeyCount - 2], KeyCodes[KeyCount - 1]);
    EXPECT_GT(KeyCodes[KeyCount - 1], KeyCodes[IndexOf("Z")]);
    EXPECT_LT(KeyCodes[KeyCount - 1], KeyCodes[IndexOf("NUMPAD0")]);
}

TEST(KeyTable, NamesAreNonEmptyUpperCaseUniqueAndFreeOfPlus) {
    std::set<std::string_view> seen;
    for (int i = 0; i < KeyCount; ++i) {
        const std::string_view name = KeyNames[i];
        ASSERT_FALSE(name.empty()) << "at index " << i;
        EXPECT_EQ(name.find('+'), std::string_view::npos) << name;
        for (char c : name) EXPECT_TRUE(std::isupper(c) || std::isdigit(c)) << name;
        EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
    }
}

TEST(KeyTable, ComponentNameIsKeyNameWithOnlyFirstLetterUpper) {
    for (int i = 0; i < KeyCount; ++i) {
        const std::string_view name = KeyNames[i];
        std::string expected(1, name[0]);
        for (char c : name.substr(1)) expected += static_cast<char>(std::tolower(c));
        EXPECT_EQ(KeyComponentNames[i], expected) << "at index " << i;
    }
}

TEST(KeyTable, UnbindableKeysAreAbsent) {
    // Windows keys, Print, the modifiers themselves, mouse buttons, punctuation.
    for (int code : {91, 92, 42, 16, 17, 18, 1, 2, 4, 5, 6})
        EXPECT_EQ(KeyIndexOfCode(code), -1) << code;
    for (int code = 186; code <= 192; ++code) EXPECT_EQ(KeyIndexOfCode(code), -1) << code;
    for (int code = 219; code <= 222; ++code) EXPECT_EQ(KeyIndexOfCode(code), -1) << code;
}

TEST(KeyTable, LettersDigitsAndFunctionKeysAreContiguousRuns) {
    // The hotkey component and the registry rely on these well-known code ranges.
    for (int i = 0; i < 26; ++i) {
        const std::string name(1, static_cast<char>('A' + i));
        EXPECT_EQ(KeyCodes[IndexOf(name)], 'A' + i) << name;
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(KeyCodes[IndexOf(std::string(1, static_cast<char>('0' + i)))], '0' + i);
        EXPECT_EQ(KeyCodes[IndexOf("NUMPAD" + std::to_string(i))], 0x60 + i);
    }
    for (int i = 1; i <= 24; ++i)
        EXPECT_EQ(KeyCodes[IndexOf("F" + std::to_string(i))], 0x6F + i) << i;
}

TEST(KeyIndexOfCode, FindsTableEntries) {
    EXPECT_EQ(KeyIndexOfCode(120), 84);
    EXPECT_EQ(KeyNames[84], "F9");
    EXPECT_EQ(KeyIndexOfCode(0), 0);
    EXPECT_EQ(KeyIndexOfCode(93), 102);
    for (int i = 0; i < KeyCount; ++i) EXPECT_EQ(KeyIndexOfCode(KeyCodes[i]), i) << KeyNames[i];
}

TEST(KeyIndexOfCode, RejectsCodesOutsideTable) {
    EXPECT_EQ(KeyIndexOfCode(91), -1);
    EXPECT_EQ(KeyIndexOfCode(42), -1);
    EXPECT_EQ(KeyIndexOfCode(186), -1);
    EXPECT_EQ(KeyIndexOfCode(-1), -1);
    EXPECT_EQ(KeyIndexOfCode(256), -1);
    EXPECT_EQ(KeyIndexOfCode(256 + 65), -1); // no truncation to a byte
}

TEST(KeyIndexOfName, IsExactAndCaseSensitive) {
    EXPECT_EQ(KeyIndexOfName("F9"), 84);
    EXPECT_EQ(KeyIndexOfName("f9"), -1);
    EXPECT_EQ(KeyIndexOfName(" F9"), -1);
    EXPECT_EQ(KeyIndexOfName("F9 "), -1);
    EXPECT_EQ(KeyIndexOfName("None"), -1);
    EXPECT_EQ(KeyIndexOfName("F"), 39); // a prefix of F9 is a key of its own
    EXPECT_EQ(KeyIndexOfName(""), -1);
    EXPECT_EQ(KeyIndexOfName(std::string_view("F9\0", 3)), -1);
    for (int i = 0; i < KeyCount; ++i) EXPECT_EQ(KeyIndexOfName(KeyNames[i]), i);
}

TEST(KeyIndexOfVirtKey, AcceptsOnlyTableIndexes) {
    EXPECT_EQ(KeyIndexOfVirtKey(0), 0);
    EXPECT_EQ(KeyIndexOfVirtKey(102), 102);
    EXPECT_EQ(KeyIndexOfVirtKey(103), -1);
    EXPECT_EQ(KeyIndexOfVirtKey(255), -1);
}

TEST(MakeShortcutText, ModifiersComeInFixedOrderWithoutSpaces) {
    EXPECT_EQ(MakeShortcutText(true, true, true, "APPS"), "Ctrl+Alt+Shift+APPS");
    EXPECT_EQ(MakeShortcutText(false, false, true, "ADD"), "Shift+ADD");
    EXPECT_EQ(MakeShortcutText(false, false, false, "F9"), "F9");
    EXPECT_EQ(MakeShortcutText(true, true, false, "F9"), "Ctrl+Alt+F9");
    EXPECT_EQ(MakeShortcutText(false, true, true, "NUMPAD0"), "Alt+Shift+NUMPAD0");
    EXPECT_EQ(MakeShortcutText(true, false, false, ""), "Ctrl+");
}

TEST(ParseShortcutText, UnusualAndMalformedTexts) {
    const auto check = [](std::string_view text, bool ctrl, bool alt, bool shift, int key) {
        const TShortcut s = ParseShortcutText(text);
        EXPECT_EQ(s.ctrl, ctrl) << text;
        EXPECT_EQ(s.alt, alt) << text;
        EXPECT_EQ(s.shift, shift) << text;
        EXPECT_EQ(s.keyIndex, key) << text;
    };
    check("Shift+Ctrl+A", true, false, true, 34);
    check("Win+A", false, false, false, 34);
    check("ctrl+A", false, false, false, 34);
    check("Ctrl+", true, false, false, -1);
    check("", false, false, false, -1);
    check("F9", false, false, false, 84);
    check("+A", false, false, false, 34);
    check("A+", false, false, false, -1);         // the key is what follows the last '+'
    check("Ctrl+Ctrl+A", true, false, false, 34); // repeats are harmless
    check("Ctrl + A", false, false, false, -1);   // blanks are not trimmed
    check("Ctrl++ADD", true, false, false, 71);
    check("Alt+Shift+f9", false, true, true, -1);
}

TEST(ParseShortcutText, NormalisesModifierOrderWhenRebuilt) {
    const TShortcut s = ParseShortcutText("Shift+Ctrl+A");
    EXPECT_EQ(MakeShortcutText(s.ctrl, s.alt, s.shift, KeyNames[s.keyIndex]), "Ctrl+Shift+A");
    const TShortcut t = ParseShortcutText("Shift+Alt+Ctrl+F12");
    EXPECT_EQ(MakeShortcutText(t.ctrl, t.alt, t.shift, KeyNames[t.keyIndex]), "Ctrl+Alt+Shift+F12");
}

TEST(ParseShortcutText, RoundTripsEveryKeyWithEveryModifierSet) {
    for (int mods = 0; mods < 8; ++mods) {
        const bool ctrl = mods & 1, alt = mods & 2, shift = mods & 4;
        for (int i = 0; i < KeyCount; ++i) {
            const std::string text = MakeShortcutText(ctrl, alt, shift, KeyNames[i]);
            const TShortcut s = ParseShortcutText(text);
            EXPECT_EQ(s.ctrl, ctrl) << text;
            EXPECT_EQ(s.alt, alt) << text;
            EXPECT_EQ(s.shift, shift) << text;
            EXPECT_EQ(s.keyIndex, i) << text;
        }
    }
}

} // namespace
