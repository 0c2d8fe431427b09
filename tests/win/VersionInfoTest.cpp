// The version reader against the system's version functions: the program's own record,
// a record with gaps (this test program's) and a file without one.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <string>

#include "framework/Handles.h"
#include "framework/WinText.h"
#include "shell/VersionInfo.h"

namespace {

using TValues = std::array<std::string, 10>;

TValues Values(const TInfoExe& info) {
    return {info.CompanyName(),      info.FileDescription(), info.FileVersion(),
            info.InternalName(),     info.LegalCopyright(),  info.LegalTradeMarks(),
            info.OriginalFilename(), info.ProductName(),     info.ProductVersion(),
            info.Comments()};
}


}  // namespace

TEST(VersionInfo, ReadsTheProgramsRecordInItsLanguageAndLeavesNothingBehind) {
    const std::string tarvo = TARVO_EXE_DEFAULT;
    TInfoExe info(nullptr);
    EXPECT_EQ(info.LangId(), "040C");
    info.SetExeName(tarvo);
    info.ReadVersionInfo();
    EXPECT_EQ(Values(info), TValues{});  // the record has no French table

    info.SetLangId("0409");
    info.ReadVersionInfo();
    EXPECT_EQ(info.FileVersion(), "1.2.0.181");
    EXPECT_EQ(info.ProductVersion(), "1.2");

    // Missing values between present ones read empty, not as the text read before them.
    info.SetExeName(fw::ModuleFileName());
    info.ReadVersionInfo();
    EXPECT_EQ(Values(info), (TValues{"Gap Test Company", "", "9.8.7.6", "", "", "", "win_tests.exe", "", "", ""}));

    // A file without a record leaves nothing of the last one.
    char folder[MAX_PATH + 1] = {}, plain[MAX_PATH + 1] = {};
    ASSERT_TRUE(::GetTempPathA(sizeof folder, folder));
    ASSERT_TRUE(::GetTempFileNameA(folder, "ver", 0, plain));
    info.SetExeName(plain);
    info.ReadVersionInfo();
    ::DeleteFileA(plain);
    EXPECT_EQ(Values(info), TValues{});
}
