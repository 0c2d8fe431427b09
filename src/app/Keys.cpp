#include "app/Keys.h"

#include <cstddef>
#include <iterator>

namespace {

struct TKeyEntry {
    int code;
    std::string_view name;
    std::string_view componentName;
};

// One source for all three columns, so they cannot drift apart.
constexpr TKeyEntry KeyTable[] = {
    {0x00, "NONE", "None"},
    {0x03, "CANCEL", "Cancel"},
    {0x08, "BACK", "Back"},
    {0x09, "TAB", "Tab"},
    {0x0C, "CLEAR", "Clear"},
    {0x0D, "RETURN", "Return"},
    {0x13, "PAUSE", "Pause"},
    {0x14, "CAPITAL", "Capital"},
    {0x1B, "ESCAPE", "Escape"},
    {0x20, "SPACE", "Space"},
    {0x21, "PRIOR", "Prior"},
    {0x22, "NEXT", "Next"},
    {0x23, "END", "End"},
    {0x24, "HOME", "Home"},
    {0x25, "LEFT", "Left"},
    {0x26, "UP", "Up"},
    {0x27, "RIGHT", "Right"},
    {0x28, "DOWN", "Down"},
    {0x29, "SELECT", "Select"},
    {0x2B, "EXECUTE", "Execute"},
    {0x2C, "SNAPSHOT", "Snapshot"},
    {0x2D, "INSERT", "Insert"},
    {0x2E, "DELETE", "Delete"},
    {0x2F, "HELP", "Help"},
    {0x30, "0", "0"},
    {0x31, "1", "1"},
    {0x32, "2", "2"},
    {0x33, "3", "3"},
    {0x34, "4", "4"},
    {0x35, "5", "5"},
    {0x36, "6", "6"},
    {0x37, "7", "7"},
    {0x38, "8", "8"},
    {0x39, "9", "9"},
    {0x41, "A", "A"},
    {0x42, "B", "B"},
    {0x43, "C", "C"},
    {0x44, "D", "D"},
    {0x45, "E", "E"},
    {0x46, "F", "F"},
    {0x47, "G", "G"},
    {0x48, "H", "H"},
    {0x49, "I", "I"},
    {0x4A, "J", "J"},
    {0x4B, "K", "K"},
    {0x4C, "L", "L"},
    {0x4D, "M", "M"},
    {0x4E, "N", "N"},
    {0x4F, "O", "O"},
    {0x50, "P", "P"},
    {0x51, "Q", "Q"},
    {0x52, "R", "R"},
    {0x53, "S", "S"},
    {0x54, "T", "T"},
    {0x55, "U", "U"},
    {0x56, "V", "V"},
    {0x57, "W", "W"},
    {0x58, "X", "X"},
    {0x59, "Y", "Y"},
    {0x5A, "Z", "Z"},
    {0x60, "NUMPAD0", "Numpad0"},
    {0x61, "NUMPAD1", "Numpad1"},
    {0x62, "NUMPAD2", "Numpad2"},
    {0x63, "NUMPAD3", "Numpad3"},
    {0x64, "NUMPAD4", "Numpad4"},
    {0x65, "NUMPAD5", "Numpad5"},
    {0x66, "NUMPAD6", "Numpad6"},
    {0x67, "NUMPAD7", "Numpad7"},
    {0x68, "NUMPAD8", "Numpad8"},
    {0x69, "NUMPAD9", "Numpad9"},
    {0x6A, "MULTIPLY", "Multiply"},
    {0x6B, "ADD", "Add"},
    {0x6C, "SEPARATOR", "Separator"},
    {0x6D, "SUBTRACT", "Subtract"},
    {0x6E, "DECIMAL", "Decimal"},
    {0x6F, "DIVIDE", "Divide"},
    {0x70, "F1", "F1"},
    {0x71, "F2", "F2"},
    {0x72, "F3", "F3"},
    {0x73, "F4", "F4"},
    {0x74, "F5", "F5"},
    {0x75, "F6", "F6"},
    {0x76, "F7", "F7"},
    {0x77, "F8", "F8"},
    {0x78, "F9", "F9"},
    {0x79, "F10", "F10"},
    {0x7A, "F11", "F11"},
    {0x7B, "F12", "F12"},
    {0x7C, "F13", "F13"},
    {0x7D, "F14", "F14"},
    {0x7E, "F15", "F15"},
    {0x7F, "F16", "F16"},
    {0x80, "F17", "F17"},
    {0x81, "F18", "F18"},
    {0x82, "F19", "F19"},
    {0x83, "F20", "F20"},
    {0x84, "F21", "F21"},
    {0x85, "F22", "F22"},
    {0x86, "F23", "F23"},
    {0x87, "F24", "F24"},
    {0x90, "NUMLOCK", "Numlock"},
    {0x91, "SCROLL", "Scroll"},
    {0x5D, "APPS", "Apps"},
};
static_assert(std::size(KeyTable) == KeyCount);

template <typename Field>
constexpr auto Column(Field field) {
    std::array<decltype(field(KeyTable[0])), KeyCount> column{};
    for (std::size_t i = 0; i < column.size(); ++i) column[i] = field(KeyTable[i]);
    return column;
}

} // namespace

const std::array<int, KeyCount> KeyCodes = Column([](const TKeyEntry& e) { return e.code; });
const std::array<std::string_view, KeyCount> KeyNames =
    Column([](const TKeyEntry& e) { return e.name; });
const std::array<std::string_view, KeyCount> KeyComponentNames =
    Column([](const TKeyEntry& e) { return e.componentName; });

int KeyIndexOfVirtKey(std::uint8_t virtKey) {
    return virtKey < KeyCount ? virtKey : -1;
}

int KeyIndexOfCode(int code) {
    for (int i = 0; i < KeyCount; ++i)
        if (KeyTable[i].code == code) return i;
    return -1;
}

int KeyIndexOfName(std::string_view name) {
    for (int i = 0; i < KeyCount; ++i)
        if (KeyTable[i].name == name) return i;
    return -1;
}

std::string MakeShortcutText(bool ctrl, bool alt, bool shift, std::string_view keyName) {
    std::string text;
    if (ctrl) text += "Ctrl+";
    if (alt) text += "Alt+";
    if (shift) text += "Shift+";
    text += keyName;
    return text;
}

TShortcut ParseShortcutText(std::string_view text) {
    TShortcut result;
    std::string_view::size_type start = 0;
    // Every token ended by '+' is a modifier word; what follows the last '+' is the key name.
    for (auto plus = text.find('+'); plus != std::string_view::npos; plus = text.find('+', start)) {
        const std::string_view token = text.substr(start, plus - start);
        if (token == "Ctrl") result.ctrl = true;
        else if (token == "Alt") result.alt = true;
        else if (token == "Shift") result.shift = true;
        start = plus + 1;
    }
    result.keyIndex = KeyIndexOfName(text.substr(start));
    return result;
}
