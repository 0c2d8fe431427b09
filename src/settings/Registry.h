#pragma once
// The registry object: one root key, at most one open current key, and typed
// reads and writes of its values. Text is UTF-8 through the A functions.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "settings/RegValue.h"

// A registry operation that failed; the message names the key or value.
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one form of every registry error the program tells: what failed, the name in quotes,
// and the system's reason for code when there is one ("Failed to create key 'x': Access
// is denied.").
std::string RegistryErrorText(const std::string& what, const std::string& name, LSTATUS code = ERROR_SUCCESS);

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    DWORD DataSize = 0;  // in bytes, as the registry reports it
};

// The registry calls that change something or open a key for writing. Replaceable so that
// tests can make any one of them fail, which the real registry rarely does on its own.
struct TRegistryApi {
    std::function<LSTATUS(HKEY, LPCSTR, REGSAM, HKEY*)> OpenKey =
        [](HKEY parent, LPCSTR subKey, REGSAM access, HKEY* result) {
            return ::RegOpenKeyExA(parent, subKey, 0, access, result);
        };
    std::function<LSTATUS(HKEY, LPCSTR, REGSAM, HKEY*)> CreateKey =
        [](HKEY parent, LPCSTR subKey, REGSAM access, HKEY* result) {
            return ::RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                     nullptr, result, nullptr);
        };
    std::function<LSTATUS(HKEY, LPCSTR, DWORD, const BYTE*, DWORD)> SetValue =
        [](HKEY key, LPCSTR name, DWORD type, const BYTE* data, DWORD size) {
            return ::RegSetValueExA(key, name, 0, type, data, size);
        };
    std::function<LSTATUS(HKEY, LPCSTR)> DeleteKey = ::RegDeleteKeyA;
    std::function<LSTATUS(HKEY, LPCSTR)> DeleteValue = ::RegDeleteValueA;

    // The system's own calls.
    static const TRegistryApi& System();
};

class TRegistry {
public:
    TRegistry() = default;
    ~TRegistry() = default;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // The calls this object makes; the system's unless replaced. Not owned.
    void SetApi(const TRegistryApi* api) { FApi = api ? api : &TRegistryApi::System(); }
    const TRegistryApi& Api() const { return *FApi; }

    HKEY RootKey() const { return FRootKey; }
    // Changing the root closes the current key: it belonged to the old root.
    void SetRootKey(HKEY value);
    // The open current key, or nullptr.
    HKEY CurrentKey() const { return FCurrentKey.Get(); }

    // Open (and with canCreate create) a key with full access and make it current.
    // Every attempt closes the previous current key, so reads after a failed open
    // fail instead of quietly reading the key opened before.
    bool OpenKey(const std::string& path, bool canCreate);
    bool OpenKeyReadOnly(const std::string& path);
    void CloseKey();
    // The system's answer to the last open, for messages: ERROR_SUCCESS after a success.
    LSTATUS LastOpenError() const { return FLastOpenError; }

    // Deletes the key and everything below it. An empty path is refused: it would
    // name the current or the root key itself.
    bool DeleteKey(const std::string& path);
    bool KeyExists(const std::string& path) const;

    bool DeleteValue(const std::string& name);
    // A value that is still there afterwards raises "Failed to delete value '%s'"; one that
    // was not there to begin with is no failure.
    void DeleteValueOrFail(const std::string& name);
    bool ValueExists(const std::string& name) const;
    bool GetDataInfo(const std::string& name, TRegDataInfo& info) const;
    TRegDataType GetDataType(const std::string& name) const;

    // Missing value (or no current key): "". REG_SZ and REG_EXPAND_SZ are read.
    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    int ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name) const;
    void WriteBool(const std::string& name, bool value);
    // A value's type and raw bytes in one call; false when it is missing.
    bool ReadRaw(const std::string& name, DWORD& type, std::string& data) const;
    // The value as given: its name, type and bytes.
    void WriteRaw(const TRegValue& value);

    // Replace the list with the current key's subkey or value names (empty without one).
    void GetKeyNames(std::vector<std::string>& list) const;
    void GetValueNames(std::vector<std::string>& list) const;
    // Replace the list with every value of the current key, names, types and bytes, with
    // one call for the key and one per value (empty without a current key).
    void ReadValues(std::vector<TRegValue>& list) const;

private:
    bool Open(const std::string& path, bool canCreate, REGSAM access);
    // The key a path is taken from: the root for "\..." or without a current key.
    HKEY BaseKey(bool fromRoot) const;
    void PutData(const std::string& name, DWORD type, const void* data, DWORD size);

    HKEY FRootKey = HKEY_CURRENT_USER;
    fw::THKey FCurrentKey;
    const TRegistryApi* FApi = &TRegistryApi::System();
    LSTATUS FLastOpenError = ERROR_SUCCESS;
};
