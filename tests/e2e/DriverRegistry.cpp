// What the driver does to the registry: values exactly as stored, bindings, the program's
// keys, cleaning up and watching a key, and the shell stand-ins for browsers and mail.
#include "Driver.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "DriverText.h"

namespace e2e {

namespace {

// Opens (or creates) a key of HKEY_CURRENT_USER; empty when that fails.
fw::THKey OpenKey(const std::string& path, REGSAM access, bool create) {
    fw::THKey key;
    const std::wstring w = Wide(path);
    if (create)
        ::RegCreateKeyExW(HKEY_CURRENT_USER, w.c_str(), 0, nullptr, 0, access, nullptr, key.Put(),
                          nullptr);
    else
        ::RegOpenKeyExW(HKEY_CURRENT_USER, w.c_str(), 0, access, key.Put());
    return key;
}

}  // namespace

// --- Registry ---------------------------------------------------------------------------

TRegValue StringValue(const std::string& text) {
    std::wstring w = Wide(text);
    const auto* bytes = reinterpret_cast<const BYTE*>(w.c_str());
    return {REG_SZ, std::vector<BYTE>(bytes, bytes + (w.size() + 1) * sizeof(wchar_t))};
}

TRegValue DwordValue(DWORD value) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof value)};
}

std::optional<std::string> AsString(const TRegValue& value) {
    if (value.Type != REG_SZ) return std::nullopt;
    std::wstring w(value.Data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(w.data(), value.Data.data(), w.size() * sizeof(wchar_t));
    w.resize(std::wcslen(w.c_str()));
    return Utf8(w.data(), w.size());
}

std::optional<DWORD> AsDword(const TRegValue& value) {
    if (value.Type != REG_DWORD || value.Data.size() != sizeof(DWORD)) return std::nullopt;
    DWORD result = 0;
    std::memcpy(&result, value.Data.data(), sizeof result);
    return result;
}

void PrintTo(const TRegValue& value, std::ostream* out) {
    if (auto text = AsString(value)) {
        *out << "REG_SZ \"" << text->substr(0, 80) << (text->size() > 80 ? "...\"" : "\"")
             << " (" << text->size() << " bytes)";
    } else if (auto number = AsDword(value)) {
        *out << "REG_DWORD " << *number;
    } else {
        *out << "type " << value.Type << ", " << value.Data.size() << " bytes";
    }
}

void PrintTo(const TBinding& b, std::ostream* out) {
    *out << "{\"" << b.Address.substr(0, 80) << "\", key " << b.VirtualKey << (b.Ctrl ? " Ctrl" : "")
         << (b.Alt ? " Alt" : "") << (b.Shift ? " Shift" : "") << (b.Enabled ? " enabled}" : " disabled}");
}

TRegValues BindingValues(const TBinding& b) {
    return {{"Address", StringValue(b.Address)}, {"VirtualKey", DwordValue(b.VirtualKey)},
            {"Ctrl", DwordValue(b.Ctrl)},        {"Alt", DwordValue(b.Alt)},
            {"Shift", DwordValue(b.Shift)},      {"Enabled", DwordValue(b.Enabled)}};
}

std::optional<TBinding> ParseBinding(const TRegValues& values) {
    auto dword = [&](const char* name) -> std::optional<DWORD> {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : AsDword(it->second);
    };
    auto address = values.find("Address");
    if (address == values.end() || !AsString(address->second)) return std::nullopt;
    auto vk = dword("VirtualKey"), ctrl = dword("Ctrl"), alt = dword("Alt"), shift = dword("Shift"),
         enabled = dword("Enabled");
    if (!vk || !ctrl || !alt || !shift || !enabled) return std::nullopt;
    return TBinding{*AsString(address->second), *vk, *ctrl != 0, *alt != 0, *shift != 0, *enabled != 0};
}

std::string UserName() {
    DWORD size = 0;
    ::GetUserNameW(nullptr, &size);
    std::wstring name(size + 1, L'\0');
    size = static_cast<DWORD>(name.size());
    if (!::GetUserNameW(name.data(), &size)) throw std::runtime_error("GetUserName failed");
    return Utf8(name.data(), std::wcslen(name.c_str()));
}

std::string SettingsKey() { return "Software\\Morvane\\Tarvo\\" + UserName(); }
std::string HotKeysKey() { return SettingsKey() + "\\HotKeys"; }
std::string LegacyApplicationKey() { return "Software\\morvane.example\\Tarvo"; }
std::string LegacyHotKeysKey(const std::string& user) {
    return LegacyApplicationKey() + "\\" + user + "\\HotKeys";
}

bool KeyExists(const std::string& path) { return static_cast<bool>(OpenKey(path, KEY_READ, false)); }

std::vector<std::string> SubKeys(const std::string& path) {
    std::vector<std::string> names;
    fw::THKey key = OpenKey(path, KEY_READ, false);
    DWORD count = 0, maxName = 0;
    if (!key || ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &count, &maxName, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::wstring name(maxName + 1, L'\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            throw std::runtime_error("cannot list the subkeys of " + path);
        names.push_back(Utf8(name.data(), length));
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// One pass over a key's values; nothing when the program changed them meanwhile (a value
// added, grown or deleted between the count and the reads).
std::optional<TRegValues> ReadValuesOnce(HKEY key) {
    TRegValues values;
    DWORD count = 0, maxName = 0, maxData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                           &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::wstring name(maxName + 1, L'\0');
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        values[Utf8(name.data(), nameLength)] = {type, std::vector<BYTE>(data.begin(), data.begin() + size)};
    }
    return values;
}

}  // namespace

TRegValues ReadValues(const std::string& path) {
    fw::THKey key = OpenKey(path, KEY_READ, false);
    if (!key) return {};
    // The program may be writing this key right now: read again until one pass is whole.
    for (int attempt = 0; attempt < 50; ++attempt)
        if (std::optional<TRegValues> values = ReadValuesOnce(key.Get())) return *values;
    throw std::runtime_error("cannot read a value of " + path);
}

std::optional<TRegValue> ReadValue(const std::string& path, const std::string& name) {
    TRegValues all = ReadValues(path);
    auto it = all.find(name);
    if (it == all.end()) return std::nullopt;
    return it->second;
}

std::optional<DWORD> ReadDword(const std::string& path, const std::string& name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, Wide(path).c_str(), Wide(name).c_str(), RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteValues(const std::string& path, const TRegValues& values) {
    fw::THKey key = OpenKey(path, KEY_ALL_ACCESS, true);
    if (!key) throw std::runtime_error("cannot create " + path);
    for (const auto& [name, value] : values)
        if (::RegSetValueExW(key.Get(), Wide(name).c_str(), 0, value.Type, value.Data.data(),
                             static_cast<DWORD>(value.Data.size())) != ERROR_SUCCESS)
            throw std::runtime_error("cannot write " + path + "\\" + name);
}

void WriteBinding(const std::string& hotKeysKey, const std::string& name, const TBinding& b) {
    WriteValues(hotKeysKey + "\\" + name, BindingValues(b));
}

void DeleteTree(const std::string& path) {
    LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(path).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("cannot delete " + path);
}

void DeleteValue(const std::string& path, const std::string& name) {
    fw::THKey key = OpenKey(path, KEY_ALL_ACCESS, false);
    if (key) ::RegDeleteValueW(key.Get(), Wide(name).c_str());
}

void CleanRegistry() {
    DeleteTree("Software\\Morvane");
    DeleteTree("Software\\morvane.example");
    DeleteValue(RunKey, RunValueName);
    DeleteValue(StartupApprovedKey, RunValueName);
}

TKeyWatch::TKeyWatch(const std::string& path)
    : FKey(OpenKey(path, KEY_NOTIFY, false)), FEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!FKey || !FEvent ||
        ::RegNotifyChangeKeyValue(FKey.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                  FEvent.Get(), TRUE) != ERROR_SUCCESS)
        throw std::runtime_error("cannot watch " + path);
}

bool TKeyWatch::Wait(DWORD timeoutMs) const {
    return ::WaitForSingleObject(FEvent.Get(), timeoutMs) == WAIT_OBJECT_0;
}

// --- Shell stand-ins --------------------------------------------------------------------

namespace {

constexpr const char* kStandInProgId = "TarvoE2e.StandIn";

std::optional<std::string> DefaultValue(HKEY root, const std::string& subKey) {
    fw::THKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Put())) return std::nullopt;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, nullptr, &size)) return std::nullopt;
    std::string value(size + 1, '\0');
    ::RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size);
    value.resize(std::strlen(value.c_str()));
    return value;
}

