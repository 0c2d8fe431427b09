// The main window's commands around the editor: Del, shortcuts another program holds, the
// options dialog and the about box.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "Session.h"

using namespace e2e;

namespace {

using TArgs = std::vector<std::string>;

class MainWindow : public TSession {
protected:
    HWND OpenFromTray(char mnemonic, const char* caption) {
        if (!tarvo.ChooseFromTrayMenu(mnemonic)) return nullptr;
        HWND w = nullptr;
        WaitFor([&] { return (w = VisibleWindow(caption)) && ::GetForegroundWindow() == w; });
        return w;
    }
    // The runs of the helper at this path, with their arguments after the program.
    std::vector<TArgs> RunsOf(const std::string& program) const {
        std::vector<TArgs> runs;
        for (const TRecord& r : ReadRecords(log))
            if (!r.Args.empty() && ::lstrcmpiA(r.Args[0].c_str(), program.c_str()) == 0)
                runs.emplace_back(r.Args.begin() + 1, r.Args.end());
        return runs;
    }
};

// Holds shortcuts as another program does, for the length of a scope.
class THeld {
public:
    THeld(std::initializer_list<WORD> ctrlKeys) {
        for (WORD k : ctrlKeys) Hold(k);
    }
    ~THeld() {
        for (int id : FIds) ::UnregisterHotKey(nullptr, id);
    }
    bool Hold(WORD key) {
        const int id = 0x7000 + key;
        if (!::RegisterHotKey(nullptr, id, MOD_CONTROL, key)) return false;
        FIds.push_back(id);
        return true;
    }
    void Release(WORD key) { ::UnregisterHotKey(nullptr, 0x7000 + key); }

private:
    std::vector<int> FIds;
};

}  // namespace

TEST_F(MainWindow, DelActsOnTheRowSelectedNowAndHeldShortcutsAreTold) {
    StartShown({{"F2", {Command("two"), VK_F2}},
                {"Control_F12", {Command("ctrl-f12"), VK_F12, true, false, false, false}}});
    // The list menu opened with nothing selected shows Delete disabled; Del still acts on
    // the row selected afterwards.
    ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
    ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() == nullptr; }));
    tarvo.SelectRow(1);
    PressShortcut(VK_DELETE);
    auto confirm = tarvo.WaitForMessageBox();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->Caption, "Delete Confirm");
    ::PostMessageA(confirm->Handle, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !tarvo.MessageBox(); }));
    EXPECT_TRUE(KeyExists(Key("F2")));

    // A binding saved on a shortcut another program holds: told, kept enabled.
    THeld held{VK_F11, VK_F12};
    TEditor editor = EditRow(2);
    TypeText("held");
    for (int i = 0; i < 4; ++i) PressShortcut(VK_TAB);
    TypeText("F11");
    PressShortcut('C', false, true);
    ASSERT_TRUE(Shows(editor, "held|F11|C--E")) << editor.State();
    auto told = Save();
    ASSERT_TRUE(told);
    EXPECT_EQ(told->Caption, "Tarvo Error");
    EXPECT_EQ(told->Text, "The shortcut Ctrl+F11 is held by another program, so it cannot run now.\r\n"
                          "It stays enabled and works at a later start once the shortcut is free.");
    ASSERT_TRUE(tarvo.DismissMessageBox(*told));
    EXPECT_EQ(ReadValue(Key("Control_F11"), "Enabled"), DwordValue(1));
    EXPECT_EQ(Rows(4)[0], (TTarvo::TRow{"held", "Ctrl+F11", 0}));

    // Enable All tells every held one in one message.
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('e', false));
    told = tarvo.WaitForMessageBox();
    ASSERT_TRUE(told);
    EXPECT_EQ(told->Text, "These shortcuts are held by other programs, so they cannot run now:\r\n"
                          "    Ctrl+F11\r\n    Ctrl+F12\r\n"
                          "They stay enabled and work at a later start once the shortcuts are free.");
    ASSERT_TRUE(tarvo.DismissMessageBox(*told));
    EXPECT_EQ(ReadValue(Key("Control_F12"), "Enabled"), DwordValue(1));

    // Once the other program lets go, enabling the row takes the shortcut, and tells nothing.
    held.Release(VK_F11);
    ShowMain();
    tarvo.SelectRow(0);
    ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
    ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
    PressShortcut('N');  // "E&nable Selected"
    ASSERT_TRUE(WaitFor([&] { return ShortcutTaken(VK_F11, true); }));
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox());
}

