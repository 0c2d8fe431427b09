// The program's life seen from outside: its windows, the close rule, its version record.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Driver.h"

using e2e::TTarvo;
using e2e::WaitFor;

namespace {

bool Visible(HWND h) { return h && ::IsWindowVisible(h); }

// Every test starts from one stored binding: without any, a start is a first run, which
// stops at the demo message before the other windows exist.
class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::CleanRegistry();
        e2e::WriteBinding(e2e::HotKeysKey(), "ShiftControlAlt_F12",
                          e2e::TBinding{"notepad", VK_F12, true, true, true, false});
    }
    void TearDown() override { e2e::CleanRegistry(); }
};

}  // namespace

TEST_F(Lifecycle, StartsWithTheApplicationWindowAndTheFiveWindows) {
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.Running());
    HWND app = tarvo.ApplicationWindow();
    ASSERT_NE(app, nullptr);
    // The application window is a zero-size top-level window that owns the others.
    RECT r{};
    ::GetWindowRect(app, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
    for (const char* caption : {"Tarvo2000 Version 1.2", "Key Recorder", "Accelerator Properties",
                                "About Tarvo2000", "Tarvo2000 Options"}) {
        HWND h = tarvo.WindowTitled(caption);
        ASSERT_NE(h, nullptr) << caption;
        EXPECT_EQ(::GetWindow(h, GW_OWNER), app) << caption;
    }
    // Exactly one window of each: nothing was created twice.
    EXPECT_EQ(tarvo.WindowsTitled("Tarvo2000").size(), 1u);
    EXPECT_EQ(tarvo.WindowsTitled("Key Recorder").size(), 1u);
    EXPECT_FALSE(Visible(tarvo.WindowTitled("Key Recorder")));
    EXPECT_FALSE(Visible(tarvo.WindowTitled("Accelerator Properties")));
}

TEST_F(Lifecycle, CloseHidesAVisibleMainWindowAndEndsAHiddenOne) {
    TTarvo tarvo;
    tarvo.Start();
    HWND main = tarvo.MainWindow();
    ASSERT_NE(main, nullptr);
    if (!Visible(main)) ::ShowWindow(main, SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return Visible(main); }));

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !Visible(main); }));
    // Still running: the close only hid the window.
    EXPECT_TRUE(tarvo.Alive());

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tarvo.WaitForExit(10000));
    EXPECT_EQ(tarvo.ExitCode(), 0u);
}

namespace {

std::string VersionValue(const std::vector<char>& block, const std::string& key) {
    void* value = nullptr;
    UINT length = 0;
    std::string path = "\\StringFileInfo\\040904E4\\" + key;
    if (!::VerQueryValueA(block.data(), path.c_str(), &value, &length) || !value) return "<missing>";
    return static_cast<const char*>(value);
}

}  // namespace

TEST(VersionRecord, CarriesTheProductsVersionInUsEnglishWithCodePage1252) {
    std::string path = e2e::TarvoPath();
    DWORD dummy = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &dummy);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    EXPECT_EQ(VersionValue(block, "FileVersion"), "1.2.0.181");
    EXPECT_EQ(VersionValue(block, "ProductVersion"), "1.2");
    EXPECT_EQ(VersionValue(block, "ProductName"), "Tarvo2000");
    EXPECT_EQ(VersionValue(block, "CompanyName"), "Morvane");
    EXPECT_EQ(VersionValue(block, "OriginalFilename"), "Tarvo.exe");

    struct TTranslation {
        WORD Language, CodePage;
    };
    TTranslation* t = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&t), &length));
    ASSERT_GE(length, sizeof(TTranslation));
    EXPECT_EQ(t->Language, 0x0409);
    EXPECT_EQ(t->CodePage, 0x04E4);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x000000B5u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// Told to end while a start-up message is open (here a first run with a placement value it
// cannot use, and the taskbar's close), the program ends once the box is answered, without
// the first run's writes and without its demo.
TEST(LifecycleStartup, AnEndAskedForDuringStartUpSkipsTheRestOfIt) {
    e2e::CleanRegistry();
    e2e::WriteValues(e2e::SettingsKey(), {{"MainLeft", e2e::TRegValue{REG_SZ, {'x', 0}}}});
    TTarvo tarvo;
    tarvo.Start(false);
    auto box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_NE(box->Text.find("MainLeft"), std::string::npos) << box->Text;
    // The box bears the application's title too: its owner is the application window.
    HWND app = ::GetWindow(box->Handle, GW_OWNER);
    ASSERT_EQ(::GetWindow(app, GW_OWNER), nullptr);
    ::PostMessageA(app, WM_CLOSE, 0, 0);
    // Handled inside the box's loop before anything else happens; false once it has ended.
    tarvo.RoundTrip();
    // The end closes the box (as the system's boxes do on a quit) or waits for its answer.
    if (auto open = tarvo.MessageBox(); open && tarvo.Running()) tarvo.DismissMessageBox(*open);
    const bool ended = tarvo.WaitForExit();
    if (auto left = tarvo.MessageBox()) ADD_FAILURE() << "still showing " << left->Caption << ": " << left->Text;
    ASSERT_TRUE(ended);
    EXPECT_FALSE(e2e::ReadValue(e2e::RunKey, "Tarvo 2000"));
    EXPECT_FALSE(e2e::ReadValue(e2e::SettingsKey(), "NewBrowser"));
    e2e::CleanRegistry();
}
