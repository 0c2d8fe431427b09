// Each kind of box the program shows, with each command that can reach the program from
// outside while it is open: the program never crashes, ends only when told to end (Exit, or a
// log-off it agreed to), and loses no stored binding. A command given during a box may be
// refused or may run once the box has closed; either is right, so only outcomes are checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Session.h"

using namespace e2e;

namespace {

enum class TBox { StartupError, LaunchError, DeleteConfirm, ExitConfirm, Editor, Recorder };
enum class TCommand { TrayItem, TrayClick, HotKey, SecondStart, LogOff };

struct TBoxRow {
    const char* Name;
    TBox Box;
};

struct TColumn {
    const char* Name;
    TCommand Command;
    char Mnemonic;  // of the tray menu's item
    bool MayEnd;    // the program may end after this command
};

const TColumn kColumns[] = {
    {"tray &Disable All", TCommand::TrayItem, 'd', false},
    {"tray &Enable All", TCommand::TrayItem, 'e', false},
    {"tray &Show", TCommand::TrayItem, 's', false},
    {"tray &Hide", TCommand::TrayItem, 'h', false},
    {"tray &Options...", TCommand::TrayItem, 'o', false},
    {"tray &About...", TCommand::TrayItem, 'a', false},
    {"tray E&xit", TCommand::TrayItem, 'x', true},
    {"tray click", TCommand::TrayClick, 0, false},
    {"hotkey", TCommand::HotKey, 0, false},
    {"second start", TCommand::SecondStart, 0, false},
    {"log-off", TCommand::LogOff, 0, true},
};

class Matrix : public TSession, public ::testing::WithParamInterface<TBoxRow> {
protected:
    // What every cell starts with: a binding that runs the helper, one whose program is
    // missing, a disabled one.
    std::map<std::string, TBinding> Stored() const {
        return {{"F7", {Command("matrix"), VK_F7}},
                {"Shift_F8", {"Z:\\no\\such\\folder\\missing.exe", VK_F8, false, false, true}},
                {"Control_F9", {Command("off"), VK_F9, true, false, false, false}}};
    }

    void Plant(TBox box) const {
        CleanRegistry();
        for (const auto& [name, b] : Stored()) WriteBinding(HotKeysKey(), name, b);
        WriteValues(Key("_FirstRun"), {});
        // Reported while the main window is being made, before the other windows exist.
        if (box == TBox::StartupError) WriteValues(SettingsKey(), {{"MainLeft", StringValue("abc")}});
    }

    void ExpectBox(const char* caption) const {
        auto box = tarvo.WaitForMessageBox();
        ASSERT_TRUE(box) << "no box";
        ASSERT_EQ(box->Caption, caption) << box->Text;
    }

    void Open(TBox box) {
        if (box == TBox::StartupError) {
            tarvo.Start(false);
            ASSERT_NO_FATAL_FAILURE(ExpectBox("Tarvo2000"));
            ASSERT_FALSE(tarvo.StartupDone());
            return;
        }
        tarvo.Start();
        ASSERT_TRUE(tarvo.StartupDone());
        switch (box) {
        case TBox::LaunchError:
            PressShortcut(VK_F8, false, false, true);
            ASSERT_NO_FATAL_FAILURE(ExpectBox("Tarvo Error"));
            break;
        case TBox::DeleteConfirm:
            ASSERT_NO_FATAL_FAILURE(ShowMain());
            tarvo.SelectRow(0);
            ::PostMessageA(tarvo.ListWindow(), WM_KEYDOWN, VK_DELETE, 0x01530001);
            ASSERT_NO_FATAL_FAILURE(ExpectBox("Delete Confirm"));
            break;
        case TBox::ExitConfirm: {
            const TEditor editor = EditRow(0);
            ASSERT_TRUE(editor.Window);
            TypeText("x");  // an unsaved change, so the close box asks
            ASSERT_TRUE(WaitFor([&] { return editor.ActionText() == "x"; })) << editor.ActionText();
            ::PostMessageA(editor.Window, WM_SYSCOMMAND, SC_CLOSE, 0);
            ASSERT_NO_FATAL_FAILURE(ExpectBox("Exit Confirm"));
            break;
        }
        case TBox::Editor:
            ASSERT_TRUE(EditRow(0).Window);
            break;
        case TBox::Recorder: {
            ASSERT_TRUE(EditRow(0).Window);
            PressShortcut('N', false, true);
            ASSERT_TRUE(WaitFor([&] {
                HWND recorder = VisibleWindow("Key Recorder");
                return recorder && ::GetForegroundWindow() == recorder;
            }));
            break;
        }
        case TBox::StartupError:
            break;
        }
    }

