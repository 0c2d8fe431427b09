// The main window's stored settings besides the bindings: its placement and the "Browse using
// new window" option. A value that cannot be used is named, never acted on: the caller keeps
// its default and tells the user; the value stays as stored until the program next writes it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/Registry.h"

struct TStoredPlacement {
    std::optional<int> Left, Top, Width, Height;
};

// What the current key holds of the placement. A missing value is left out silently; one of
// the wrong type or out of range is left out and its problem added to errors.
TStoredPlacement ReadStoredPlacement(const TRegistry& reg, std::vector<std::string>& errors);
void WriteStoredPlacement(TRegistry& reg, int left, int top, int width, int height);

// "NewBrowser" of the current key: false when missing, nothing (and an error) when unusable.
std::optional<bool> ReadNewBrowser(const TRegistry& reg, std::vector<std::string>& errors);