void SetValue(HKEY root, const std::string& subKey, const char* name, const std::string& value) {
    fw::THKey key;
    ::RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
    ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
}

}  // namespace

TShellStandIn::TShellStandIn(std::string type, std::string program) : FType(std::move(type)), FProgram(std::move(program)) {
    Register();
    if (!Active()) {
        Unregister();
        FRoot = HKEY_CLASSES_ROOT;
        FPrefix.clear();
        Register();
    }
}

TShellStandIn::~TShellStandIn() { Unregister(); }

std::string TShellStandIn::OpenCommand(const std::string& type) {
    const bool file = !type.empty() && type[0] == '.';
    std::string text(4096, '\0');
    DWORD size = static_cast<DWORD>(text.size());
    if (::AssocQueryStringA(ASSOCF_NOTRUNCATE | (file ? 0 : ASSOCF_IS_PROTOCOL), ASSOCSTR_COMMAND, type.c_str(), "open",
                            text.data(), &size) != S_OK)
        return {};
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool TShellStandIn::Active() const {
    const std::string command = OpenCommand(FType);
    return ::StrStrIA(command.c_str(), FProgram.c_str()) != nullptr;
}

std::string TShellStandIn::CommandKey() const {
    const bool file = FType[0] == '.';
    return FPrefix + (file ? std::string(kStandInProgId) : FType) + "\\shell\\open\\command";
}

void TShellStandIn::Register() {
    const std::string command = "\"" + FProgram + "\" \"%1\"";
    if (FType[0] == '.') {
        FOldDefault = DefaultValue(FRoot, FPrefix + FType);
        SetValue(FRoot, FPrefix + FType, nullptr, kStandInProgId);
    } else {
        FOldCommand = DefaultValue(FRoot, CommandKey());
        SetValue(FRoot, FPrefix + FType, "URL Protocol", "");
    }
    SetValue(FRoot, CommandKey(), nullptr, command);
}

void TShellStandIn::Unregister() {
    if (FType[0] == '.') {
        ::RegDeleteTreeA(FRoot, (FPrefix + kStandInProgId).c_str());
        if (FOldDefault)
            SetValue(FRoot, FPrefix + FType, nullptr, *FOldDefault);
        else
            ::RegDeleteTreeA(FRoot, (FPrefix + FType).c_str());
    } else if (FOldCommand) {
        SetValue(FRoot, CommandKey(), nullptr, *FOldCommand);
    } else {
        ::RegDeleteTreeA(FRoot, (FPrefix + FType).c_str());
    }
}

}  // namespace e2e
