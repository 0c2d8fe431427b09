#include "hotkeys/HotKeyNames.h"

#include <stdexcept>

unsigned ModifiersToHotKeyFlags(TModifiers Modifiers) {
    unsigned flags = 0;
    if (Modifiers.Contains(modShift)) flags |= HotKeyModShift;
    if (Modifiers.Contains(modControl)) flags |= HotKeyModControl;
    if (Modifiers.Contains(modAlt)) flags |= HotKeyModAlt;
    if (Modifiers.Contains(modWin)) flags |= HotKeyModWin;
    return flags;
}

std::string DisplayName(TModifiers Modifiers, TVirtKey VirtKey) {
    std::string text;
    if (Modifiers.Contains(modShift)) text += "Shift";
    if (Modifiers.Contains(modControl)) text += "Control";
    if (Modifiers.Contains(modAlt)) text += "Alt";
    if (Modifiers.Contains(modWin)) text += "Win";
    // An enumeration can be cast to any byte; never read past the table for one.
    const std::string_view keyName = IsVirtKey(VirtKey) ? VirtKeyNames[VirtKey] : std::string_view{};
    if (!text.empty()) text += '_';
    text += keyName;
    if (text.empty()) text = "THotKeyItem";
    return text;
}

int THotKeyIdAllocator::Acquire() {
    if (FNext <= MaxIdentifier) return FNext++;
    if (FReleased.empty()) throw std::length_error("No free hotkey identifier");
    const int id = *FReleased.begin();
    FReleased.erase(FReleased.begin());
    return id;
}

void THotKeyIdAllocator::Release(int identifier) {
    if (identifier >= 0 && identifier < FNext) FReleased.insert(identifier);
}
