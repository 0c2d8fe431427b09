// One copy at a time: a later start of the same program file, however its path is spelt,
// brings the running copy forward and ends having changed nothing; a copy of the program
// under another file name runs beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowOwnerProcess.h"

using namespace e2e;

namespace {

bool Visible(HWND h) { return h && ::IsWindowVisible(h); }

// Everything the program stores, key by key, and its Run entry.
using TDump = std::map<std::string, TRegValues>;

void DumpTree(const std::string& path, TDump& dump) {
    if (!KeyExists(path)) return;
    dump[path] = ReadValues(path);
    for (const std::string& sub : SubKeys(path)) DumpTree(path + "\\" + sub, dump);
}

TDump RegistryDump() {
    TDump dump;
    DumpTree("Software\\Morvane", dump);
    if (auto run = ReadValue(RunKey, RunValueName)) dump[RunKey][RunValueName] = *run;
    return dump;
}

std::string Cased(std::string text, int (*change)(int)) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [&](char c) { return static_cast<char>(change(static_cast<unsigned char>(c))); });
    return text;
}

// Waits up to `ms` for a copy to end. Notes the caption of every window of it seen on screen
// meanwhile, the zero-size application window aside.
bool EndsWithoutAWindow(TTarvo& copy, DWORD ms, std::vector<std::string>& shown) {
    struct TScan {
        DWORD Pid;
        std::vector<std::string>* Shown;
    } scan{copy.Pid(), &shown};
    auto look = [](HWND h, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<TScan*>(l);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(h, &pid);
        RECT r{};
        if (pid == s->Pid && ::IsWindowVisible(h) && ::GetWindowRect(h, &r) && r.right > r.left) {
            const std::string caption = WindowCaption(h);
            if (std::find(s->Shown->begin(), s->Shown->end(), caption) == s->Shown->end())
                s->Shown->push_back(caption);
        }
        return TRUE;
    };
    return WaitFor([&] {
        ::EnumWindows(look, reinterpret_cast<LPARAM>(&scan));
        return !copy.Running();
    }, ms);
}

class Instance : public TTarvoTest {
protected:
    void TearDown() override { CleanRegistry(); }
};

}  // namespace

