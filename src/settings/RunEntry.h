// The "Run" entry that starts the program at logon: how the program's path is written there
// and how a stored entry is recognised as naming this program.
#pragma once

#include <string>
#include <string_view>

#include "settings/RegValue.h"

// Where the entry is kept, under the current user's root key, and its name.
inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
inline constexpr const char* kRunValue = "Tarvo 2000";

// The path as the entry stores it: in double quotes when it holds a space, so that the
// system cannot start a program named by the path's first part.
std::string RunEntryFor(std::string_view programPath);
// Whether a stored value of this type can be the program's entry: only text can, and a value
// of any other type is some other program's, left alone.
bool IsRunEntryType(TRegDataType type);
// Whether a stored entry names the program at this path: quotes around it do not count,
// nor does the letter case of a..z.
bool RunEntryNames(std::string_view stored, std::string_view programPath);
