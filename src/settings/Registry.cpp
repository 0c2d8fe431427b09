#include "settings/Registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "framework/WinText.h"
#include "settings/KeyPaths.h"

static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ &&
              kRegBinary == REG_BINARY && kRegDword == REG_DWORD);

namespace {

[[noreturn]] void Fail(const char* what, const std::string& name) {
    throw ERegistryException(RegistryErrorText(what, name));
}

// Reads a value's type and bytes, with a buffer grown until the data fits: the
// size the registry reports for text is a guess when it converts to UTF-8.
bool QueryValue(HKEY key, const std::string& name, DWORD& type, std::string& data) {
    if (!key) return false;
    // Most values are small: one call with room for them, a second only for larger ones.
    DWORD size = 64;
    for (;;) {
        data.assign(size > 0 ? size : 1, '\0');
        DWORD got = static_cast<DWORD>(data.size());
        const LONG rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;
        // The value may have grown meanwhile; always grow so the loop ends.
        size = std::max<DWORD>(got, static_cast<DWORD>(data.size()) * 2);
    }
}

// Names of a key's subkeys or values in the order the registry gives them.
void EnumNames(HKEY key, bool subKeys, std::vector<std::string>& list) {
    list.clear();
    if (!key) return;
    DWORD count = 0;
    DWORD maxLength = 0;
    const LONG info =
        subKeys ? ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &maxLength, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr)
                : ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     &count, &maxLength, nullptr, nullptr, nullptr);
    if (info != ERROR_SUCCESS) return;
    list.reserve(count);
    // The maximum is counted in characters; a UTF-8 name can need more bytes, so the
    // buffer grows when a name does not fit rather than dropping that name.
    std::string buffer(static_cast<size_t>(maxLength) + 1, '\0');
    constexpr size_t limit = size_t{1} << 20;
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc = subKeys ? ::RegEnumKeyExA(key, index, buffer.data(), &length, nullptr,
                                                  nullptr, nullptr, nullptr)
                                : ::RegEnumValueA(key, index, buffer.data(), &length, nullptr,
                                                  nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && buffer.size() < limit) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS at the end
        list.emplace_back(buffer.data(), length);
        ++index;
    }
}

bool DeleteTree(const TRegistryApi& api, HKEY parent, const std::string& subKey) {
    {
        fw::THKey key;
        HKEY opened = nullptr;
        if (::RegOpenKeyExA(parent, subKey.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            key.Reset(opened);
            std::vector<std::string> children;
            EnumNames(key.Get(), true, children);
            // A child that cannot go makes the final delete fail, which reports it.
            for (const std::string& child : children) DeleteTree(api, key.Get(), child);
        }
    }
    return api.DeleteKey(parent, subKey.c_str()) == ERROR_SUCCESS;
}

}  // namespace

std::string RegistryErrorText(const std::string& what, const std::string& name, LSTATUS code) {
    const std::string message = what + " '" + name + "'";
    const std::string reason = code == ERROR_SUCCESS ? "" : fw::SystemErrorText(static_cast<DWORD>(code));
    return reason.empty() ? message : message + ": " + reason;
}

const TRegistryApi& TRegistryApi::System() {
    static const TRegistryApi api;
    return api;
}

void TRegistry::SetRootKey(HKEY value) {
    if (value == FRootKey) return;
    CloseKey();
    FRootKey = value;
}

HKEY TRegistry::BaseKey(bool fromRoot) const {
    return fromRoot || !FCurrentKey ? FRootKey : FCurrentKey.Get();
}

bool TRegistry::Open(const std::string& path, bool canCreate, REGSAM access) {
    const TRegKeyPath p = SplitKeyPath(path);
    const HKEY base = BaseKey(p.FromRoot);
    HKEY opened = nullptr;
    // Reading needs no seam: only what writes can be made to fail.
    const LONG rc = canCreate ? FApi->CreateKey(base, p.SubKey.c_str(), access, &opened)
                    : access == KEY_READ
                        ? ::RegOpenKeyExA(base, p.SubKey.c_str(), 0, access, &opened)
                        : FApi->OpenKey(base, p.SubKey.c_str(), access, &opened);
    // The old key is closed only now: a relative path was taken from it.
    FCurrentKey.Reset(rc == ERROR_SUCCESS ? opened : nullptr);
    FLastOpenError = rc;
    return rc == ERROR_SUCCESS;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    return Open(path, canCreate, KEY_ALL_ACCESS);
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) { return Open(path, false, KEY_READ); }

