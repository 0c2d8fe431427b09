// The installer as a user meets it, in a prefix where nothing was installed yet: a silent
// install, the installed program running from its place, an upgrade over a running copy and
// a silent uninstall that ends the running copy and keeps the user's bindings.
// tests/install/run-install-test.sh prepares the prefix and gives the packages' paths.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowOwnerProcess.h"
#include "app/Text.h"

using namespace e2e;

namespace {

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Required(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string(name) + " is not set");
    return value;
}

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        throw std::runtime_error("no folder " + std::to_string(csidl));
    return path;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a command and waits for it and every process it starts: the uninstaller hands its
// work to a copy of itself and ends at once. Returns the first process's exit code.
DWORD RunToTheEnd(const std::string& commandLine) {
    fw::THandle job(::CreateJobObjectA(nullptr, nullptr));
    std::string line = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!job || !::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                  nullptr, &si, &pi))
        throw std::runtime_error("cannot run " + commandLine);
    fw::THandle process(pi.hProcess), thread(pi.hThread);
    if (!::AssignProcessToJobObject(job.Get(), process.Get())) throw std::runtime_error("no job for " + commandLine);
    ::ResumeThread(thread.Get());
    const bool ended = WaitFor([&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        return ::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &info, sizeof info,
                                           nullptr) &&
               info.ActiveProcesses == 0;
    }, 60000);
    if (!ended) throw std::runtime_error(commandLine + " did not end");
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.Get(), &code);
    return code;
}

// The shell still has the icon that this window put there.
bool TrayHasIcon(const std::vector<HWND>& windows) {
    for (HWND h : windows) {
        NOTIFYICONDATAA d{};
        d.cbSize = NOTIFYICONDATAA_V1_SIZE;
        d.hWnd = h;
        d.uID = 1;
        if (::Shell_NotifyIconA(NIM_MODIFY, &d)) return true;  // no flags: changes nothing
    }
    return false;
}

std::string ShortcutTarget(const std::string& lnk) {
    std::string target;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::wstring wide(lnk.begin(), lnk.end());
            char path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
                target = path;
            file->Release();
        }
        link->Release();
    }
    return target;
}

// "1.2.181" from the version record 1.2.0.181: the installer's version must be the program's.
std::string PackageVersionOf(const std::string& exe) {
    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (data.empty() || !::GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &size))
        return "";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// The installed-programs entries that name the program.
std::vector<std::string> EntriesNamed(const std::string& name) {
    std::vector<std::string> found;
    for (const std::string& key : SubKeys(kUninstallKey))
        if (ReadValue(kUninstallKey + "\\" + key, "DisplayName") == StringValue(name)) found.push_back(key);
    return found;
}

