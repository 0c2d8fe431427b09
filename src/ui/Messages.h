// The main window's and the editor's own messages, composed without a window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The tip of a row whose shortcut another program holds.
const char* RefusedHint();
// Tells which shortcuts (as the "Hotkey" column shows them) other programs hold.
std::string RefusedMessage(const std::vector<std::string>& shortcuts);
// Tells which stored bindings (by subkey name) could not be read and were kept as they are.
std::string UnreadableMessage(const std::vector<std::string>& subkeys);
// Why the editor refuses a shortcut whose subkey a stored binding it could not read holds.
std::string HeldShortcutMessage(const std::string& shortcut, const std::string& subkey);
