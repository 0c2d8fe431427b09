// Shortcuts pressed on the desktop run their own binding's command in the real program.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowOwnerProcess.h"
#include "framework/Handles.h"

using namespace e2e;

namespace {

class HotKeys : public TTarvoTest {
protected:
    void Store(const std::string& name, const TBinding& b) const { WriteBinding(HotKeysKey(), name, b); }

    // Waits for the helper's next run and returns its arguments after the program.
    std::vector<std::string> NextRun() {
        const size_t want = seen + 1;
        std::vector<TRecord> records;
        WaitFor([&] { return (records = ReadRecords(log)).size() >= want; }, 10000);
        if (records.size() < want) return {"<no run>"};
        seen = want;
        const auto& args = records[want - 1].Args;
        return args.empty() ? std::vector<std::string>{} : std::vector<std::string>(args.begin() + 1, args.end());
    }

    // No run beyond those already seen. The program starts a run while it handles the press,
    // so once it has handled them all any run has begun, and once the helpers have ended each
    // has written its record.
    bool NoFurtherRun(const TTarvo& tarvo) const {
        return tarvo.RoundTrip() && HelpersEnded() && ReadRecords(log).size() == seen;
    }

    size_t seen = 0;
};

using TArgs = std::vector<std::string>;

bool SameFile(const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }

}  // namespace

TEST_F(HotKeys, ShortcutStartsAQuotedProgramPathWithSpacesAndItsArguments) {
    Store("F7", {Command("first \"second arg\""), VK_F7, false, false, false, true});
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_FALSE(tarvo.MessageBox());

    PressShortcut(VK_F7);
    EXPECT_EQ(NextRun(), (TArgs{"first", "second arg"}));
    std::vector<TRecord> records = ReadRecords(log);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_FALSE(records[0].Args.empty());
    // The program part lost its quotes and reached the shell whole, spaces and all.
    EXPECT_TRUE(SameFile(records[0].Args[0], helper)) << records[0].Args[0];

    // A second press runs it again: the binding stays live after its first use.
    PressShortcut(VK_F7);
    EXPECT_EQ(NextRun(), (TArgs{"first", "second arg"}));
}

TEST_F(HotKeys, DisabledBindingRunsNothingAndLeavesItsShortcutFree) {
    Store("F6", {Command("disabled"), VK_F6, false, false, false, false});
    Store("F7", {Command("enabled"), VK_F7, false, false, false, true});
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());

    EXPECT_FALSE(ShortcutTaken(VK_F6));
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    PressShortcut(VK_F6);
    PressShortcut(VK_F7);
    EXPECT_EQ(NextRun(), TArgs{"enabled"});
    EXPECT_TRUE(NoFurtherRun(tarvo));
}

TEST_F(HotKeys, EveryModifierMustBeHeldAndEachShortcutRunsItsOwnRowAfterSorting) {
    // The list sorts by shortcut text ("Alt+Shift+B" first), not in the stored order:
    // rows and registrations must still belong together.
    Store("ControlAlt_X", {Command("ctrl-alt-x"), 'X', true, true, false, true});
    Store("F7", {Command("f7"), VK_F7, false, false, false, true});
    Store("ShiftAlt_B", {Command("alt-shift-b"), 'B', false, true, true, true});
    Store("ShiftControl_F1", {Command("ctrl-shift-f1"), VK_F1, true, false, true, true});
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_FALSE(tarvo.MessageBox());

    EXPECT_TRUE(ShortcutTaken('X', true, true, false));
    EXPECT_FALSE(ShortcutTaken('X', true, false, false));
    EXPECT_FALSE(ShortcutTaken('X', false, true, false));
    EXPECT_FALSE(ShortcutTaken('X', true, true, true));

    // Partial or extra modifiers run nothing.
    PressShortcut('X', true, false, false);
    PressShortcut('X', false, true, false);
    PressShortcut('X', true, true, true);
    PressShortcut(VK_F1, true, false, false);
    PressShortcut('B', false, true, false);
    EXPECT_TRUE(NoFurtherRun(tarvo));

    PressShortcut('X', true, true, false);
    EXPECT_EQ(NextRun(), TArgs{"ctrl-alt-x"});
    PressShortcut(VK_F1, true, false, true);
    EXPECT_EQ(NextRun(), TArgs{"ctrl-shift-f1"});
    PressShortcut('B', false, true, true);
    EXPECT_EQ(NextRun(), TArgs{"alt-shift-b"});
    PressShortcut(VK_F7);
    EXPECT_EQ(NextRun(), TArgs{"f7"});
    EXPECT_TRUE(NoFurtherRun(tarvo));
}

