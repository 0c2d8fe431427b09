#pragma once
// Small locale-independent text helpers of the program's own rules. The ones the framework
// needs too (UTF-8 cuts, ASCII letter case) are framework/Text's.

#include <string>
#include <string_view>

// Removes leading and trailing bytes of code 32 or less (blanks and control
// characters). Bytes of 0x80 and above belong to UTF-8 sequences and stay.
std::string TrimControl(std::string_view text);

// The text with the first occurrence of what (matched exactly) replaced by with.
std::string ReplaceFirst(std::string_view text, std::string_view what, std::string_view with);
