#pragma once
// Small locale-independent text helpers shared by several units. The ASCII letter case and
// the UTF-8 cuts are the framework's own (framework/Text), one rule for both: the program
// names them from here.

#include <string>
#include <string_view>

#include "framework/Text.h"

using fw::CopyUtf8Prefix;
using fw::UpperAscii;
using fw::Utf8Prefix;

// Removes leading and trailing bytes of code 32 or less (blanks and control
// characters). Bytes of 0x80 and above belong to UTF-8 sequences and stay.
std::string TrimControl(std::string_view text);

// The text with the first occurrence of what (matched exactly) replaced by with.
std::string ReplaceFirst(std::string_view text, std::string_view what, std::string_view with);
