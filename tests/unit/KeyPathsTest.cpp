#include "settings/KeyPaths.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyPath, JoinsTheNamesWithBackslashesAndAddsUserOnlyWhenSet) {
    EXPECT_EQ(MakeKeyPath("Software", "Morvane", "Tarvo", "jane"),
              "\\Software\\Morvane\\Tarvo\\jane\\");
    EXPECT_EQ(MakeKeyPath("Software", "Morvane", "Tarvo", ""), "\\Software\\Morvane\\Tarvo\\");
    // The component's own path keeps the user name exactly as it stands.
    EXPECT_EQ(MakeKeyPath("Software", "Morvane", "Tarvo", " jane "),
              "\\Software\\Morvane\\Tarvo\\ jane \\");
    EXPECT_EQ(MakeKeyPath("S", "C", "A", "\u00DCber"), "\\S\\C\\A\\\u00DCber\\");
}

TEST(SettingsKeyPath, TrimsTheUserPartAndFallsBackToDefault) {
    EXPECT_EQ(MakeSettingsKeyPath("Software", "Morvane", "Tarvo", "jane"),
              "\\Software\\Morvane\\Tarvo\\jane\\");
    EXPECT_EQ(MakeSettingsKeyPath("Software", "Morvane", "Tarvo", "  jane \t"),
              "\\Software\\Morvane\\Tarvo\\jane\\");
    EXPECT_EQ(MakeSettingsKeyPath("Software", "Morvane", "Tarvo", "jane doe"),
              "\\Software\\Morvane\\Tarvo\\jane doe\\");
    EXPECT_EQ(MakeSettingsKeyPath("Software", "Morvane", "Tarvo", ""),
              "\\Software\\Morvane\\Tarvo\\Default\\");
    EXPECT_EQ(MakeSettingsKeyPath("Software", "Morvane", "Tarvo", " \r\n\x01"),
              "\\Software\\Morvane\\Tarvo\\Default\\");
    // UTF-8 bytes are above 32 and belong to the name.
    EXPECT_EQ(SettingsUserPart(" \u042F "), "\u042F");
}

TEST(HotKeysKeyPath, IsTheSettingsKeyWithHotKeys) {
    EXPECT_EQ(MakeHotKeysKeyPath("Software", "Morvane", "Tarvo", " jane "),
              "\\Software\\Morvane\\Tarvo\\jane\\HotKeys\\");
    EXPECT_EQ(MakeHotKeysKeyPath("Software", "Morvane", "Tarvo", ""),
              "\\Software\\Morvane\\Tarvo\\Default\\HotKeys\\");
}

TEST(SplitKeyPath, LeadingBackslashMeansFromTheRoot) {
    const TRegKeyPath absolute = SplitKeyPath("\\Software\\Morvane\\Tarvo\\jane\\");
    EXPECT_TRUE(absolute.FromRoot);
    EXPECT_EQ(absolute.SubKey, "Software\\Morvane\\Tarvo\\jane");

    const TRegKeyPath relative = SplitKeyPath("HotKeys\\F9");
    EXPECT_FALSE(relative.FromRoot);
    EXPECT_EQ(relative.SubKey, "HotKeys\\F9");
}

TEST(SplitKeyPath, DropsEmptyNamesTheRegistryWouldRefuse) {
    EXPECT_EQ(SplitKeyPath("a\\\\b\\\\\\c").SubKey, "a\\b\\c");
    EXPECT_EQ(SplitKeyPath("\\\\a\\").SubKey, "a");
    EXPECT_TRUE(SplitKeyPath("\\\\a\\").FromRoot);
    EXPECT_EQ(SplitKeyPath("a\\\\").SubKey, "a");

    EXPECT_TRUE(SplitKeyPath("\\").FromRoot);
    EXPECT_EQ(SplitKeyPath("\\").SubKey, "");
    EXPECT_EQ(SplitKeyPath("\\\\\\").SubKey, "");
    EXPECT_FALSE(SplitKeyPath("").FromRoot);
    EXPECT_EQ(SplitKeyPath("").SubKey, "");
}

TEST(SplitKeyPath, KeepsNamesWithBlanksAndUtf8Whole) {
    EXPECT_EQ(SplitKeyPath("\\ a b \\\u20AC\\").SubKey, " a b \\\u20AC");
    EXPECT_EQ(SplitKeyPath("_FirstRun").SubKey, "_FirstRun");
}

}  // namespace
