// The installer as a user meets it, in a prefix where nothing was installed yet: a silent
// install, the installed program running from its place, an upgrade over a running copy and
// a silent uninstall that ends the running copy and keeps the user's bindings; what the setup
// finds (the user's files, other programs' windows, an old Windows) left as it was; an upgrade
// from an older version in another folder. tests/install/run-install-test.sh prepares the
// prefix (Windows 10 1903, the oldest the setup takes) and gives the packages' paths.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

// Starts a command; `job` receives it and every process it starts.
fw::THandle Start(const std::string& commandLine, HANDLE job) {
    std::string line = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si,
                          &pi))
        throw std::runtime_error("cannot run " + commandLine);
    fw::THandle process(pi.hProcess), thread(pi.hThread);
    if (job && !::AssignProcessToJobObject(job, process.Get())) throw std::runtime_error("no job for " + commandLine);
    ::ResumeThread(thread.Get());
    return process;
}

DWORD ExitCodeOf(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

// Runs a setup and waits for it. The one process it may leave running is the program it starts.
DWORD RunSetup(const std::string& commandLine) {
    const fw::THandle process = Start(commandLine, nullptr);
    if (::WaitForSingleObject(process.Get(), 60000) != WAIT_OBJECT_0) throw std::runtime_error(commandLine + " did not end");
    return ExitCodeOf(process.Get());
}

// Runs an uninstaller and waits for it and every process it starts: it hands its work to a copy
// of itself and ends at once. Returns the first process's exit code.
DWORD RunToTheEnd(const std::string& commandLine) {
    fw::THandle job(::CreateJobObjectA(nullptr, nullptr));
    if (!job) throw std::runtime_error("no job object");
    const fw::THandle process = Start(commandLine, job.Get());
    const bool ended = WaitFor([&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        return ::QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &info, sizeof info,
                                           nullptr) &&
               info.ActiveProcesses == 0;
    }, 60000);
    if (!ended) throw std::runtime_error(commandLine + " did not end");
    return ExitCodeOf(process.Get());
}

// The processes that run the program file at `exe`.
std::vector<DWORD> CopiesRunningFrom(const std::string& exe) {
    std::vector<DWORD> found;
    fw::THandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry)) {
        fw::THandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && ::QueryFullProcessImageNameA(process.Get(), 0, image, &size) &&
            UpperAscii(image) == UpperAscii(exe))
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

void EndCopiesRunningFrom(const std::string& exe) {
    for (DWORD pid : CopiesRunningFrom(exe)) {
        fw::THandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (process && ::TerminateProcess(process.Get(), 0)) ::WaitForSingleObject(process.Get(), 5000);
    }
}

namespace fs = std::filesystem;

// Every file and folder under `root` with its contents ("" for a folder), by path.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        tree[it->path().string()] = it->is_directory() ? "" : Contents(it->path().string());
    return tree;
}

// Makes files (a path ending in a backslash: a folder) with their contents.
void Make(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [path, contents] : files) {
        fs::create_directories(fs::path(path).parent_path());
        if (path.back() != '\\') std::ofstream(path, std::ios::binary) << contents;
    }
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

