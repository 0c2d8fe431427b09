#include "framework/Text.h"

#include <cstring>

namespace fw {

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    // Back off to the start of the character the limit falls into: past its continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

void CopyUtf8Prefix(char* buffer, std::size_t size, std::string_view text) {
    if (size == 0) return;
    const std::string_view shown = Utf8Prefix(text.substr(0, text.find('\0')), size - 1);
    std::memcpy(buffer, shown.data(), shown.size());
    buffer[shown.size()] = '\0';
}

}  // namespace fw
