#include "settings/Settings.h"

#include "settings/QmReg.h"
#include "settings/RunEntry.h"

#include <cstdint>

namespace {

// A window edge or size the system can place: its coordinates are 16-bit.
constexpr int kMinEdge = -32768, kMaxEdge = 32767, kMaxSize = 32767;

std::optional<int> ReadNumber(const TRegistry& reg, const char* name, int min, int max,
                              std::vector<std::string>& errors) {
    DWORD type = REG_NONE;
    std::string data;
    if (!reg.ReadRaw(name, type, data)) return std::nullopt;
    const std::optional<std::int32_t> value = DwordOf(type, data);
    if (!value) {
        errors.push_back(RegistryErrorText("Invalid data type for", name));
        return std::nullopt;
    }
    if (*value < min || *value > max) {
        errors.push_back(RegistryErrorText("Value out of range for", name) + ": " + std::to_string(*value));
        return std::nullopt;
    }
    return *value;
}

}  // namespace

TStoredPlacement ReadStoredPlacement(const TRegistry& reg, std::vector<std::string>& errors) {
    TStoredPlacement p;
    p.Left = ReadNumber(reg, "MainLeft", kMinEdge, kMaxEdge, errors);
    p.Top = ReadNumber(reg, "MainTop", kMinEdge, kMaxEdge, errors);
    p.Width = ReadNumber(reg, "MainWidth", 1, kMaxSize, errors);
    p.Height = ReadNumber(reg, "MainHeight", 1, kMaxSize, errors);
    return p;
}

void WriteStoredPlacement(TRegistry& reg, int left, int top, int width, int height) {
    reg.WriteInteger("MainLeft", left);
    reg.WriteInteger("MainTop", top);
    reg.WriteInteger("MainWidth", width);
    reg.WriteInteger("MainHeight", height);
}

std::optional<bool> ReadNewBrowser(const TRegistry& reg, std::vector<std::string>& errors) {
    const size_t known = errors.size();
    const std::optional<int> value = ReadNumber(reg, "NewBrowser", INT32_MIN, INT32_MAX, errors);
    if (errors.size() != known) return std::nullopt;
    // Any number other than 0 is on, as the option has always been read.
    return value && *value != 0;
}

void OpenForWriting(TRegistry& reg, const std::string& path) {
    if (!reg.OpenKey(path, true))
        throw ERegistryException(RegistryErrorText("Failed to create key", path, reg.LastOpenError()));
}

TStartupApproval ReadStartupApproval(TRegistry& reg) {
    DWORD type = REG_NONE;
    std::string data;
    if (!reg.OpenKeyReadOnly(kStartupApprovedKey) || !reg.ReadRaw(kRunValue, type, data))
        return StartupApprovalOf(std::nullopt);
    return StartupApprovalOf(data);
}

void StoreStartupApproval(TRegistry& reg, bool flag) {
    const TStartupApproval approval = ReadStartupApproval(reg);
    // All that storing ever changes of the switch is taking its value away.
    if (ApprovalAfterStoring(flag, approval) == approval) return;
    OpenForWriting(reg, kStartupApprovedKey);
    reg.DeleteValueOrFail(kRunValue);
}

void WriteRunEntry(TRegistry& reg, bool flag, const std::string& programPath) {
    OpenForWriting(reg, kRunKey);
    if (flag) {
        reg.WriteString(kRunValue, RunEntryFor(programPath));
        return;
    }
    if (IsRunEntryType(reg.GetDataType(kRunValue))) reg.DeleteValueOrFail(kRunValue);
}

void WriteNewBrowser(TRegistry& reg, const std::string& settingsKey, bool flag) {
    OpenForWriting(reg, settingsKey);
    if (flag)
        reg.WriteInteger("NewBrowser", 1);
    else
        reg.DeleteValueOrFail("NewBrowser");
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

std::string ReadSettings(TQmReg* reg, const std::string& path,
                         const std::function<void(const TRegistry&, std::vector<std::string>& errors)>& read) {
    std::vector<std::string> errors;
    TQmRegSession session(reg);
    if (session->OpenKeyReadOnly(path)) read(*session, errors);
    return JoinLines(errors);
}
