#include "shell/TrayTip.h"

namespace {

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string TrayTipText(const std::string& hint, bool showHint, std::size_t limit) {
    if (!showHint || hint.empty()) return {};
    // Text after an embedded zero would never be seen; measure only what is.
    std::string text = hint.substr(0, hint.find('\0'));
    if (text.size() <= limit) return text;
    std::size_t cut = limit;
    // Back off to the start of the character that the limit falls into.
    while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(text[cut]))) --cut;
    return text.substr(0, cut);
}
