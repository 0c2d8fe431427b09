#include "settings/RunEntry.h"

#include "app/Text.h"

bool IsRunEntryType(TRegDataType type) {
    return type == TRegDataType::rdString || type == TRegDataType::rdExpandString;
}

std::string RunEntryFor(std::string_view programPath) {
    std::string entry(programPath);
    if (entry.find(' ') != std::string::npos) entry = '"' + entry + '"';
    return entry;
}

bool RunEntryNames(std::string_view stored, std::string_view programPath) {
    std::string path = TrimControl(stored);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    return UpperAscii(path) == UpperAscii(programPath);
}

TStartupApproval StartupApprovalOf(const std::optional<std::string>& stored) {
    if (!stored) return TStartupApproval::Absent;
    const bool off = !stored->empty() && (static_cast<unsigned char>(stored->front()) & 1) != 0;
    return off ? TStartupApproval::Disabled : TStartupApproval::Enabled;
}

bool StartsAtLogon(bool runEntryNamesProgram, TStartupApproval approval) {
    return runEntryNamesProgram && approval != TStartupApproval::Disabled;
}

TStartupApproval ApprovalAfterStoring(bool flag, TStartupApproval approval) {
    return flag && approval == TStartupApproval::Disabled ? TStartupApproval::Absent : approval;
}
