// A registry value as the registry holds it, name, type and raw bytes, without the registry:
// what the store's decisions and the settings read, natively testable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The registry's type codes this program reads or writes; Registry.cpp checks them against
// the system's.
enum : std::uint32_t { kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4 };

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };
TRegDataType RegDataType(std::uint32_t type);

struct TRegValue {
    std::string Name;
    std::uint32_t Type = kRegNone;
    std::string Data;

    friend bool operator==(const TRegValue&, const TRegValue&) = default;
};

// Text as a save writes it: REG_SZ with its terminating zero.
TRegValue SzValue(std::string name, const std::string& text);
// A number as a save writes it: REG_DWORD, four bytes, least significant first.
TRegValue DwordValue(std::string name, std::int32_t number);
// The number a value's raw bytes hold when it is a REG_DWORD of four bytes; nothing otherwise.
std::optional<std::int32_t> DwordOf(std::uint32_t type, const std::string& data);
