#include "framework/Dialogs.h"

#include <cderr.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/WinText.h"

namespace fw {

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

std::string TOpenDialog::FilterBuffer() const {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t bar = FFilter.find('|', start);
        parts.push_back(FFilter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    // Pairs of description and pattern, each ended by a zero, the whole by a second zero. An
    // empty part would end the list early: the other half of its pair stands in for it.
    std::string buffer;
    for (size_t i = 0; i < parts.size(); i += 2) {
        std::string description = parts[i];
        std::string pattern = i + 1 < parts.size() ? parts[i + 1] : std::string();
        if (description.empty()) description = pattern;
        if (pattern.empty()) pattern = description;
        if (description.empty()) continue;
        buffer += description;
        buffer += '\0';
        buffer += pattern;
        buffer += '\0';
    }
    if (!buffer.empty()) buffer += '\0';
    return buffer;
}

bool TOpenDialog::UsableStartName(const std::string& name) {
    if (name.empty() || name.size() >= MaxFileName) return false;
    for (unsigned char c : name)
        if (c < ' ' || std::strchr("<>|*?\"", c)) return false;
    return true;
}

bool TOpenDialog::RunDialog(OPENFILENAMEA& ofn, DWORD& error) {
    if (::GetOpenFileNameA(&ofn)) return true;
    error = ::CommDlgExtendedError();
    return false;
}

bool TOpenDialog::Execute() {
    const std::string filter = FilterBuffer();
    std::string file(MaxFileName, '\0');
    const bool startName = UsableStartName(FFileName);
    if (startName) FFileName.copy(file.data(), FFileName.size());

    HWND owner = ::GetActiveWindow();
    if (!owner || !::IsWindowVisible(owner) || !dynamic_cast<TForm*>(TargetOf(owner)))
        owner = Application ? Application->Handle() : nullptr;

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MaxFileName;
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (FOptions & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (FOptions & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (FOptions & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (FOptions & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;

    // The dialog disables its owner; the program's other windows wait too. The dialog moves
    // the current folder while the user browses, whatever OFN_NOCHANGEDIR says on some
    // systems: put it back.
    struct TRestore {
        std::vector<HWND> Disabled;
        std::string Folder = CurrentDirectory();
        ~TRestore() {
            if (!Folder.empty() && CurrentDirectory() != Folder) ::SetCurrentDirectoryA(Folder.c_str());
            if (Application) Application->EnableTaskWindows(Disabled);
        }
    } restore;
    if (Application) restore.Disabled = Application->DisableTaskWindows(owner);

    DWORD error = 0;
    bool ok = RunDialog(ofn, error);
    // Refused at once because of the starting name: offer the dialog without it.
    if (!ok && startName && (error == FNERR_INVALIDFILENAME || error == FNERR_BUFFERTOOSMALL)) {
        std::fill(file.begin(), file.end(), '\0');
        error = 0;
        ok = RunDialog(ofn, error);
    }
    if (ok) FFileName = file.c_str();
    return ok;
}

}  // namespace fw
