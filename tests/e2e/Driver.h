// Drives the real Tarvo.exe from outside: start it, find its windows, post messages,
// press keys, read and clean the registry.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Desktop.h"
#include "framework/Handles.h"

namespace e2e {

// Waits until a condition holds, pumping this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Tarvo's tray callback message.
constexpr UINT WM_TRAYNOTIFY = 0x0800;

// A message box of the program, as seen from outside.
struct TMessageBox {
    HWND Handle = nullptr;
    std::string Caption;
    std::string Text;
};

std::string TarvoPath();

class TTarvo {
public:
    TTarvo() = default;
    ~TTarvo();
    TTarvo(const TTarvo&) = delete;
    TTarvo& operator=(const TTarvo&) = delete;

    // Starts Tarvo.exe and waits until all its windows exist, or only the main window
    // (a first run shows a message box while the main window is being created).
    void Start(bool waitForAllWindows = true);
    // The same, from another path: the program file spelt otherwise, or a copy of it.
    void StartFrom(const std::string& exePath, bool waitForAllWindows = true);
    bool Running() const;
    // Waits for the process to end; true when it did within the time.
    bool WaitForExit(DWORD timeoutMs = 10000);
    void Kill();
    DWORD ExitCode() const;
    DWORD Pid() const { return FPid; }
    HANDLE Process() const { return FProcess; }
    // True once the last of the five windows exists: start-up is over.
    bool StartupDone() const;

    // Top-level windows of this process with exactly this caption (hidden ones included).
    std::vector<HWND> WindowsTitled(const std::string& caption) const;
    HWND WindowTitled(const std::string& caption) const;
    // Top-level windows of this process of one window class (hidden ones included).
    std::vector<HWND> WindowsOfClass(const std::string& className) const;
    HWND MainWindow() const { return WindowTitled("Tarvo2000 Version 1.2"); }
    HWND ApplicationWindow() const { return WindowTitled("Tarvo2000"); }

    // Posts one tray callback with a mouse message in lParam. The callback window is one
    // of the process's utility windows; the others (timers) ignore the message.
    void PostTray(UINT mouseMessage) const;
    // A left click on the tray icon, button down then up; returns once both are handled.
    void ClickTray() const;
    // Opens the tray menu with a right click; the menu's window, or nullptr when none opened.
    HWND OpenTrayMenu() const;
    // Opens the tray menu with a right click and chooses the item with this mnemonic.
    // False when the menu did not open, or did not close after the choice when asked to wait.
    bool ChooseFromTrayMenu(char mnemonic, bool waitUntilClosed = true) const;
    // Returns once the program has handled everything sent to it so far: messages posted to
    // its windows, input queued for it (a shortcut pressed, keys typed), and what handling
    // them posted in turn. A box or menu the program opened meanwhile is open by then; a
    // program it started exists. True when the program answered, false when it ended
    // meanwhile; a running program that does not answer fails the test.
    bool RoundTrip(DWORD timeoutMs = 20000) const;
    // A round trip answered by a program that is still running: it is not on its way out.
    bool Alive() const { return RoundTrip() && Running(); }
    // The visible pop-up menu of this process, if one is open.
    HWND OpenMenu() const;

    // The binding list of the main window, read from outside: every row, the blank one last.
    struct TRow {
        std::string Action, Hotkey;
        int StateImage = -1;  // 0 enabled, 1 disabled, -1 none
        friend bool operator==(const TRow&, const TRow&) = default;
    };
    HWND ListWindow() const;
    std::vector<TRow> ListRows() const;
    // Selects one row of the list (and gives it the focus rectangle).
    void SelectRow(int row) const;
    // The selected row of the list, -1 for none.
    int SelectedRow() const;
    // A click on a column's header: 0 "Action", 1 "Hotkey".
    void ClickHeader(int column) const;

    // The first visible message box of this process, if one is open.
    std::optional<TMessageBox> MessageBox() const;
    std::optional<TMessageBox> WaitForMessageBox(DWORD timeoutMs = 10000) const;
    // Starts Tarvo when its start-up stops at a message box: waits for the box, presses OK and
    // waits for the start-up to finish. Returns what the box said; nullopt when either failed.
    std::optional<TMessageBox> StartPastMessageBox(const std::string& exePath = TarvoPath());
    // Presses OK of the box and waits until it is gone.
    bool DismissMessageBox(const TMessageBox& box) const;

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
    // Where the program's answers to round trips arrive, and the newest token answered.
    mutable fw::THWnd FReceiver;
    mutable LPARAM FToken = 0, FAnswered = 0;
};

void PrintTo(const TTarvo::TRow& row, std::ostream* out);

std::string TarvoPath();
std::string RecordArgsPath();
// Caption as UTF-8, whatever this program's code page.
std::string WindowTextUtf8(HWND hwnd);
// UTF-8 text as UTF-16, for the W functions.
std::wstring Wide(const std::string& text);

// --- Keyboard -------------------------------------------------------------------------

// Types text with real key presses, Shift where the character needs it (printable ASCII).
void TypeText(const std::string& text);

// --- Dialog controls, read from outside -----------------------------------------------

// The child control of a window whose text is exactly this (a button's or box's caption).
HWND ChildWithText(HWND parent, const std::string& text);
// The child controls of one window class, from the top of the window down.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);
bool IsChecked(HWND box);
// A control's text as the control itself reports it (a combo box's field, an edit's text),
// which for another process's window is not what GetWindowText returns.
std::string ControlText(HWND control);
// Whether the thread of this window is in menu mode (a menu, or the window menu's Alt).
bool InMenuMode(HWND window);

// --- Registry (HKEY_CURRENT_USER; paths without a leading backslash; text is UTF-8) -----

// One value exactly as stored: its type and its raw bytes.
struct TRegValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
    friend bool operator==(const TRegValue&, const TRegValue&) = default;
};
using TRegValues = std::map<std::string, TRegValue>;
// Readable failure messages: the type and the value, long text cut short.
void PrintTo(const TRegValue& value, std::ostream* out);

