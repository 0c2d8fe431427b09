#include "shell/TrayTip.h"

#include "app/Text.h"

std::string TrayTipText(const std::string& hint, bool showHint, std::size_t limit) {
    if (!showHint || hint.empty()) return {};
    // Text after an embedded zero would never be seen; measure only what is.
    return std::string(Utf8Prefix(std::string_view(hint).substr(0, hint.find('\0')), limit));
}