class Install : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        CleanRegistry();
        for (const auto& [name, b] : bindings) WriteBinding(HotKeysKey(), name, b);
        ASSERT_FALSE(Exists(dir)) << "the prefix is not fresh";
    }
    void TearDown() override { ::CoUninitialize(); }

    std::string Entry(const std::string& value) const {
        auto v = ReadValue(kUninstallKey + "\\Tarvo2000", value);
        return v && AsString(*v) ? *AsString(*v) : "";
    }
    // Starts the installed copy and waits until it holds its shortcut and shows its icon.
    void StartInstalled(TTarvo& tarvo) const {
        tarvo.StartFrom(exe);
        ASSERT_TRUE(tarvo.StartupDone());
        EXPECT_TRUE(WaitFor([] { return ShortcutTaken(VK_F9, true, true); }));
        EXPECT_TRUE(WaitFor([&] { return TrayHasIcon(tarvo.WindowsOfClass("TarvoUtilWindow")); }));
    }
    // The copy ended before the installer did, and as the program ends itself: with exit
    // code 0 and the window it hid shown again, which a killed copy leaves hidden. (Wine drops
    // the tray icon and the shortcut of a dead process itself, so those would show nothing.)
    static void ExpectEndedCleanly(const TTarvo& tarvo, HWND hidden) {
        ASSERT_FALSE(tarvo.Running()) << "still running";
        EXPECT_EQ(tarvo.ExitCode(), 0u);
        EXPECT_TRUE(::IsWindowVisible(hidden)) << "the window it hid is still hidden";
    }
    // Has the running copy hide another program's window with its shortcut.
    static HWND HideWithShortcut(const TWindowOwnerProcess& other) {
        if (other.Windows().size() != 1) return nullptr;
        const HWND window = other.Windows()[0];
        ::SetForegroundWindow(window);
        if (!WaitFor([&] { return ::GetForegroundWindow() == window; })) return nullptr;
        PressShortcut(VK_F9, true, true);
        return WaitFor([&] { return !::IsWindowVisible(window); }) ? window : nullptr;
    }
    static std::string WindowOwnerPath() {
        return RecordArgsPath().substr(0, RecordArgsPath().find_last_of('\\') + 1) + "window_owner.exe";
    }

    const std::string setup = Required("TARVO_SETUP");
    const std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tarvo2000";
    const std::string exe = dir + "\\Tarvo.exe";
    const std::string shortcut = Folder(CSIDL_PROGRAMS) + "\\Tarvo2000.lnk";
    const std::vector<std::pair<std::string, TBinding>> bindings = {
        {"ControlAlt_F9", {"USER_HIDE_WINDOW", VK_F9, true, true}},
        {"F11", {RecordArgsPath(), VK_F11, false, false, false, false}},
    };
};

}  // namespace

TEST_F(Install, InstallsUpgradesOverARunningCopyAndUninstallsKeepingTheBindings) {
    ASSERT_EQ(RunToTheEnd("\"" + setup + "\" /S"), 0u);
    ASSERT_TRUE(Exists(exe));
    EXPECT_TRUE(Exists(dir + "\\LICENSE"));
    EXPECT_EQ(Contents(exe), Contents(Required("TARVO_PORTABLE_EXE"))) << "the zip's program differs";
    EXPECT_EQ(UpperAscii(ShortcutTarget(shortcut)), UpperAscii(exe));
    EXPECT_EQ(EntriesNamed("Tarvo2000"), std::vector<std::string>{"Tarvo2000"});
    EXPECT_EQ(Entry("DisplayVersion"), "1.2.181");
    EXPECT_EQ(Entry("DisplayVersion"), PackageVersionOf(exe));
    EXPECT_EQ(Entry("Publisher"), "Morvane");
    EXPECT_EQ(Entry("DisplayIcon"), exe + ",0");
    EXPECT_TRUE(Exists(dir + "\\Uninstall.exe"));
    EXPECT_EQ(Entry("UninstallString"), "\"" + dir + "\\Uninstall.exe\"");

    {
        SCOPED_TRACE("an upgrade over a copy whose main window is shown");
        TTarvo tarvo;
        StartInstalled(tarvo);
        TWindowOwnerProcess other(WindowOwnerPath(), WindowOwnerPath(), "Upgrade:Notes", 1);
        const HWND hidden = HideWithShortcut(other);
        ASSERT_TRUE(hidden);
        tarvo.ClickTray();
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(tarvo.MainWindow()); }));
        ASSERT_EQ(RunToTheEnd("\"" + setup + "\" /S"), 0u);
        ExpectEndedCleanly(tarvo, hidden);
        EXPECT_EQ(EntriesNamed("Tarvo2000"), std::vector<std::string>{"Tarvo2000"});
        EXPECT_TRUE(Exists(exe));
    }

    SCOPED_TRACE("an uninstall of a hidden copy that starts at logon");
    TTarvo tarvo;
    StartInstalled(tarvo);
    TWindowOwnerProcess other(WindowOwnerPath(), WindowOwnerPath(), "Uninstall:Notes", 1);
    const HWND hidden = HideWithShortcut(other);
    ASSERT_TRUE(hidden);
    // Ticked in the options dialog, as a user would: the program writes its own Run entry.
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('o'));
    HWND options = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (options = tarvo.WindowTitled("Tarvo2000 Options")) && ::IsWindowVisible(options); }));
    ::SendMessageA(ChildWithText(options, "Launch program at startup"), BM_CLICK, 0, 0);
    ::SendMessageA(ChildWithText(options, "OK"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ReadValue(RunKey, RunValueName).has_value(); }));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(tarvo.MainWindow()) && !::IsWindowVisible(options); }));

    ASSERT_EQ(RunToTheEnd("\"" + dir + "\\Uninstall.exe\" /S"), 0u);
    ExpectEndedCleanly(tarvo, hidden);
    EXPECT_FALSE(Exists(exe));
    EXPECT_FALSE(Exists(dir)) << "the folder stays";
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(ReadValue(RunKey, RunValueName));
    EXPECT_TRUE(EntriesNamed("Tarvo2000").empty());
    for (const auto& [name, b] : bindings) EXPECT_EQ(ParseBinding(ReadValues(HotKeysKey() + "\\" + name)), b) << name;
}

