// Two whole uses of the program, as a person goes through them: a fresh account, and a day
// of use. Each step is checked against what the user sees and what is stored.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "Session.h"
#include "WindowOwnerProcess.h"

using namespace e2e;

namespace {

using TArgs = std::vector<std::string>;
using TRow = TTarvo::TRow;

const char* const kHomePage = "http://www.morvane.example/tarvo/";

class Scenario : public TSession {
protected:
    void PutOnClipboard(const std::string& text) {
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
        ::GlobalUnlock(block);
        ::SetClipboardData(CF_TEXT, block);
        ::CloseClipboard();
    }
    // Chooses an item of the list's pop-up menu by its mnemonic.
    void FromListMenu(char mnemonic) {
        ShowMain();
        ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
        ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
        PressShortcut(static_cast<WORD>(mnemonic));
        ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() == nullptr; }));
        if (mnemonic != 'X') ASSERT_TRUE(tarvo.RoundTrip());  // Exit: nothing left to answer
    }
    bool StoredEnabled(const std::string& name, bool on) const {
        return WaitFor([&] { return ReadValue(Key(name), "Enabled") == DwordValue(on); }, 3000);
    }
};

}  // namespace

// First run with the demo and its press, the first edit that stores the list, and the next
// start, which shows nothing but the tray icon.
TEST_F(Scenario, AFreshAccount) {
    TShellStandIn browser(".htm", RecordArgsPath());
    ASSERT_TRUE(browser.Active()) << "F9 would open a real browser: " << TShellStandIn::OpenCommand(".htm");
    tarvo.Start(false);
    auto demo = tarvo.WaitForMessageBox();
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->Caption, "One-time Tarvo Demo");
    EXPECT_EQ(demo->Text, "Try pressing the F9 key now to see the demo...");
    EXPECT_TRUE(::IsWindowVisible(tarvo.MainWindow()));
    EXPECT_EQ(Rows(2), (std::vector<TRow>{{kHomePage, "F9", 0}, {"", "", 0}}));
    // Written before the box opens: the Run entry and the option; no binding yet.
    EXPECT_EQ(ReadValue(RunKey, RunValueName), StringValue(TarvoPath()));
    EXPECT_EQ(ReadValue(SettingsKey(), "NewBrowser"), DwordValue(1));
    EXPECT_FALSE(KeyExists(HotKeysKey()));
    // The demo works under its box: the home page in a new browser window.
    PressShortcut(VK_F9);
    ASSERT_TRUE(WaitFor([&] { return Runs().size() == 1; }));
    EXPECT_EQ(Runs()[0], TArgs{kHomePage});
    ASSERT_TRUE(tarvo.DismissMessageBox(*demo));
    ASSERT_TRUE(WaitFor([&] { return tarvo.StartupDone(); }));

    // The first edit stores the list: the binding and the marker of a saved list.
    TEditor editor = EditRow(0);
    ASSERT_TRUE(Shows(editor, std::string(kHomePage) + "|F9|---E"));
    TypeText(Command("mine"));
    ASSERT_TRUE(Shows(editor, Command("mine") + "|F9|---E"));
    ASSERT_FALSE(Save());
    ASSERT_TRUE(WaitFor([&] { return KeyExists(Key("F9")); }));
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"F9", "_FirstRun"}));
    EXPECT_EQ(ReadValues(Key("F9")), BindingValues({Command("mine"), VK_F9}));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
    ASSERT_TRUE(tarvo.WaitForExit());

    // Next start: hidden, no message, and the edited binding runs.
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(::IsWindowVisible(tarvo.MainWindow()));
    EXPECT_FALSE(tarvo.MessageBox());
    PressShortcut(VK_F9);
    ASSERT_TRUE(WaitFor([&] { return Runs().size() == 2; }));
    EXPECT_EQ(Runs()[1], TArgs{"mine"});
}

