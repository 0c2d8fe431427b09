// Reads ten texts of a program file's version record for one language.
#pragma once

#include <array>
#include <string>

#include "framework/Component.h"

class TInfoExe : public fw::TComponent {
public:
    explicit TInfoExe(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TInfoExe"; }

    // Four hexadecimal digits: the language half of the string table's name.
    const std::string& LangId() const { return FLangId; }
    void SetLangId(const std::string& value) { FLangId = value; }
    // The file to read.
    const std::string& ExeName() const { return FExeName; }
    void SetExeName(const std::string& value) { FExeName = value; }

    const std::string& CompanyName() const { return FValues[0]; }
    const std::string& FileDescription() const { return FValues[1]; }
    const std::string& FileVersion() const { return FValues[2]; }
    const std::string& InternalName() const { return FValues[3]; }
    const std::string& LegalCopyright() const { return FValues[4]; }
    const std::string& LegalTradeMarks() const { return FValues[5]; }
    const std::string& OriginalFilename() const { return FValues[6]; }
    const std::string& ProductName() const { return FValues[7]; }
    const std::string& ProductVersion() const { return FValues[8]; }
    const std::string& Comments() const { return FValues[9]; }

    // Replaces the ten texts with those of ExeName's record in LangId (code page 1252). A text
    // the record lacks, or every text of a file without a record, reads empty.
    void ReadVersionInfo();

private:
    std::string FLangId = "040C";
    std::string FExeName;
    std::array<std::string, 10> FValues;
};
