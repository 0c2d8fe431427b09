// The system's file-open dialog as a component.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>

#include "framework/Component.h"

namespace fw {

enum TOpenOption : std::uint32_t {
    ofHideReadOnly = 1 << 0,   // no read-only check box
    ofPathMustExist = 1 << 1,
    ofFileMustExist = 1 << 2,
    ofEnableSizing = 1 << 3,   // the user can resize the dialog
};
using TOpenOptions = std::uint32_t;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);
    std::string ClassName() const override { return "TOpenDialog"; }

    // Longest file name the dialog hands back, terminator included.
    static constexpr DWORD MaxFileName = 32768;

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }
    // "Description|pattern|Description|pattern"; a description without a pattern also serves
    // as its pattern, so "*.*" alone shows and filters "*.*".
    const std::string& Filter() const { return FFilter; }
    void SetFilter(const std::string& value) { FFilter = value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }
    // The name the dialog starts with, and after a confirmed Execute the file chosen. A
    // starting name that cannot be a file name is not offered.
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& value) { FFileName = value; }

    // Shows the dialog over the active form (or the application window) and waits; true when
    // the user confirmed a file. The program's current folder is the same afterwards.
    bool Execute();

protected:
    // Runs the system dialog; error is CommDlgExtendedError() after a failure.
    virtual bool RunDialog(OPENFILENAMEA& ofn, DWORD& error);

private:
    std::string FilterBuffer() const;
    static bool UsableStartName(const std::string& name);

    std::string FTitle;
    std::string FFilter;
    std::string FFileName;
    TOpenOptions FOptions = ofHideReadOnly;
};

}  // namespace fw