// A day of use: bindings added, edited and deleted with the keyboard, sorted by either column,
// disabled and enabled from both menus; the options and the about box; another program's
// window hidden and shown; the clipboard's command; a second start; a log-off query while
// shown and while hidden; Exit.
TEST_F(Scenario, ADayOfUse) {
    TShellStandIn web("http", helper);
    StartShown({{"F2", {Command("two"), VK_F2}},
                {"ControlAlt_H", {"USER_HIDE_WINDOW", 'H', true, true}},
                {"ControlAlt_S", {"USER_SHOW_WINDOW", 'S', true, true}},
                {"ControlAlt_V", {"USER_CLIPBOARD", 'V', true, true}}});
    EXPECT_EQ(Rows(5), (std::vector<TRow>{{"USER_HIDE_WINDOW", "Ctrl+Alt+H", 0}, {"USER_SHOW_WINDOW", "Ctrl+Alt+S", 0},
                                          {"USER_CLIPBOARD", "Ctrl+Alt+V", 0}, {Command("two"), "F2", 0}, {"", "", 0}}));

    // Added with the keyboard alone: Space selects the blank row (it holds the focus), Enter
    // opens the editor; the action typed, Ctrl and Alt ticked, the key typed in any case.
    PressShortcut(VK_SPACE);
    PressShortcut(VK_RETURN);
    TEditor editor = WaitForEditor();
    ASSERT_TRUE(Shows(editor, "http://|(Choose Key)|---E"));
    TypeText(Command("added"));
    PressShortcut(VK_TAB);
    PressShortcut(VK_SPACE);
    PressShortcut(VK_TAB);
    PressShortcut(VK_SPACE);
    PressShortcut(VK_TAB);
    PressShortcut(VK_TAB);
    TypeText(" f7 ");
    ASSERT_TRUE(Shows(editor, Command("added") + "| f7 |CA-E")) << editor.State();
    ASSERT_FALSE(Save());
    ASSERT_TRUE(WaitFor([&] { return KeyExists(Key("ControlAlt_F7")); }));
    EXPECT_EQ(Rows(6)[0], (TRow{Command("added"), "Ctrl+Alt+F7", 0}));  // in its sorted place
    EXPECT_EQ(ReadValues(Key("ControlAlt_F7")), BindingValues({Command("added"), VK_F7, true, true}));
    PressShortcut(VK_F7, true, true);
    ASSERT_TRUE(WaitFor([&] { return !Runs().empty(); }));
    EXPECT_EQ(Runs().back(), TArgs{"added"});

    // Edited: a new action on the same shortcut, which stays registered and runs it.
    editor = EditRow(0);
    ASSERT_TRUE(Shows(editor, Command("added") + "|F7|CA-E"));
    TypeText(Command("edited"));
    ASSERT_TRUE(Shows(editor, Command("edited") + "|F7|CA-E"));
    ASSERT_FALSE(Save());
    ASSERT_TRUE(WaitFor([&] { return ReadValue(Key("ControlAlt_F7"), "Address") == StringValue(Command("edited")); }));
    PressShortcut(VK_F7, true, true);
    ASSERT_TRUE(WaitFor([&] { return Runs().size() == 2; }));
    EXPECT_EQ(Runs().back(), TArgs{"edited"});
    // Edited again: Shift instead of Alt moves it to its new shortcut.
    editor = EditRow(0);
    PressShortcut('A', false, true);
    PressShortcut('S', false, true);
    ASSERT_TRUE(Shows(editor, Command("edited") + "|F7|C-SE")) << editor.State();
    ASSERT_FALSE(Save());
    ASSERT_TRUE(WaitFor([&] { return KeyExists(Key("ShiftControl_F7")) && !KeyExists(Key("ControlAlt_F7")); }));
    EXPECT_FALSE(ShortcutTaken(VK_F7, true, true));
    EXPECT_TRUE(ShortcutTaken(VK_F7, true, false, true));
    EXPECT_EQ(Rows(6)[3], (TRow{Command("edited"), "Ctrl+Shift+F7", 0}));

    // Sorted by action, then by shortcut again.
    ShowMain();
    tarvo.ClickHeader(0);
    ASSERT_TRUE(tarvo.RoundTrip());
    std::vector<TRow> rows = Rows(6);
    EXPECT_EQ(rows[0].Action, Command("edited"));  // the quote sorts before the letters
    EXPECT_EQ(rows[4].Action, "USER_SHOW_WINDOW");
    tarvo.ClickHeader(1);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_EQ(Rows(6)[0].Hotkey, "Ctrl+Alt+H");
    // The blank row keeps the focus, yet the arrow keys move on from the selected row.
    tarvo.SelectRow(1);
    PressShortcut(VK_DOWN);
    EXPECT_TRUE(WaitFor([&] { return tarvo.SelectedRow() == 2; })) << tarvo.SelectedRow();

    // Disabled and enabled from both menus.
    tarvo.SelectRow(3);  // Ctrl+Shift+F7
    FromListMenu('I');
    EXPECT_TRUE(StoredEnabled("ShiftControl_F7", false));
    EXPECT_FALSE(ShortcutTaken(VK_F7, true, false, true));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    EXPECT_TRUE(StoredEnabled("F2", false));
    EXPECT_EQ(Rows(6)[4], (TRow{Command("two"), "F2", 1}));
    FromListMenu('E');
    EXPECT_TRUE(StoredEnabled("F2", true) && StoredEnabled("ShiftControl_F7", true));

    // The options and the about box, opened from both menus.
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('o'));
    HWND options = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (options = VisibleWindow("Tarvo2000 Options")) != nullptr; }));
    EXPECT_FALSE(IsChecked(ChildWithText(options, "Launch program at startup")));
    ::SetForegroundWindow(options);
    PressShortcut(VK_RETURN);  // OK: nothing changed, nothing stored
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(options); }));
    EXPECT_FALSE(ReadValue(RunKey, RunValueName));
    // "About..." has no mnemonic in the list menu: two up from the top is it.
    ShowMain();
    ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
    ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
    PressShortcut(VK_UP);
    PressShortcut(VK_UP);
    PressShortcut(VK_RETURN);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = VisibleWindow("About Tarvo2000")) != nullptr; }));
    EXPECT_TRUE(ChildWithText(about, "1.2  Build #181"));
    ::SetForegroundWindow(about);
    PressShortcut(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(about); }));

    // Deleted after the question.
    ShowMain();
    tarvo.SelectRow(3);
    PressShortcut(VK_DELETE);
    auto confirm = tarvo.WaitForMessageBox();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->Caption, "Delete Confirm");
    ASSERT_TRUE(tarvo.DismissMessageBox(*confirm));
    ASSERT_TRUE(WaitFor([&] { return !KeyExists(Key("ShiftControl_F7")); }));
    EXPECT_FALSE(ShortcutTaken(VK_F7, true, false, true));
    EXPECT_EQ(Rows(5).size(), 5u);

    // Another program's window hidden, then shown again.
    const std::string owner = RecordArgsPath().substr(0, RecordArgsPath().find_last_of('\\') + 1) + "window_owner.exe";
    TWindowOwnerProcess other(owner, owner, "DayOther:Notes", 1);
    ASSERT_EQ(other.Windows().size(), 1u);
    const HWND notes = other.Windows()[0];
    ::SetForegroundWindow(notes);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == notes; }));
    PressShortcut('H', true, true);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(notes); }));
    PressShortcut('S', true, true);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(notes); }));

    // The clipboard's text as the command: a web address, opened by the shell.
    PutOnClipboard("http://www.morvane.example/clipped");
    PressShortcut('V', true, true);
    ASSERT_TRUE(WaitFor([&] { return Runs().size() == 3; }));
    EXPECT_EQ(Runs().back(), TArgs{"http://www.morvane.example/clipped"});

    // A second start ends by itself and leaves this one with its shortcuts.
    {
        TTarvo second;
        second.Start(false);
        EXPECT_TRUE(second.WaitForExit(10000));
    }
    EXPECT_TRUE(ShortcutTaken(VK_F2));

    // Log-off is never refused: a shown window hides and says yes, and so does a hidden one.
    // Another program refuses it here, so the session goes on and so does this one.
    ShowMain();
    DWORD_PTR answer = 99;
    ASSERT_TRUE(::SendMessageTimeoutA(tarvo.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_FALSE(::IsWindowVisible(tarvo.MainWindow()));
    ASSERT_TRUE(::SendMessageTimeoutA(tarvo.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, 1u);
    ::SendMessageTimeoutA(tarvo.MainWindow(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer);

    // Exit from the list menu; everything as the day left it.
    FromListMenu('X');
    ASSERT_TRUE(tarvo.WaitForExit());
    EXPECT_EQ(SubKeys(HotKeysKey()),
              (std::vector<std::string>{"ControlAlt_H", "ControlAlt_S", "ControlAlt_V", "F2", "_FirstRun"}));
    EXPECT_EQ(ReadValues(Key("F2")), BindingValues({Command("two"), VK_F2}));
}