// The local date as the installed-programs list keeps it: YYYYMMDD.
std::string Today() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char text[16];
    std::snprintf(text, sizeof text, "%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

// Makes the prefix's Wine report another Windows to the processes it starts from now on, until
// the object goes.
class TWindowsVersion {
public:
    explicit TWindowsVersion(const std::string& version) { Set(version); }
    ~TWindowsVersion() {
        try {
            Set(kTestBed);
        } catch (...) {  // the next case's own check fails then
        }
    }
    TWindowsVersion(const TWindowsVersion&) = delete;
    TWindowsVersion& operator=(const TWindowsVersion&) = delete;

private:
    static constexpr const char* kTestBed = "win10";  // what run-install-test.sh sets: build 18362
    static void Set(const std::string& version) {
        WriteValues("Software\\Wine", {{"Version", StringValue(version.empty() ? kTestBed : version)}});
    }
};

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
    const std::string day = Today();
    ASSERT_EQ(RunSetup("\"" + setup + "\" /S"), 0u);
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
    EXPECT_EQ(Entry("InstallLocation"), dir);
    EXPECT_TRUE(Entry("InstallDate") == day || Entry("InstallDate") == Today()) << Entry("InstallDate");
    EXPECT_TRUE(CopiesRunningFrom(exe).empty()) << "no copy was ended, yet one was started";

    {
        SCOPED_TRACE("an upgrade over a copy whose main window is shown");
        TTarvo tarvo;
        StartInstalled(tarvo);
        TWindowOwnerProcess other(WindowOwnerPath(), WindowOwnerPath(), "Upgrade:Notes", 1);
        const HWND hidden = HideWithShortcut(other);
        ASSERT_TRUE(hidden);
        tarvo.ClickTray();
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(tarvo.MainWindow()); }));
        ASSERT_EQ(RunSetup("\"" + setup + "\" /S"), 0u);
        ExpectEndedCleanly(tarvo, hidden);
        EXPECT_EQ(EntriesNamed("Tarvo2000"), std::vector<std::string>{"Tarvo2000"});
        EXPECT_TRUE(Exists(exe));
        // A silent run has no finish page: the copy it ended is started again, and works.
        EXPECT_EQ(CopiesRunningFrom(exe).size(), 1u);
        EXPECT_TRUE(WaitFor([] { return ShortcutTaken(VK_F9, true, true); }));
        EndCopiesRunningFrom(exe);
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
        ASSERT_EQ(RunSetup("\"" + setup + "\" /S"), 0u);
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
    ASSERT_EQ(RunSetup("\"" + setup + "\" /S"), 0u);
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
    EXPECT_NE(RunSetup("\"" + setup + "\" /S"), 0u);
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

// What the setup finds stays as it was, byte for byte, after the install and after an
// uninstall: the user's files in the folder given (with the program's file names among them),
// another program's window with the program's title, an old Windows. The setup installs where
// it should, or refuses, with its exit code, and writes nothing.
TEST_F(Install, SetupLeavesWhatItFindsAsItWas) {
    const std::string tools = "C:\\Tools";
    const std::string kept = tools + "\\Tarvo2000";
    struct TCase {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Found;  // a path ending in \ is a folder
        std::string Arguments;
        std::string Windows;      // what Wine reports, "" for the test bed's Windows 10 1903
        std::string OtherWindow;  // class:caption of another program's window
        DWORD ExitCode;
        std::string InstalledIn;  // "" when nothing may be written
    };
    const std::vector<TCase> cases = {
        {"a folder with the user's files", {{tools + "\\LICENSE", "my licence"}, {tools + "\\Uninstall.exe", "my tool"},
                                            {tools + "\\Sub\\notes.txt", "notes"}},
         "/D=" + tools, "", "", 0, kept},
        {"an empty folder", {{tools + "\\", ""}}, "/D=" + tools, "", "", 0, tools},
        {"its Tarvo2000 folder taken too", {{tools + "\\a.txt", "a"}, {kept + "\\LICENSE", "b"}},
         "/D=" + tools, "", "", 5, ""},
        {"Explorer showing a folder named Tarvo2000", {}, "", "", "CabinetWClass:Tarvo2000", 0, dir},
        {"Windows 7", {}, "", "win7", "", 4, ""},
        {"Windows 8.1", {}, "", "win81", "", 4, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Make(c.Found);
        const auto before = Tree(tools);
        DWORD code = 0;
        {
            std::optional<TWindowOwnerProcess> other;
            HWND window = nullptr;
            if (!c.OtherWindow.empty()) {
                other.emplace(WindowOwnerPath(), WindowOwnerPath(), c.OtherWindow, 1);
                ASSERT_EQ(other->Windows().size(), 1u);
                window = other->Windows()[0];
            }
            const TWindowsVersion windows(c.Windows);
            code = RunSetup("\"" + setup + "\" /S" + (c.Arguments.empty() ? "" : " " + c.Arguments));
            if (window) {
                // A round trip to its program first: a close request would have been handled.
                DWORD_PTR ignored = 0;
                EXPECT_TRUE(::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored));
                EXPECT_TRUE(::IsWindow(window) && ::IsWindowVisible(window)) << "the other program's window was closed";
            }
        }
        EXPECT_EQ(code, c.ExitCode);
        for (const auto& [path, contents] : before) EXPECT_EQ(Contents(path), contents) << path;
        for (const auto& [path, contents] : Tree(tools))
            EXPECT_TRUE(before.count(path) || (!c.InstalledIn.empty() && path.rfind(c.InstalledIn, 0) == 0)) << path;
        EXPECT_TRUE(CopiesRunningFrom(exe).empty());
        if (c.InstalledIn.empty()) {
            EXPECT_TRUE(EntriesNamed("Tarvo2000").empty());
            EXPECT_FALSE(Exists(shortcut));
            EXPECT_FALSE(Exists(dir));
        } else {
            EXPECT_TRUE(Exists(c.InstalledIn + "\\Tarvo.exe"));
            EXPECT_EQ(Entry("InstallLocation"), c.InstalledIn);
            const std::string uninstaller = c.InstalledIn + "\\Uninstall.exe";
            EXPECT_TRUE(Exists(uninstaller) && RunToTheEnd("\"" + uninstaller + "\" /S") == 0u);
            EXPECT_TRUE(EntriesNamed("Tarvo2000").empty());
            EXPECT_EQ(Tree(tools), before) << "the uninstall left or took something";
            EXPECT_FALSE(Exists(c.InstalledIn));
        }
        fs::remove_all(tools);
    }
}

