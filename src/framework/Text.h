// Text as the system's A functions take it, with no window: UTF-8 cut to fit a buffer, and
// the letter case the system ignores in names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fw {

// Upper-cases a..z only; every other byte, UTF-8 included, is kept as it is.
std::string UpperAscii(std::string_view text);

// The longest start of text of at most maxBytes bytes that does not end inside a UTF-8
// character: a cut that falls into one backs off to where it starts.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

// Fills a buffer of `size` bytes with as much of text as fits whole, and a terminating
// zero; text after an embedded zero is not copied. Nothing is written when size is 0.
void CopyUtf8Prefix(char* buffer, std::size_t size, std::string_view text);

}  // namespace fw
