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

// The enumeration's ordinals index the key table: each block's first and last key, with its
// virtual-key code and component name written out here.
TEST(HotKeyTable, EachEnumeratorIndexesItsOwnKey) {
    const struct {
        TVirtKey Key;
        int Code;
        const char* Name;
    } cases[] = {
        {vkNone, 0x00, "None"},         {vkCancel, 0x03, "Cancel"},    {vkHelp, 0x2F, "Help"},
        {vk0, 0x30, "0"},               {vk9, 0x39, "9"},              {vkA, 0x41, "A"},
        {vkZ, 0x5A, "Z"},               {vkNumpad0, 0x60, "Numpad0"},  {vkNumpad9, 0x69, "Numpad9"},
        {vkMultiply, 0x6A, "Multiply"}, {vkDivide, 0x6F, "Divide"},    {vkF1, 0x70, "F1"},
        {vkF9, 0x78, "F9"},             {vkF24, 0x87, "F24"},          {vkNumlock, 0x90, "Numlock"},
        {vkScroll, 0x91, "Scroll"},     {vkApps, 0x5D, "Apps"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VirtKeyCodes[c.Key], c.Code) << c.Name;
        EXPECT_EQ(VirtKeyNames[c.Key], c.Name) << "at " << static_cast<int>(c.Key);
    }
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
