// The "Run" entry that starts the program at logon: how the program's path is written there
// and how a stored entry is recognised as naming this program.
#pragma once

#include <optional>
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

// Where Windows keeps the switch that Task Manager's Startup page (and Settings > Apps >
// Startup) shows for each Run entry: a binary value of the entry's name, whose first byte is
// odd while the user has turned the entry off. Windows keeps the Run entry meanwhile and does
// not start it at logon.
inline constexpr const char* kStartupApprovedKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run\\";

enum class TStartupApproval { Absent, Enabled, Disabled };
// The switch as its stored bytes tell it; nullopt when there is no value.
TStartupApproval StartupApprovalOf(const std::optional<std::string>& stored);
// Whether the program starts at logon as Windows sees it, so whether the option shows ticked.
bool StartsAtLogon(bool runEntryNamesProgram, TStartupApproval approval);
// The switch once the option has been stored with this state: a tick takes the user's
// "disabled" away (the value goes) along with writing the Run entry; an untick deletes the
// Run entry and leaves the switch alone.
TStartupApproval ApprovalAfterStoring(bool flag, TStartupApproval approval);