// An older version installed elsewhere, running and started at logon, gives way to this one
// installed into the usual folder: the setup ends it, removes it with its own uninstaller,
// installs, moves the start at logon along and starts the new copy. One copy and one entry
// remain, and the bindings stay.
TEST_F(Install, UpgradeFromAnOlderVersionInAnotherFolderMovesEverythingAlong) {
    const std::string old = "C:\\Old Place\\Tarvo2000";
    ASSERT_EQ(RunSetup("\"" + Required("TARVO_OLDER_SETUP") + "\" /S /D=" + old), 0u);
    ASSERT_EQ(Entry("DisplayVersion"), Required("TARVO_OLDER_VERSION"));
    // As the program writes it for a path with a space.
    WriteValues(RunKey, {{RunValueName, StringValue("\"" + old + "\\Tarvo.exe\"")}});
    TTarvo tarvo;
    tarvo.StartFrom(old + "\\Tarvo.exe");
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_TRUE(WaitFor([] { return ShortcutTaken(VK_F9, true, true); }));

    ASSERT_EQ(RunSetup("\"" + setup + "\" /S /D=" + dir), 0u);
    ASSERT_FALSE(tarvo.Running());
    EXPECT_EQ(tarvo.ExitCode(), 0u) << "not ended as the program ends itself";
    EXPECT_FALSE(Exists(old));
    EXPECT_TRUE(Exists(exe));
    EXPECT_EQ(EntriesNamed("Tarvo2000"), std::vector<std::string>{"Tarvo2000"});
    EXPECT_EQ(Entry("DisplayVersion"), PackageVersionOf(exe));
    EXPECT_EQ(Entry("InstallLocation"), dir);
    EXPECT_EQ(UpperAscii(ShortcutTarget(shortcut)), UpperAscii(exe));
    EXPECT_EQ(ReadValue(RunKey, RunValueName), std::optional(StringValue(exe)));  // no space in this path
    EXPECT_EQ(CopiesRunningFrom(exe).size(), 1u);
    EXPECT_TRUE(WaitFor([] { return ShortcutTaken(VK_F9, true, true); }));
    EndCopiesRunningFrom(exe);
    for (const auto& [name, b] : bindings) EXPECT_EQ(ParseBinding(ReadValues(HotKeysKey() + "\\" + name)), b) << name;
    EXPECT_EQ(RunToTheEnd("\"" + dir + "\\Uninstall.exe\" /S"), 0u);
}
