// The main window's stored settings besides the bindings: its placement and the "Browse using
// new window" option. A value that cannot be used is named, never acted on: the caller keeps
// its default and tells the user; the value stays as stored until the program next writes it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/Registry.h"
#include "settings/RunEntry.h"

class TQmReg;

struct TStoredPlacement {
    std::optional<int> Left, Top, Width, Height;
};

// What the current key holds of the placement. A missing value is left out silently; one of
// the wrong type or out of range is left out and its problem added to errors.
TStoredPlacement ReadStoredPlacement(const TRegistry& reg, std::vector<std::string>& errors);
void WriteStoredPlacement(TRegistry& reg, int left, int top, int width, int height);

// "NewBrowser" of the current key: false when missing, nothing (and an error) when unusable.
std::optional<bool> ReadNewBrowser(const TRegistry& reg, std::vector<std::string>& errors);

// A key the user asked to write to: one that cannot be opened or created raises
// "Failed to create key '%s'" with the system's reason.
void OpenForWriting(TRegistry& reg, const std::string& path);
// The Run entry "Tarvo 2000": written for the program at programPath when flag is set, else
// deleted; a value that is no text is some other program's and is left alone. Throws the
// registry's error when the key or the value cannot be written.
void WriteRunEntry(TRegistry& reg, bool flag, const std::string& programPath);
// The start-up switch Windows keeps for the Run entry (kStartupApprovedKey).
TStartupApproval ReadStartupApproval(TRegistry& reg);
// The switch as the user's choice of the option leaves it (ApprovalAfterStoring). Only the
// user's own choice touches it: the program's writes of the Run entry leave it alone.
// Throws as above.
void StoreStartupApproval(TRegistry& reg, bool flag);
// "NewBrowser" under the settings key: 1 when flag is set, else no value. Throws as above.
void WriteNewBrowser(TRegistry& reg, const std::string& settingsKey, bool flag);
// The messages of one read, a line each.
std::string JoinLines(const std::vector<std::string>& lines);
// Reads the key at path with read, when the key is there, in a registry session of its own:
// the problems read names, a line each ("" when none), for the caller to tell once the
// registry is closed again.
std::string ReadSettings(TQmReg* reg, const std::string& path,
                         const std::function<void(const TRegistry&, std::vector<std::string>& errors)>& read);
