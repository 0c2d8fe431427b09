#include "hotkeys/HotKeyNames.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(HotKeyModifiers, SetBitsAndSystemFlagsDisagreeOnShiftAndAlt) {
    EXPECT_EQ((TModifiers{modShift, modControl, modAlt, modWin}).Bits(), 15);
    EXPECT_EQ((TModifiers{modAlt}).Bits(), 4);
    EXPECT_EQ(TModifiers::FromBits(0xF2), TModifiers{modControl});  // no modifier above Win
    EXPECT_EQ((TModifiers{modControl, modAlt}).Without(modControl), TModifiers{modAlt});

    EXPECT_EQ(ModifiersToHotKeyFlags({}), 0u);
    EXPECT_EQ(ModifiersToHotKeyFlags({modShift}), 4u);
    EXPECT_EQ(ModifiersToHotKeyFlags({modControl}), 2u);
    EXPECT_EQ(ModifiersToHotKeyFlags({modAlt}), 1u);
    EXPECT_EQ(ModifiersToHotKeyFlags({modWin}), 8u);
    EXPECT_EQ(ModifiersToHotKeyFlags({modControl, modShift}), 6u);
}

TEST(HotKeyTable, SameCodesAsTheKeyTableAndNamesDifferOnlyInCase) {
    for (int i = 0; i < KeyCount; ++i) {
        EXPECT_EQ(VirtKeyCodes[i], KeyCodes[i]) << "at index " << i;
        std::string upper(VirtKeyNames[i]);
        for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        EXPECT_EQ(upper, KeyNames[i]) << "at index " << i;
    }
    EXPECT_EQ(VirtKeyCodes[vkF9], 120);
    EXPECT_EQ(VirtKeyCodes[vkApps], 93);
    EXPECT_EQ(VirtKeyNames[vkNumpad0], "Numpad0");
}

TEST(HotKeyDisplayName, ModifiersShiftControlAltWinThenUnderscoreAndComponentName) {
    EXPECT_EQ(DisplayName({modControl, modAlt}, vkF9), "ControlAlt_F9");
    EXPECT_EQ(DisplayName({modShift, modControl}, vkA), "ShiftControl_A");
    EXPECT_EQ(DisplayName({modAlt}, vkNumpad0), "Alt_Numpad0");
    EXPECT_EQ(DisplayName({}, vkF9), "F9");
    EXPECT_EQ(DisplayName({}, vkNone), "None");
    EXPECT_EQ(DisplayName({modShift, modControl, modAlt, modWin}, vkApps), "ShiftControlAltWin_Apps");
    EXPECT_EQ(DisplayName({}, static_cast<TVirtKey>(200)), "THotKeyItem");  // never read past the table
}

TEST(HotKeyIdentifiers, CountUpToTheLastThenGiveTheLowestFreeOneAgain) {
    THotKeyIdAllocator ids;
    EXPECT_EQ(ids.Acquire(), 0);
    ids.Release(0);
    ids.Release(500);  // never handed out: ignored
    for (int i = 1; i <= 0xBFFF; ++i) ASSERT_EQ(ids.Acquire(), i);  // no reuse while new ones last

    ids.Release(0xBFFF);
    ids.Release(700);
    ids.Release(700);
    EXPECT_EQ(ids.Acquire(), 0);
    EXPECT_EQ(ids.Acquire(), 700);
    EXPECT_EQ(ids.Acquire(), 0xBFFF);
    EXPECT_THROW(ids.Acquire(), std::length_error);
    EXPECT_EQ(ids.InUse(), 0xC000);
}

}  // namespace
