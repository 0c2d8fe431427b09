#include "shell/VersionInfo.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// The keys after the language, in the order of the properties.
constexpr std::array<const char*, 10> kKeys = {
    "04E4\\CompanyName",    "04E4\\FileDescription",  "04E4\\FileVersion",
    "04E4\\InternalName",   "04E4\\LegalCopyright",   "04E4\\LegalTradeMarks",
    "04E4\\OriginalFilename", "04E4\\ProductName",    "04E4\\ProductVersion",
    "04E4\\Comments"};

}  // namespace

TInfoExe::TInfoExe(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}

void TInfoExe::ReadVersionInfo() {
    // Nothing of an earlier file or language may survive into this reading.
    FValues = {};
    DWORD dummy = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(FExeName.c_str(), &dummy);
    if (size == 0) return;
    std::vector<char> record(size);
    if (!::GetFileVersionInfoA(FExeName.c_str(), 0, size, record.data())) return;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::string path = "StringFileInfo\\" + FLangId + kKeys[i];
        void* value = nullptr;
        UINT length = 0;
        // Each query on its own: a failed one leaves its text empty, not the one before.
        if (!::VerQueryValueA(record.data(), path.c_str(), &value, &length) || !value) continue;
        // The length the system gives bounds the text, terminated or not.
        const auto* text = static_cast<const char*>(value);
        FValues[i].assign(text, ::strnlen(text, length));
    }
}
