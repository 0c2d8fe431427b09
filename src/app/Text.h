#pragma once
// Small locale-independent text helpers shared by several units.

#include <cstddef>
#include <string>
#include <string_view>

// Upper-cases a..z only; every other byte, UTF-8 included, is kept as it is.
std::string UpperAscii(std::string_view text);

// Removes leading and trailing bytes of code 32 or less (blanks and control
// characters). Bytes of 0x80 and above belong to UTF-8 sequences and stay.
std::string TrimControl(std::string_view text);

// The text with the first occurrence of what (matched exactly) replaced by with.
std::string ReplaceFirst(std::string_view text, std::string_view what, std::string_view with);

// The longest start of text of at most maxBytes bytes that does not end inside a UTF-8
// character: a cut that falls into one backs off to where it starts.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

// Fills a buffer of `size` bytes with as much of text as fits whole, and a terminating
// zero; text after an embedded zero is not copied. Nothing is written when size is 0.
void CopyUtf8Prefix(char* buffer, std::size_t size, std::string_view text);
