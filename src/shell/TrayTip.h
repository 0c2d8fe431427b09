// The text of the tray icon's tip, as the shell's first record form can hold it.
#pragma once

#include <cstddef>
#include <string>

// Room for the tip in the record, not counting its terminating zero.
constexpr std::size_t TrayTipLimit = 63;

// The hint when it is to be shown (ShowHint and not empty), else empty. A longer hint is
// cut to at most `limit` bytes, and never inside a UTF-8 character, so the shell is not
// handed half a character.
std::string TrayTipText(const std::string& hint, bool showHint, std::size_t limit = TrayTipLimit);
