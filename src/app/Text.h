#pragma once
// Small locale-independent text helpers shared by several units.

#include <string>
#include <string_view>

// Upper-cases a..z only; every other byte, UTF-8 included, is kept as it is.
std::string UpperAscii(std::string_view text);

// Removes leading and trailing bytes of code 32 or less (blanks and control
// characters). Bytes of 0x80 and above belong to UTF-8 sequences and stay.
std::string TrimControl(std::string_view text);

// The text with the first occurrence of what (matched exactly) replaced by with.
std::string ReplaceFirst(std::string_view text, std::string_view what, std::string_view with);