TEST_F(HotKeys, HidingWhileTheProgramsOwnMessageBoxIsInFrontHidesNothing) {
    Store("F6", {"USER_HIDE_WINDOW", VK_F6, false, false, false, true});
    Store("F7", {Command("after"), VK_F7, false, false, false, true});
    // Unreadable: start-up reports it in a box, with the shortcuts already live.
    WriteValues(HotKeysKey() + "\\F8", {{"Address", StringValue("x")}, {"VirtualKey", DwordValue(VK_F8)}});
    TTarvo tarvo;
    tarvo.Start(false);
    auto box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == box->Handle; }));
    ASSERT_TRUE(ShortcutTaken(VK_F6));
    // Let the box's loop settle: Wine's dialog loop shows its box when the queue first runs
    // empty, which would bring back a box hidden before that.
    ::Sleep(500);

    PressShortcut(VK_F6);
    PressShortcut(VK_F7);
    // The presses are handled in order: once F7 has run, F6 is done.
    EXPECT_EQ(NextRun(), TArgs{"after"});
    EXPECT_TRUE(::IsWindowVisible(box->Handle));
    ASSERT_TRUE(tarvo.DismissMessageBox(*box));

    // The same shortcut does hide another program's window.
    fw::THWnd other(::CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      30, 30, 200, 100, nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.Get());
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == other.Get(); }));
    PressShortcut(VK_F6);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(other.Get()); }));
}

// Neither the desktop nor the shell is ever hidden: with a desktop window (WorkerW) or a
// second monitor's taskbar in front, "USER_HIDE_WINDOW" hides nothing and records nothing, so
// "USER_SHOW_WINDOW" then brings back the window hidden before them.
TEST_F(HotKeys, HidingLeavesTheDesktopAndTheShellAloneAndShowingBringsBackTheWindowBefore) {
    Store("F6", {"USER_HIDE_WINDOW", VK_F6});
    Store("F7", {"USER_SHOW_WINDOW", VK_F7});
    const std::string owner = RecordArgsPath().substr(0, RecordArgsPath().find_last_of('\\') + 1) + "window_owner.exe";
    TWindowOwnerProcess others(owner, owner, "Notes:notes WorkerW:desktop Shell_SecondaryTrayWnd:taskbar", 3);
    std::map<std::string, HWND> window;
    for (HWND w : others.Windows()) window[WindowTextUtf8(w)] = w;
    ASSERT_EQ(window.size(), 3u);
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    auto pressIn = [&](const std::string& caption, WORD key) {
        ::SetForegroundWindow(window[caption]);
        ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == window[caption]; })) << caption;
        PressShortcut(key);
        ASSERT_TRUE(tarvo.RoundTrip());
    };

    pressIn("notes", VK_F6);
    ASSERT_FALSE(::IsWindowVisible(window["notes"]));
    for (const char* shell : {"desktop", "taskbar"}) {
        pressIn(shell, VK_F6);
        EXPECT_TRUE(::IsWindowVisible(window[shell])) << shell;
    }
    pressIn("desktop", VK_F7);
    EXPECT_TRUE(::IsWindowVisible(window["notes"]));
    EXPECT_TRUE(::IsWindowVisible(window["desktop"]) && ::IsWindowVisible(window["taskbar"]));
}

// The clipboard's Unicode text is taken as it is: a program path with letters outside ASCII,
// offered as Unicode text alone, runs that program.
TEST_F(HotKeys, TheClipboardsUnicodeTextRunsAProgramAtAPathThatIsNotAscii) {
    Store("ControlAlt_V", {"USER_CLIPBOARD", 'V', true, true});
    const std::wstring folder = Wide(helper.substr(0, helper.find_last_of('\\')) + "\\m\xC3\xA4rker");
    const std::wstring path = folder + L"\\record_args.exe";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(Wide(helper).c_str(), path.c_str(), FALSE));
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (path.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(block), path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(block);
    ASSERT_TRUE(::SetClipboardData(CF_UNICODETEXT, block));
    ::CloseClipboard();
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());

    PressShortcut('V', true, true);
    EXPECT_EQ(NextRun(), TArgs{});  // the one copy of the helper there is at that path
    EXPECT_TRUE(NoFurtherRun(tarvo));
}
