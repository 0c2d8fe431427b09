#pragma once
// The fixed table of bindable keys and the shortcut text built from it.
// The registry stores virtual-key codes, hotkey items store table indexes,
// the user sees the upper-case names; these functions convert between them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int KeyCount = 103;

// Index 0 ("NONE", code 0) means no key. Codes rise with the index except the
// last entry, APPS, which was appended after SCROLL.
extern const std::array<int, KeyCount> KeyCodes;
extern const std::array<std::string_view, KeyCount> KeyNames;          // "NUMPAD0"
extern const std::array<std::string_view, KeyCount> KeyComponentNames; // "Numpad0"

// Each lookup returns the first matching index, or -1.
int KeyIndexOfVirtKey(std::uint8_t virtKey);
int KeyIndexOfCode(int code);
int KeyIndexOfName(std::string_view name); // exact and case-sensitive

struct TShortcut {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    int keyIndex = -1;
};

// "Ctrl+", "Alt+", "Shift+" (in that order, each if set), then keyName unchanged.
std::string MakeShortcutText(bool ctrl, bool alt, bool shift, std::string_view keyName);
// Never fails: unknown modifier words are skipped, an unknown key gives -1.
TShortcut ParseShortcutText(std::string_view text);
