// What every fuzz target shares: a check that stops the run with the failed condition, and
// small readers and predicates the targets' properties are written in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Always on (NDEBUG does not remove it): libFuzzer keeps the input that made it fire.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at line feeds, so seeds stay readable text; at most maxLines lines, the
// last one keeping the rest.
inline std::vector<std::string_view> Lines(std::string_view text, std::size_t maxLines) {
    std::vector<std::string_view> lines;
    while (lines.size() + 1 < maxLines) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) break;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    lines.push_back(text);
    return lines;
}

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// No blank or control byte at either end.
inline bool IsTrimmed(std::string_view s) {
    return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back()));
}

inline bool HasControl(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 32 || c == 0x7F) return true;
    return false;
}

inline std::string Without(std::string_view s, char drop) {
    std::string out;
    for (char c : s)
        if (c != drop) out += c;
    return out;
}

// Upper or lower case for a..z / A..Z as bit i of mask says; other bytes unchanged.
inline std::string MixCase(std::string_view s, std::uint64_t mask) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        char& c = out[i];
        const bool upper = (mask >> (i % 64)) & 1;
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

inline int Sign(int v) { return (v > 0) - (v < 0); }

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing
// above U+10FFFF, no sequence cut short.
inline bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n;
        std::uint32_t cp;
        if (b < 0x80) { ++i; continue; }
        if (b >= 0xC2 && b <= 0xDF) { n = 1; cp = b & 0x1F; }
        else if (b >= 0xE0 && b <= 0xEF) { n = 2; cp = b & 0x0F; }
        else if (b >= 0xF0 && b <= 0xF4) { n = 3; cp = b & 0x07; }
        else return false;
        if (i + n >= s.size()) return false;  // cut short
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace fuzz