TEST_F(Instance, LaterStartsOfTheSameFileBringTheFirstCopyBackAndEndHavingChangedNothing) {
    WriteBinding(HotKeysKey(), "F7", {Command("first"), VK_F7});
    WriteValues(HotKeysKey() + "\\_FirstRun", {});
    TTarvo first;
    first.Start();
    ASSERT_TRUE(first.StartupDone());
    ASSERT_TRUE(ShortcutTaken(VK_F7));

    const std::string folder = helper.substr(0, helper.find_last_of('\\') + 1);
    // The program copied under another file name is another program: it runs beside.
    const std::string other = folder + "Sidekick.exe";
    ASSERT_TRUE(::CopyFileA(TarvoPath().c_str(), other.c_str(), FALSE)) << other;
    TTarvo beside;
    beside.StartFrom(other);
    ASSERT_TRUE(beside.StartupDone());
    EXPECT_TRUE(beside.Alive());

    // The first copy minimised to the tray: no window, no taskbar button.
    first.ClickTray();
    ASSERT_TRUE(WaitFor([&] { return Visible(first.MainWindow()); }));
    ::PostMessageA(first.MainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return !Visible(first.MainWindow()) && !Visible(first.ApplicationWindow()); }));
    ASSERT_TRUE(::IsIconic(first.ApplicationWindow()));

    // Newer than every copy's window, so they come first in a search, and minimised, so a
    // restore request sent to one shows: another program's window with the framework's class
    // and the caption, and a program file named Tarvo.exe whose windows are no application
    // windows of this program.
    const std::string owner =
        RecordArgsPath().substr(0, RecordArgsPath().find_last_of('\\') + 1) + "window_owner.exe";
    TWindowOwnerProcess stranger(owner, folder + "Stranger.exe", "--minimized TarvoWindow:Tarvo2000", 1);
    TWindowOwnerProcess namesake(owner, folder + "namesake\\Tarvo.exe",
                                 "--minimized CabinetWClass:Tarvo2000 \"TarvoWindow:Tarvo2000 Backup\"", 2);
    std::vector<HWND> decoys = namesake.Windows();
    decoys.push_back(stranger.Windows().at(0));
    ASSERT_EQ(decoys.size(), 3u);
    for (HWND decoy : decoys) ASSERT_TRUE(::IsIconic(decoy));
    const TDump before = RegistryDump();
    ASSERT_FALSE(before.empty());

    // Wine hands the program its file name as stored on disk, whatever the spelling of the
    // path it was started by; a copy stored in lower case shows what Windows does with the
    // spelling.
    const std::string path = TarvoPath(), lowerCopy = folder + "lower\\tarvo.exe";
    ::CreateDirectoryA((folder + "lower").c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA(path.c_str(), lowerCopy.c_str(), FALSE));
    for (const std::string& spelling :
         {path, Cased(path, ::tolower), Cased(path, ::toupper), lowerCopy}) {
        SCOPED_TRACE(spelling);
        TTarvo later;
        later.StartFrom(spelling, false);
        std::vector<std::string> shown;
        ASSERT_TRUE(EndsWithoutAWindow(later, 5000, shown));
        EXPECT_EQ(later.ExitCode(), 0u);
        EXPECT_EQ(shown, std::vector<std::string>{});
        EXPECT_EQ(RegistryDump(), before);

        // The first copy is back, window and taskbar button; nothing else was restored.
        EXPECT_TRUE(WaitFor([&] { return Visible(first.MainWindow()) && Visible(first.ApplicationWindow()); }));
        EXPECT_FALSE(::IsIconic(first.ApplicationWindow()));
        for (HWND decoy : decoys) EXPECT_TRUE(::IsIconic(decoy)) << WindowCaption(decoy);
        EXPECT_TRUE(first.Running());
        EXPECT_TRUE(beside.Running());
    }

    // A first copy that hangs, minimised again, cannot hang a later start; once it answers
    // again it handles the restore request it was left.
    ::PostMessageA(first.MainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(first.ApplicationWindow()) && !Visible(first.MainWindow()); }));
    fw::THandle thread(::OpenThread(THREAD_SUSPEND_RESUME, FALSE,
                                    ::GetWindowThreadProcessId(first.MainWindow(), nullptr)));
    ASSERT_TRUE(thread);
    ASSERT_NE(::SuspendThread(thread.Get()), static_cast<DWORD>(-1));
    TTarvo later;
    later.Start(false);
    const bool ended = later.WaitForExit(5000);
    ::ResumeThread(thread.Get());
    EXPECT_TRUE(ended);
    EXPECT_TRUE(WaitFor([&] { return Visible(first.MainWindow()) && !::IsIconic(first.ApplicationWindow()); }));

    // The first copy kept its shortcut and still runs it.
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    PressShortcut(VK_F7);
    std::vector<TRecord> records;
    EXPECT_TRUE(WaitFor([&] { return !(records = ReadRecords(log)).empty(); }));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Args.back(), "first");
}

TEST_F(Instance, ALaterStartDuringAFirstRunShowsNoDemoAndWritesNothing) {
    TTarvo first;
    ASSERT_TRUE(first.StartPastMessageBox());  // the demo, answered
    ASSERT_TRUE(ShortcutTaken(VK_F9));
    // Turned off since: a later copy that went through a first run would turn it on again.
    WriteValues(SettingsKey(), {{"NewBrowser", DwordValue(0)}});
    const TDump before = RegistryDump();

    TTarvo later;
    later.Start(false);
    std::vector<std::string> shown;
    ASSERT_TRUE(EndsWithoutAWindow(later, 5000, shown));
    EXPECT_EQ(shown, std::vector<std::string>{});
    EXPECT_EQ(RegistryDump(), before);
    EXPECT_FALSE(KeyExists(HotKeysKey()));
    EXPECT_TRUE(ShortcutTaken(VK_F9));
    EXPECT_TRUE(first.Running());
}
