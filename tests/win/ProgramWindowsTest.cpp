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
        app = new TApplication();
        app->MessageBoxFn = [this](const std::string& text, const std::string& caption, UINT) {
            told.emplace_back(caption, text);
            return IDOK;
        };
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { told.emplace_back("exception", m); };
        app->CreateForm(FormMain);
        app->CreateForm(FormRecorder);
        app->CreateForm(FormAccelerator);
        app->CreateForm(AboutBox);
        app->CreateForm(FormOption);
        FormMain->Connect({*FormAccelerator, *FormOption, *AboutBox});
        told.clear();  // the first run's demo message
    }
    void TearDown() override {
        delete app;
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

// A setting the registry refuses is told and the dialog stays open to try again; the other
// setting is stored all the same.
TEST_F(ProgramWindows, OptionsStoreEachSettingOnItsOwn) {
    TRegistryApi refusing;
    refusing.CreateKey = [](HKEY root, LPCSTR path, REGSAM access, HKEY* key) -> LSTATUS {
        if (std::string(path).find("CurrentVersion\\Run") != std::string::npos) return ERROR_ACCESS_DENIED;
        return ::RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, key, nullptr);
    };
    FormMain->QmR->SetRegistryApi(refusing);
    FormOption->Show();
    FormOption->chkStartup->SetChecked(false);
    FormOption->chkNewBrowser->SetChecked(false);
    FormOption->cmdApply->Click();
    FormOption->cmdOK->Click();
    ASSERT_EQ(told.size(), 2u);
    for (const auto& [caption, text] : told) {
        EXPECT_EQ(caption, "Tarvo Error");
        EXPECT_EQ(text.rfind("Failed to create key '\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\'", 0), 0u) << text;
    }
    EXPECT_TRUE(FormOption->Visible());
    EXPECT_FALSE(NewBrowserOption) << "the refused Run key kept the other setting from being stored";

    FormMain->QmR->SetRegistryApi(TRegistryApi());
    FormOption->cmdOK->Click();
    EXPECT_FALSE(FormOption->Visible());
    EXPECT_EQ(told.size(), 2u);
    // A setting left as shown does not hold OK back when the registry refuses it.
    FormMain->QmR->SetRegistryApi(refusing);
    FormOption->Show();
    FormOption->chkNewBrowser->SetChecked(true);
    FormOption->cmdOK->Click();
    EXPECT_FALSE(FormOption->Visible());
    EXPECT_TRUE(NewBrowserOption);
    EXPECT_EQ(told.size(), 2u);
    FormMain->QmR->SetRegistryApi(TRegistryApi());
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

// A placement the registry refuses to store is told, and neither Exit nor the end of the
// session is held up by it.
TEST_F(ProgramWindows, AFailedPlacementWriteHoldsUpNeitherExitNorTheEndOfTheSession) {
    TRegistryApi refusing;
    refusing.SetValue = [](HKEY key, LPCSTR name, DWORD type, const BYTE* data, DWORD size) -> LSTATUS {
        if (std::string(name) == "MainLeft") return ERROR_ACCESS_DENIED;
        return ::RegSetValueExA(key, name, 0, type, data, size);
    };
    FormMain->QmR->SetRegistryApi(refusing);
    // The log-off query: the window hides and says yes, with nobody asked anything.
    FormMain->Show();
    EXPECT_EQ(::SendMessageA(FormMain->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_FALSE(FormMain->Visible());
    EXPECT_TRUE(told.empty());
    ::SendMessageA(FormMain->Handle(), WM_ENDSESSION, FALSE, 0);  // someone else said no

    FormMain->Show();
    FormMain->cmdExit1->Click();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].second.find("MainLeft"), std::string::npos) << told[0].second;
    EXPECT_TRUE(app->TerminateRequested());
    FormMain->QmR->SetRegistryApi(TRegistryApi());
}
