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