// The Run entry goes with the program only when it starts the installed copy, in any of the
// forms the program itself would have written; one that starts another copy stays.
TEST_F(Install, UninstallRemovesOnlyARunEntryThatStartsTheInstalledCopy) {
    struct TCase {
        std::string Entry;
        bool Removed;
    };
    const std::vector<TCase> cases = {
        {exe, true},
        {"\"" + exe + "\"", true},
        {UpperAscii(exe), true},
        {"C:\\Portable\\Tarvo.exe", false},
        {exe + ".old", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Entry);
        ASSERT_EQ(RunToTheEnd("\"" + setup + "\" /S"), 0u);
        WriteValues(RunKey, {{RunValueName, StringValue(c.Entry)}});
        ASSERT_EQ(RunToTheEnd("\"" + dir + "\\Uninstall.exe\" /S"), 0u);
        ASSERT_FALSE(Exists(exe));
        EXPECT_EQ(ReadValue(RunKey, RunValueName), c.Removed ? std::nullopt : std::optional(StringValue(c.Entry)));
    }
}

// A copy that cannot end now (its editor is open and refuses to close) keeps its program:
// a silent upgrade or uninstall gives up and changes nothing, and the uninstall succeeds once
// the editor is closed.
TEST_F(Install, UninstallLeavesACopyThatDoesNotEndAndItsFiles) {
    ASSERT_EQ(RunToTheEnd("\"" + setup + "\" /S"), 0u);
    TTarvo tarvo;
    StartInstalled(tarvo);
    tarvo.ClickTray();
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == tarvo.MainWindow(); }));
    tarvo.SelectRow(0);
    PressShortcut(VK_RETURN);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = tarvo.WindowTitled("Accelerator Properties")) && ::IsWindowVisible(editor); }));

    // The installer reports it; the uninstaller's first process has ended before its copy
    // in the temporary folder knows, so it is judged by what it left.
    EXPECT_NE(RunToTheEnd("\"" + setup + "\" /S"), 0u);
    EXPECT_TRUE(tarvo.Running());
    const std::string uninstall = "\"" + dir + "\\Uninstall.exe\" /S";
    RunToTheEnd(uninstall);
    EXPECT_TRUE(tarvo.Running());
    EXPECT_TRUE(Exists(exe) && Exists(dir + "\\Uninstall.exe") && Exists(shortcut));
    EXPECT_EQ(EntriesNamed("Tarvo2000"), std::vector<std::string>{"Tarvo2000"});

    ::SetForegroundWindow(editor);
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(editor); }));
    ASSERT_EQ(RunToTheEnd(uninstall), 0u);
    EXPECT_FALSE(tarvo.Running());
    EXPECT_FALSE(Exists(exe));
}