void TRegistry::CloseKey() { FCurrentKey.Reset(); }

bool TRegistry::DeleteKey(const std::string& path) {
    const TRegKeyPath p = SplitKeyPath(path);
    if (p.SubKey.empty()) return false;
    return DeleteTree(*FApi, BaseKey(p.FromRoot), p.SubKey);
}

bool TRegistry::KeyExists(const std::string& path) const {
    const TRegKeyPath p = SplitKeyPath(path);
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(BaseKey(p.FromRoot), p.SubKey.c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

bool TRegistry::DeleteValue(const std::string& name) {
    return FCurrentKey && FApi->DeleteValue(FCurrentKey.Get(), name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::DeleteValueOrFail(const std::string& name) {
    if (!DeleteValue(name) && ValueExists(name)) Fail("Failed to delete value", name);
}

bool TRegistry::ValueExists(const std::string& name) const {
    return FCurrentKey && ::RegQueryValueExA(FCurrentKey.Get(), name.c_str(), nullptr, nullptr,
                                             nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) const {
    info = {};
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!FCurrentKey || ::RegQueryValueExA(FCurrentKey.Get(), name.c_str(), nullptr, &type, nullptr,
                                           &size) != ERROR_SUCCESS)
        return false;
    info.RegData = RegDataType(type);
    info.DataSize = size;
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
    TRegDataInfo info;
    GetDataInfo(name, info);
    return info.RegData;
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValue(FCurrentKey.Get(), name, type, data)) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) Fail("Invalid data type for", name);
    // Up to the first zero: the stored terminator, or one a careless writer put inside.
    data.resize(std::strlen(data.c_str()));
    return data;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    if (value.size() >= std::numeric_limits<DWORD>::max()) Fail("Failed to set data for", name);
    PutData(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int TRegistry::ReadInteger(const std::string& name) const {
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValue(FCurrentKey.Get(), name, type, data)) Fail("Failed to get data for", name);
    const std::optional<std::int32_t> value = DwordOf(type, data);
    if (!value) Fail("Invalid data type for", name);
    return *value;
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    const DWORD raw = static_cast<DWORD>(value);
    PutData(name, REG_DWORD, &raw, sizeof raw);
}

bool TRegistry::ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }

bool TRegistry::ReadRaw(const std::string& name, DWORD& type, std::string& data) const {
    return QueryValue(FCurrentKey.Get(), name, type, data);
}

void TRegistry::WriteRaw(const TRegValue& value) {
    if (value.Data.size() > std::numeric_limits<DWORD>::max()) Fail("Failed to set data for", value.Name);
    PutData(value.Name, value.Type, value.Data.data(), static_cast<DWORD>(value.Data.size()));
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::PutData(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (!FCurrentKey ||
        FApi->SetValue(FCurrentKey.Get(), name.c_str(), type, static_cast<const BYTE*>(data), size) !=
            ERROR_SUCCESS)
        Fail("Failed to set data for", name);
}

void TRegistry::GetKeyNames(std::vector<std::string>& list) const {
    EnumNames(FCurrentKey.Get(), true, list);
}

void TRegistry::GetValueNames(std::vector<std::string>& list) const {
    EnumNames(FCurrentKey.Get(), false, list);
}

void TRegistry::ReadValues(std::vector<TRegValue>& list) const {
    list.clear();
    const HKEY key = FCurrentKey.Get();
    DWORD count = 0, maxName = 0, maxData = 0;
    if (!key || ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                   &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    list.reserve(count);
    // The maxima count characters and wide bytes; UTF-8 can need more, so both grow when a
    // value does not fit. Reading stops at the count: no call just to learn the end.
    std::string name(static_cast<size_t>(maxName) + 1, '\0');
    std::string data(std::max<DWORD>(maxData, 1), '\0');
    constexpr size_t limit = size_t{1} << 26;
    for (DWORD index = 0; index < count;) {
        DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG rc = ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data.data()), &dataLength);
        if (rc == ERROR_MORE_DATA && data.size() < limit) {
            name.resize(std::max(name.size() * 2, static_cast<size_t>(nameLength) + 1));
            data.resize(std::max(data.size() * 2, static_cast<size_t>(dataLength)));
            continue;
        }
        if (rc != ERROR_SUCCESS) break;  // fewer values than counted: one went meanwhile
        list.push_back({std::string(name.data(), nameLength), type, std::string(data.data(), dataLength)});
        ++index;
    }
}
