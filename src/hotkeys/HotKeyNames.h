#pragma once
// The hotkey component's value types and the parts of it that need no window:
// the modifier set, the key enumeration, registry names, system flags and
// the identifier allocator.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "app/Keys.h"

enum TModifier : std::uint8_t { modShift = 0, modControl = 1, modAlt = 2, modWin = 3 };

// A set of TModifier in one byte: bit n stands for value n (Shift 1, Control 2, Alt 4, Win 8).
class TModifiers {
public:
    constexpr TModifiers() = default;
    constexpr TModifiers(std::initializer_list<TModifier> items) {
        for (TModifier m : items) FBits = static_cast<std::uint8_t>(FBits | Bit(m));
    }
    // Bits above Win carry no modifier and are dropped.
    static constexpr TModifiers FromBits(std::uint8_t bits) {
        TModifiers s;
        s.FBits = static_cast<std::uint8_t>(bits & 0x0F);
        return s;
    }
    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool Contains(TModifier m) const { return (FBits & Bit(m)) != 0; }
    constexpr TModifiers With(TModifier m) const { return FromBits(FBits | Bit(m)); }
    constexpr TModifiers Without(TModifier m) const {
        return FromBits(static_cast<std::uint8_t>(FBits & ~Bit(m)));
    }
    friend constexpr bool operator==(TModifiers, TModifiers) = default;

private:
    static constexpr std::uint8_t Bit(TModifier m) { return static_cast<std::uint8_t>(1u << m); }
    std::uint8_t FBits = 0;
};
static_assert(sizeof(TModifiers) == 1);

// One value per entry of the key table: ordinal = table index, name = "vk" + component name.
enum TVirtKey : std::uint8_t {
    vkNone, vkCancel, vkBack, vkTab, vkClear, vkReturn, vkPause, vkCapital, vkEscape, vkSpace,
    vkPrior, vkNext, vkEnd, vkHome, vkLeft, vkUp, vkRight, vkDown, vkSelect, vkExecute,
    vkSnapshot, vkInsert, vkDelete, vkHelp,
    vk0, vk1, vk2, vk3, vk4, vk5, vk6, vk7, vk8, vk9,
    vkA, vkB, vkC, vkD, vkE, vkF, vkG, vkH, vkI, vkJ, vkK, vkL, vkM, vkN, vkO, vkP, vkQ, vkR,
    vkS, vkT, vkU, vkV, vkW, vkX, vkY, vkZ,
    vkNumpad0, vkNumpad1, vkNumpad2, vkNumpad3, vkNumpad4, vkNumpad5, vkNumpad6, vkNumpad7,
    vkNumpad8, vkNumpad9, vkMultiply, vkAdd, vkSeparator, vkSubtract, vkDecimal, vkDivide,
    vkF1, vkF2, vkF3, vkF4, vkF5, vkF6, vkF7, vkF8, vkF9, vkF10, vkF11, vkF12,
    vkF13, vkF14, vkF15, vkF16, vkF17, vkF18, vkF19, vkF20, vkF21, vkF22, vkF23, vkF24,
    vkNumlock, vkScroll, vkApps
};
static_assert(vkApps == 102 && vkApps + 1 == KeyCount);

constexpr bool IsVirtKey(int value) { return value >= vkNone && value <= vkApps; }

enum TSaveLoad : std::uint8_t { slIniFile = 0, slRegister = 1 };

// The component's view of the key table: same codes, component-style names.
inline constexpr const std::array<int, KeyCount>& VirtKeyCodes = KeyCodes;
inline constexpr const std::array<std::string_view, KeyCount>& VirtKeyNames = KeyComponentNames;

// RegisterHotKey's modifier flags, spelt out so this file needs no system header.
constexpr unsigned HotKeyModAlt = 0x0001;
constexpr unsigned HotKeyModControl = 0x0002;
constexpr unsigned HotKeyModShift = 0x0004;
constexpr unsigned HotKeyModWin = 0x0008;
constexpr unsigned HotKeyModNoRepeat = 0x4000;

// Shift and Alt swap places between the set's bits and the system's flags.
unsigned ModifiersToHotKeyFlags(TModifiers Modifiers);

// "Shift", "Control", "Alt", "Win" (in that order, no separator), then "_" and the key's
// component name; the key name alone without modifiers. Names a binding's registry key.
std::string DisplayName(TModifiers Modifiers, TVirtKey VirtKey);

// Hands out hotkey identifiers within what the system accepts from applications.
// New identifiers count up from 0; once the range is used up, the lowest identifier
// that is no longer in use is given again.
class THotKeyIdAllocator {
public:
    static constexpr int MaxIdentifier = 0xBFFF;

    // Throws std::length_error when every identifier of the range is in use.
    int Acquire();
    // Gives back an identifier taken by Acquire; anything else is ignored.
    void Release(int identifier);
    // How many identifiers Acquire has handed out and not got back.
    int InUse() const { return FNext - static_cast<int>(FReleased.size()); }

private:
    int FNext = 0;
    std::set<int> FReleased;  // below FNext and free again
};
