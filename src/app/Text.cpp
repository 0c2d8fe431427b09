#include "app/Text.h"

#include <cstring>

namespace {

bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string TrimControl(std::string_view text) {
    std::string_view::size_type first = 0;
    std::string_view::size_type last = text.size();
    while (first < last && IsControlOrBlank(text[first])) ++first;
    while (last > first && IsControlOrBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

std::string ReplaceFirst(std::string_view text, std::string_view what, std::string_view with) {
    std::string result(text);
    const auto at = what.empty() ? std::string_view::npos : text.find(what);
    if (at != std::string_view::npos) result.replace(at, what.size(), with);
    return result;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    // Back off to the start of the character the limit falls into.
    while (cut > 0 && IsContinuationByte(text[cut])) --cut;
    return text.substr(0, cut);
}

void CopyUtf8Prefix(char* buffer, std::size_t size, std::string_view text) {
    if (size == 0) return;
    const std::string_view shown = Utf8Prefix(text.substr(0, text.find('\0')), size - 1);
    std::memcpy(buffer, shown.data(), shown.size());
    buffer[shown.size()] = '\0';
}