    // Gives the command. True when it was a log-off the program agreed to: its session is over.
    bool Give(const TColumn& c) {
        switch (c.Command) {
        case TCommand::TrayItem:
            tarvo.PostTray(WM_RBUTTONDOWN);
            // No menu: the tray takes no clicks now. A disabled item leaves the menu open.
            if (tarvo.RoundTrip() && tarvo.OpenMenu())
                PressShortcut(static_cast<WORD>(::toupper(static_cast<unsigned char>(c.Mnemonic))));
            return false;
        case TCommand::TrayClick:
            tarvo.ClickTray();
            return false;
        case TCommand::HotKey:
            PressShortcut(VK_F7);
            return false;
        case TCommand::SecondStart: {
            TTarvo second;
            second.Start(false);
            EXPECT_TRUE(second.WaitForExit()) << "the second copy stayed";
            EXPECT_EQ(second.ExitCode(), 0u);
            return false;
        }
        case TCommand::LogOff: {
            DWORD_PTR agreed = 0;
            const HWND main = tarvo.MainWindow();
            EXPECT_TRUE(::SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &agreed))
                << "no answer to the log-off";
            if (!agreed) return false;
            DWORD_PTR ignored = 0;
            EXPECT_TRUE(::SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &ignored))
                << "no answer to the end of the session";
            return true;
        }
        }
        return false;
    }

    // Answers every box and closes every dialog that is open, the way that changes nothing,
    // until none is left or the program has ended.
    void CloseEverything() {
        for (int round = 0; round < 12; ++round) {
            if (!tarvo.RoundTrip()) return;
            if (tarvo.OpenMenu()) {
                PressShortcut(VK_ESCAPE);
            } else if (auto box = tarvo.MessageBox()) {
                for (int id : {IDCANCEL, IDNO, IDOK})
                    if (HWND button = ::GetDlgItem(box->Handle, id)) {
                        ::PostMessageA(box->Handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                        break;
                    }
            } else if (HWND recorder = VisibleWindow("Key Recorder")) {
                ::PostMessageA(recorder, WM_CLOSE, 0, 0);
            } else if (HWND editor = VisibleWindow("Accelerator Properties")) {
                HWND cancel = ChildWithText(editor, "Cancel");
                ::PostMessageA(editor, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(cancel), BN_CLICKED),
                               reinterpret_cast<LPARAM>(cancel));
            } else {
                return;
            }
        }
        ADD_FAILURE() << "boxes keep coming";
    }

    void ExpectBindingsKept() const {
        std::vector<std::string> names{"_FirstRun"};
        for (const auto& [name, stored] : Stored()) {
            names.push_back(name);
            std::optional<TBinding> now = ParseBinding(ReadValues(Key(name)));
            ASSERT_TRUE(now) << name << " is gone";
            TBinding expected = stored;
            expected.Enabled = now->Enabled;  // Disable All and Enable All are allowed to run
            EXPECT_EQ(*now, expected) << name;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(SubKeys(HotKeysKey()), names);
    }

    void Cell(const TColumn& c) {
        SCOPED_TRACE(std::string(GetParam().Name) + " x " + c.Name);
        if (tarvo.Running()) tarvo.Kill();  // left by a cell that failed half-way
        Plant(GetParam().Box);
        ASSERT_NO_FATAL_FAILURE(Open(GetParam().Box));
        if (Give(c)) {
            // Agreed to a log-off: the system ends the program after this.
            EXPECT_TRUE(tarvo.Running()) << "ended before the system ended it, exit code " << tarvo.ExitCode();
            tarvo.Kill();
        } else {
            CloseEverything();
            if (tarvo.Running()) {
                EXPECT_TRUE(tarvo.Alive()) << "no longer answers";
                // Now that nothing is open, Exit ends it.
                EXPECT_TRUE(tarvo.ChooseFromTrayMenu('x'));
                EXPECT_TRUE(tarvo.WaitForExit()) << "Exit did not end it";
            } else {
                EXPECT_TRUE(c.MayEnd) << "ended by itself";
            }
            EXPECT_EQ(tarvo.ExitCode(), 0u) << "crashed";
        }
        if (tarvo.Running()) tarvo.Kill();
        ExpectBindingsKept();
    }
};

}  // namespace

TEST_P(Matrix, EveryCommandFromOutsideLeavesTheProgramWholeAndEndsItOnlyWhenAsked) {
    for (const TColumn& c : kColumns) Cell(c);
}

INSTANTIATE_TEST_SUITE_P(Boxes, Matrix,
                         ::testing::Values(TBoxRow{"StartupError", TBox::StartupError},
                                           TBoxRow{"LaunchError", TBox::LaunchError},
                                           TBoxRow{"DeleteConfirm", TBox::DeleteConfirm},
                                           TBoxRow{"ExitConfirm", TBox::ExitConfirm},
                                           TBoxRow{"Editor", TBox::Editor},
                                           TBoxRow{"Recorder", TBox::Recorder}),
                         [](const ::testing::TestParamInfo<TBoxRow>& info) { return std::string(info.param.Name); });
