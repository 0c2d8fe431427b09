#include "app/Text.h"

namespace {

bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

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
