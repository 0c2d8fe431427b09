#include "settings/RegValue.h"

TRegDataType RegDataType(std::uint32_t type) {
    switch (type) {
        case kRegSz:
            return TRegDataType::rdString;
        case kRegExpandSz:
            return TRegDataType::rdExpandString;
        case kRegDword:
            return TRegDataType::rdInteger;
        case kRegBinary:
            return TRegDataType::rdBinary;
        default:
            return TRegDataType::rdUnknown;
    }
}

TRegValue SzValue(std::string name, const std::string& text) { return {std::move(name), kRegSz, text + '\0'}; }

TRegValue DwordValue(std::string name, std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[static_cast<size_t>(i)] = static_cast<char>(bits >> (8 * i) & 0xFF);
    return {std::move(name), kRegDword, data};
}

std::optional<std::int32_t> DwordOf(std::uint32_t type, const std::string& data) {
    if (type != kRegDword || data.size() != 4) return std::nullopt;
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = bits << 8 | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    return static_cast<std::int32_t>(bits);
}
