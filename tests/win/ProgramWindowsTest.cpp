// The program's five windows created as the program creates them: their destruction, and the
// options dialog when the registry refuses its writes or holds another program's entry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "launch/Launch.h"
#include "ui/About.h"
#include "ui/Accelerator.h"
#include "ui/Main.h"
#include "ui/Option.h"
#include "ui/Recorder.h"

using namespace fw;

namespace {

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void CleanRegistry() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
    HKEY run = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        ::RegDeleteValueA(run, "Tarvo 2000");
        ::RegCloseKey(run);
    }
}

class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        LaunchContext = {};
        LaunchContext.MessageBoxFn = [this](const std::string& text, const std::string& caption, int) {
            told.emplace_back(caption, text);
            return IDOK;
        };
        app = new TApplication();
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { told.emplace_back("exception", m); };
        app->CreateForm(FormMain);
        app->CreateForm(FormRecorder);
        app->CreateForm(FormAccelerator);
        app->CreateForm(AboutBox);
        app->CreateForm(FormOption);
        told.clear();  // the first run's demo message
    }
    void TearDown() override {
        delete app;
        LaunchContext = {};
        CleanRegistry();
    }

    TApplication* app = nullptr;
    std::vector<std::pair<std::string, std::string>> told;  // caption, text
};

}  // namespace

// Each window's OnDestroy runs while the whole window object is there.
TEST_F(ProgramWindows, EveryWindowIsWholeWhenItsDestroyHandlerRuns) {
    std::vector<std::string> seen;
    for (TForm* form : std::vector<TForm*>{FormMain, FormRecorder, FormAccelerator, AboutBox, FormOption})
        form->OnDestroy = [&seen, form](TObject*) { seen.push_back(form->ClassName()); };
    delete std::exchange(app, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"TFormOption", "TAboutBox", "TFormAccelerator", "TFormRecorder", "TFormMain"}));
}

// A write the registry refuses is told, and the dialog stays open to try again.
TEST_F(ProgramWindows, OptionsTellAWriteTheRegistryRefusesAndStayOpen) {
    TRegistryApi refusing;
    refusing.CreateKey = [](HKEY, LPCSTR, REGSAM, HKEY*) -> LSTATUS { return ERROR_ACCESS_DENIED; };
    FormMain->QmR->SetRegistryApi(refusing);
    FormOption->Show();
    FormOption->chkNewBrowser->SetChecked(false);
    FormOption->cmdApply->Click();
    FormOption->cmdOK->Click();
    ASSERT_EQ(told.size(), 2u);
    for (const auto& [caption, text] : told) {
        EXPECT_EQ(caption, "Tarvo Error");
        EXPECT_EQ(text.rfind("Failed to create key '\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\'", 0), 0u) << text;
    }
    EXPECT_TRUE(FormOption->Visible());

    FormMain->QmR->SetRegistryApi(TRegistryApi());
    FormOption->cmdOK->Click();
    EXPECT_FALSE(FormOption->Visible());
    EXPECT_FALSE(NewBrowserOption);
    EXPECT_EQ(told.size(), 2u);
}

// A "Tarvo 2000" value that is no text was written by someone else: not shown as the
// program's, not followed, and not deleted when the box is left unticked.
TEST_F(ProgramWindows, ARunValueThatIsNoTextIsAnotherProgramsEntry) {
    HKEY run = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr), ERROR_SUCCESS);
    const DWORD number = 7;
    ::RegSetValueExA(run, "Tarvo 2000", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    FormOption->Show();
    EXPECT_FALSE(FormOption->chkStartup->Checked());
    FormOption->cmdOK->Click();
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(::RegQueryValueExA(run, "Tarvo 2000", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, number);
    ::RegCloseKey(run);
    EXPECT_TRUE(told.empty());
}
