#include "ui/Messages.h"

const char* RefusedHint() {
    return "Another program holds this shortcut, so it cannot run here until that program lets it go.";
}

std::string RefusedMessage(const std::vector<std::string>& shortcuts) {
    if (shortcuts.size() == 1)
        return "The shortcut " + shortcuts[0] + " is held by another program, so it cannot run now.\r\n"
               "It stays enabled and works at a later start once the shortcut is free.";
    std::string text = "These shortcuts are held by other programs, so they cannot run now:";
    for (const std::string& s : shortcuts) text += "\r\n    " + s;
    return text + "\r\nThey stay enabled and work at a later start once the shortcuts are free.";
}

std::string UnreadableMessage(const std::vector<std::string>& subkeys) {
    std::string text = "These stored bindings could not be read. They were not loaded and are "
                       "kept in the registry as they are:";
    // A box cannot show thousands of lines: the first ones stand for the rest.
    constexpr size_t shown = 20;
    for (size_t i = 0; i < subkeys.size() && i < shown; ++i) text += "\r\n    " + subkeys[i];
    if (subkeys.size() > shown) text += "\r\n    ... and " + std::to_string(subkeys.size() - shown) + " more";
    return text;
}

std::string HeldShortcutMessage(const std::string& shortcut, const std::string& subkey) {
    return "The shortcut " + shortcut + " belongs to a stored binding that Tarvo could not read (\"" +
           subkey + "\" under HotKeys). That binding is kept as it is, so the shortcut cannot be "
           "used for another one.\r\nRepair or remove it in the registry, or choose another shortcut.";
}