TEST_F(MainWindow, OptionsFollowAMovedProgramAndKeepWhatApplyStored) {
    const std::string other = RecordArgsWithSpaces();  // where the shell's "Open" goes
    TShellStandIn web("http", other), browser(".htm", RecordArgsPath());
    ASSERT_TRUE(web.Active() && browser.Active()) << TShellStandIn::OpenCommand("http");
    WriteValues(RunKey, {{RunValueName, StringValue("C:\\Old Place\\Tarvo.exe")}});
    WriteValues(SettingsKey(), {{"NewBrowser", DwordValue(1)}});
    StartShown({{"F7", {"http://www.morvane.example/page", VK_F7}}});
    HWND options = OpenFromTray('o', "Tarvo2000 Options");
    ASSERT_TRUE(options);
    HWND startup = ChildWithText(options, "Launch program at startup");
    HWND newWindow = ChildWithText(options, "Browse using new window");
    // The entry followed the program when the dialog opened.
    EXPECT_EQ(ReadValue(RunKey, RunValueName), StringValue(TarvoPath()));
    EXPECT_TRUE(IsChecked(startup) && IsChecked(newWindow));

    // Unticked and applied, then cancelled: what Apply stored stays. Esc closes nothing.
    for (int i = 0; i < 3; ++i) PressShortcut(VK_TAB, false, false, true);  // from OK back to the first box
    PressShortcut(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return !IsChecked(startup); }));
    for (int i = 0; i < 4; ++i) PressShortcut(VK_TAB);  // to Apply
    PressShortcut(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !ReadValue(RunKey, RunValueName); }));
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_TRUE(::IsWindowVisible(options));
    PressShortcut(VK_TAB, false, false, true);
    PressShortcut(VK_TAB, false, false, true);  // Cancel
    PressShortcut(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(options); }));
    EXPECT_FALSE(ReadValue(RunKey, RunValueName));

    // Opened again it shows what is stored; "Browse using new window" off, and OK.
    options = OpenFromTray('o', "Tarvo2000 Options");
    ASSERT_TRUE(options);
    EXPECT_FALSE(IsChecked(startup));
    PressShortcut(VK_TAB, false, false, true);
    PressShortcut(VK_TAB, false, false, true);
    PressShortcut(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return !IsChecked(newWindow); }));
    PressShortcut(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(options); }));
    EXPECT_FALSE(ReadValue(SettingsKey(), "NewBrowser"));
    // A web address now goes to the shell's "Open", not to a new browser window.
    PressShortcut(VK_F7);
    ASSERT_TRUE(WaitFor([&] { return !ReadRecords(log).empty(); }));
    EXPECT_EQ(RunsOf(other), std::vector<TArgs>{{"http://www.morvane.example/page"}});
    EXPECT_TRUE(RunsOf(RecordArgsPath()).empty());
}

// Start-up turned off in Task Manager: the Run entry stays, so the option shows what Windows
// does, unticked, until the user ticks it, which turns Windows' switch back on as well.
TEST_F(MainWindow, StartUpTurnedOffInWindowsShowsUntickedUntilTheUserTicksIt) {
    WriteValues(RunKey, {{RunValueName, StringValue(TarvoPath())}});
    WriteValues(StartupApprovedKey, {{RunValueName, {REG_BINARY, {3, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x01}}}});
    StartShown({});
    HWND options = OpenFromTray('o', "Tarvo2000 Options");
    ASSERT_TRUE(options);
    HWND startup = ChildWithText(options, "Launch program at startup");
    EXPECT_FALSE(IsChecked(startup));

    for (int i = 0; i < 3; ++i) PressShortcut(VK_TAB, false, false, true);  // from OK back to the box
    PressShortcut(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return IsChecked(startup); }));
    PressShortcut(VK_RETURN);  // OK
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(options); }));
    EXPECT_FALSE(ReadValue(StartupApprovedKey, RunValueName));
    EXPECT_EQ(ReadValue(RunKey, RunValueName), StringValue(TarvoPath()));
    options = OpenFromTray('o', "Tarvo2000 Options");
    ASSERT_TRUE(options);
    EXPECT_TRUE(IsChecked(startup));
}

TEST_F(MainWindow, ARunEntryInAFolderWithASpaceIsQuoted) {
    const std::string folder = RecordArgsWithSpaces().substr(0, RecordArgsWithSpaces().find_last_of('\\'));
    const std::string copy = folder + "\\Tarvo.exe";
    ASSERT_TRUE(::CopyFileA(TarvoPath().c_str(), copy.c_str(), FALSE));
    auto box = tarvo.StartPastMessageBox(copy);  // a first run writes the entry
    ASSERT_TRUE(box);
    EXPECT_EQ(ReadValue(RunKey, RunValueName), StringValue("\"" + copy + "\""));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
    ASSERT_TRUE(tarvo.WaitForExit());
}

TEST_F(MainWindow, TheAboutBoxShowsTheBuildAndItsLinksRunOncePerClick) {
    const std::string other = RecordArgsWithSpaces();
    TShellStandIn mail("mailto", other), web("http", other);
    ASSERT_TRUE(mail.Active() && web.Active());
    StartShown({});
    HWND about = OpenFromTray('a', "About Tarvo2000");
    ASSERT_TRUE(about);
    EXPECT_TRUE(ChildWithText(about, "1.2  Build #181"));
    const std::vector<HWND> links = ChildrenOfClass(about, "Edit");
    ASSERT_EQ(links.size(), 2u);
    auto click = [](HWND h) {
        ::PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    click(links[0]);
    ASSERT_TRUE(WaitFor([&] { return RunsOf(other).size() == 1; }));
    click(links[1]);
    ASSERT_TRUE(WaitFor([&] { return RunsOf(other).size() == 2; }));
    ASSERT_TRUE(tarvo.RoundTrip());
    ASSERT_TRUE(HelpersEnded());
    EXPECT_EQ(RunsOf(other).size(), 2u) << "a click ran twice";
    EXPECT_EQ(RunsOf(other), (std::vector<TArgs>{{"mailto:tarvo@morvane.example"}, {"http://www.morvane.example/tarvo/"}}));

    // A second About brings the same box forward; Esc leaves it, Enter closes it.
    ::SetForegroundWindow(tarvo.MainWindow());
    EXPECT_EQ(OpenFromTray('a', "About Tarvo2000"), about);
    EXPECT_EQ(tarvo.WindowsTitled("About Tarvo2000").size(), 1u);
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_TRUE(::IsWindowVisible(about));
    PressShortcut(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(about); }));
}