TRegValue StringValue(const std::string& text);
TRegValue DwordValue(DWORD value);
// The text of a REG_SZ value; nullopt for any other type.
std::optional<std::string> AsString(const TRegValue& value);
// The number of a REG_DWORD value; nullopt for any other type or size.
std::optional<DWORD> AsDword(const TRegValue& value);

// One binding as the program stores it.
struct TBinding {
    std::string Address;
    DWORD VirtualKey = 0;
    bool Ctrl = false, Alt = false, Shift = false, Enabled = true;
    friend bool operator==(const TBinding&, const TBinding&) = default;
};
void PrintTo(const TBinding& b, std::ostream* out);
TRegValues BindingValues(const TBinding& b);
// The binding a key holds when it has all six values with their stored types; else nullopt.
std::optional<TBinding> ParseBinding(const TRegValues& values);

std::string UserName();
// Software\Morvane\Tarvo\<user>
std::string SettingsKey();
// Software\Morvane\Tarvo\<user>\HotKeys
std::string HotKeysKey();
// Software\morvane.example\Tarvo\<user>\HotKeys, where an earlier edition kept its bindings.
std::string LegacyHotKeysKey(const std::string& user);
std::string LegacyApplicationKey();
constexpr const char* RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* RunValueName = "Tarvo 2000";
// Where Windows keeps Task Manager's start-up switch of each Run entry, by the entry's name.
constexpr const char* StartupApprovedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

bool KeyExists(const std::string& path);
// Names of the subkeys, sorted; empty when the key does not exist.
std::vector<std::string> SubKeys(const std::string& path);
// Every value of the key; empty when the key does not exist.
TRegValues ReadValues(const std::string& path);
std::optional<TRegValue> ReadValue(const std::string& path, const std::string& name);
// One REG_DWORD value in a single quick call; nullopt when missing or of another type.
std::optional<DWORD> ReadDword(const std::string& path, const std::string& name);
// Creates the key as needed and writes exactly these values (others are left alone).
void WriteValues(const std::string& path, const TRegValues& values);
void WriteBinding(const std::string& hotKeysKey, const std::string& name, const TBinding& b);
void DeleteTree(const std::string& path);
void DeleteValue(const std::string& path, const std::string& name);
// Removes everything the program stores: both companies' trees, the Run entry and its switch.
void CleanRegistry();

// Signals the first change of values or subkeys anywhere under a key after its creation.
class TKeyWatch {
public:
    explicit TKeyWatch(const std::string& path);
    // True once something changed, false when nothing did within the time.
    bool Wait(DWORD timeoutMs) const;

private:
    fw::THKey FKey;
    fw::THandle FEvent;
};

// Makes a helper the program the shell opens a file type (".htm") or a URL protocol ("http",
// "mailto") with, for the length of a scope, so that no real browser or mail program ever
// starts. The per-user classes are the place, but Wine 8 does not merge them into
// HKEY_CLASSES_ROOT: there the merged view itself is written, and put back afterwards.
class TShellStandIn {
public:
    TShellStandIn(std::string type, std::string program);
    ~TShellStandIn();
    TShellStandIn(const TShellStandIn&) = delete;
    TShellStandIn& operator=(const TShellStandIn&) = delete;
    // The command the shell runs now to open the type, as the shell itself reports it.
    static std::string OpenCommand(const std::string& type);
    // Whether that command now runs the helper.
    bool Active() const;

private:
    std::string CommandKey() const;
    void Register();
    void Unregister();

    std::string FType, FProgram;
    HKEY FRoot = HKEY_CURRENT_USER;
    std::string FPrefix = "Software\\Classes\\";
    std::optional<std::string> FOldDefault, FOldCommand;
};

// --- The recording helper ------------------------------------------------------------

// One run of record_args.exe: its command line and its arguments, the program first.
struct TRecord {
    std::string CommandLine;
    std::vector<std::string> Args;
};
// The log the helper writes, set in this process's environment so Tarvo and the programs
// it starts inherit it. Starts empty.
std::string ResetRecordLog();
std::vector<TRecord> ReadRecords(const std::string& logPath);
// A copy of record_args.exe in a folder and under a name that both contain spaces.
std::string RecordArgsWithSpaces();
// Waits until no copy of the helper runs any more, so that every run started so far has
// written its record. False when one still runs after the time.
bool HelpersEnded(DWORD timeoutMs = 10000);

// A test that starts from a clean registry, with a fresh log for the recording helper and
// a copy of it at a path with spaces for actions to run.
class TTarvoTest : public ::testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        log = ResetRecordLog();
        helper = RecordArgsWithSpaces();
    }
    // Runs the helper from its quoted path, followed by the arguments.
    std::string Command(const std::string& arguments) const { return "\"" + helper + "\" " + arguments; }

    std::string log, helper;
};

}  // namespace e2e
