// The action launcher against the real shell, clipboard and window manager (the hidden
// windows are in HiddenWindowTest.cpp). Programs and browsers are stood in for by
// record_args.exe, which logs how it was started.
#include "LaunchTestUtil.h"

#include <objbase.h>

#include <cstring>
#include <set>
#include <thread>

#include "framework/Handles.h"

using namespace launchtest;

namespace {

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(data.cFileName);
    while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

bool SameFile(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Makes record_args.exe the program that opens ".htm" files, and undoes it. The per-user
// classes are the place; Wine 8 does not merge them into HKEY_CLASSES_ROOT, so there the
// merged view itself is written.
class THtmHandler {
public:
    explicit THtmHandler(const std::string& exe) {
        Register(exe);
        THKey visible;
        if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, ProgId, 0, KEY_READ, visible.Put())) {
            Unregister();
            FRoot = HKEY_CLASSES_ROOT;
            FPrefix = "";
            Register(exe);
        }
    }
    ~THtmHandler() { Unregister(); }

private:
    static constexpr const char* ProgId = "TarvoTest.RecordArgs";

    void SetDefault(const std::string& subKey, const std::string& value) {
        THKey key;
        ::RegCreateKeyExA(FRoot, (FPrefix + subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, key.Put(), nullptr);
        ::RegSetValueExA(key.Get(), nullptr, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    }
    void Register(const std::string& exe) {
        std::string old(1024, '\0');
        LONG size = static_cast<LONG>(old.size());
        FOldProgId.reset();
        if (!::RegQueryValueA(FRoot, (FPrefix + ".htm").c_str(), old.data(), &size))
            FOldProgId = old.c_str();
        SetDefault(".htm", ProgId);
        SetDefault(std::string(ProgId) + "\\shell\\open\\command", "\"" + exe + "\" \"%1\"");
    }
    void Unregister() {
        ::RegDeleteTreeA(FRoot, (FPrefix + ProgId).c_str());
        if (FOldProgId) SetDefault(".htm", *FOldProgId);
        else ::RegDeleteTreeA(FRoot, (FPrefix + ".htm").c_str());
    }

    HKEY FRoot = HKEY_CURRENT_USER;
    std::string FPrefix = "Software\\Classes\\";
    std::optional<std::string> FOldProgId;
};

void SetClipboardText(const char* text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    if (text) {
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
        std::memcpy(::GlobalLock(block), text, std::strlen(text) + 1);
        ::GlobalUnlock(block);
        ::SetClipboardData(CF_TEXT, block);
    }
    ::CloseClipboard();
}

TEST_F(LaunchTest, ShellCallsRunInASingleThreadedApartmentThatTheGuardUndoes) {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    ASSERT_EQ(::CoGetApartmentType(&type, &qualifier), S_OK);
    EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA);
    EXPECT_TRUE(apartment.Initialized());

    std::thread([] {
        APTTYPE t;
        APTTYPEQUALIFIER q;
        EXPECT_EQ(::CoGetApartmentType(&t, &q), CO_E_NOTINITIALIZED);
        {
            TShellApartment guard;
            EXPECT_TRUE(guard.Initialized());
            ASSERT_EQ(::CoGetApartmentType(&t, &q), S_OK);
            EXPECT_EQ(t, APTTYPE_STA);
        }
        EXPECT_EQ(::CoGetApartmentType(&t, &q), CO_E_NOTINITIALIZED);
    }).join();

    // A thread already in the multi-threaded apartment keeps it: the guard undoes nothing.
    std::thread([] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        { EXPECT_FALSE(TShellApartment().Initialized()); }
        APTTYPE t;
        APTTYPEQUALIFIER q;
        ASSERT_EQ(::CoGetApartmentType(&t, &q), S_OK);
        EXPECT_EQ(t, APTTYPE_MTA);
        ::CoUninitialize();
    }).join();
}

TEST_F(LaunchTest, OpenStartsTheProgramWithItsParametersAsTyped) {
    EXPECT_TRUE(launcher.ExecuteAction(helper + " arg1 \"quoted arg\""));
    std::vector<TRecord> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].CmdLine.ends_with("arg1 \"quoted arg\"")) << records[0].CmdLine;
    ASSERT_EQ(records[0].Args.size(), 3u);
    EXPECT_TRUE(SameFile(records[0].Args[0], helper)) << records[0].Args[0];
    EXPECT_EQ(records[0].Args[1], "arg1");
    EXPECT_EQ(records[0].Args[2], "quoted arg");

    // A quoted path with spaces splits after its closing quote.
    const std::string dir = TempFolder() + "tarvo launch " + std::to_string(GetCurrentProcessId());
    const std::string spaced = dir + "\\record args.exe";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    struct TRemove {
        const std::string &File, &Dir;
        ~TRemove() {
            for (int i = 0; i < 100 && !::DeleteFileA(File.c_str()); ++i) ::Sleep(50);  // still running
            ::RemoveDirectoryA(Dir.c_str());
        }
    } remove{spaced, dir};
    ASSERT_TRUE(::CopyFileA(helper.c_str(), spaced.c_str(), FALSE));
    EXPECT_TRUE(launcher.ExecuteAction("\"" + spaced + "\" one\r\n"));
    records = WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[1].Args.size(), 2u);
    EXPECT_TRUE(SameFile(records[1].Args[0], spaced)) << records[1].Args[0];
    EXPECT_EQ(records[1].Args[1], "one");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LaunchTest, AFailedStartIsReportedOnceWithTheCommandUnlessItCameFromTheClipboard) {
    const std::string missing = "Z:\\no\\such\\folder\\missing.exe";
    EXPECT_FALSE(launcher.ExecuteAction(missing + "  -a  \"b c\""));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Invalid action command:\r\n" + missing + " -a  \"b c\"");
    EXPECT_EQ(boxes[0].Caption, "Tarvo Error");
    EXPECT_EQ(boxes[0].Flags, 0x30);

    SetClipboardText(missing.c_str());
    EXPECT_TRUE(launcher.ExecuteAction("USER_CLIPBOARD"));
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(LaunchTest, BuiltInWordsAndAddressesReachTheShellWithTheRightOperation) {
    InterceptShell();
    NewBrowserOption = true;  // none of these may take the new-window path
    EXPECT_TRUE(launcher.ExecuteAction("explore C:\\Users"));
    EXPECT_TRUE(launcher.ExecuteAction("mailto:someone@example.invalid"));
    EXPECT_TRUE(launcher.ExecuteAction("HTTP://EXAMPLE.INVALID/"));
    EXPECT_TRUE(launcher.ExecuteAction(" C:\\x.txt"));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].Operation, "Explore");
    EXPECT_EQ(calls[0].File, "C:\\Users");
    EXPECT_EQ(calls[0].Parameters, std::nullopt);
    EXPECT_EQ(calls[1].Operation, "Open");
    EXPECT_EQ(calls[1].File, "mailto:someone@example.invalid");
    EXPECT_EQ(calls[1].Parameters, std::nullopt);  // empty parameters go as NULL
    EXPECT_EQ(calls[2].File, "HTTP://EXAMPLE.INVALID/");
    EXPECT_EQ(calls[3].File, std::nullopt);  // leading space: no program part
    EXPECT_EQ(calls[3].Parameters, "C:\\x.txt");
    EXPECT_TRUE(boxes.empty());

    // The word alone: no folder, and the failure names the word as typed with a trailing space.
    InterceptShell(2);
    EXPECT_FALSE(launcher.ExecuteAction("Explore"));
    EXPECT_EQ(calls.back().File, std::nullopt);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Invalid action command:\r\nExplore ");
}

TEST_F(LaunchTest, WebAddressesOpenANewBrowserWindowOnlyWithTheOption) {
    THtmHandler handler(helper);
    EXPECT_TRUE(SameFile(FindDefaultBrowser(), helper)) << FindDefaultBrowser();
    // The fallback probe finds the same program and leaves no file behind anywhere.
    const std::set<std::string> before = FilesIn(TempFolder());
    EXPECT_TRUE(SameFile(FindBrowserByProbe(), helper)) << FindBrowserByProbe();
    EXPECT_EQ(FilesIn(TempFolder()), before);
    EXPECT_EQ(::GetFileAttributesA("C:\\~tmp.htm"), INVALID_FILE_ATTRIBUTES);

    InterceptShell();
    NewBrowserOption = true;
    EXPECT_TRUE(launcher.ExecuteAction("http://example.invalid/page more text"));
    std::vector<TRecord> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].CmdLine.ends_with(" \"http://example.invalid/page\""))
        << records[0].CmdLine;
    ASSERT_EQ(records[0].Args.size(), 2u);
    EXPECT_EQ(records[0].Args[1], "http://example.invalid/page");

    // A quote in the address stays inside the one argument.
    EXPECT_TRUE(OpenInNewBrowser("www.example.invalid/\" --flag"));
    records = WaitForRecords(2);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[1].Args.size(), 2u);
    EXPECT_EQ(records[1].Args[1], "www.example.invalid/%22 --flag");
    EXPECT_TRUE(calls.empty());

    NewBrowserOption = false;
    EXPECT_FALSE(OpenInNewBrowser("https://example.invalid/"));
    EXPECT_TRUE(launcher.ExecuteAction("http://example.invalid/page more text"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].File, "http://example.invalid/page");
    EXPECT_EQ(calls[0].Parameters, "more text");
}

TEST_F(LaunchTest, ClipboardTextTakesThePlaceOfTheProgramPartUnsplit) {
    THtmHandler handler(helper);
    InterceptShell(2);
    NewBrowserOption = true;
    SetClipboardText("  https://example.invalid/clip\r\n");
    EXPECT_TRUE(launcher.ExecuteAction("user_clipboard"));
    std::vector<TRecord> records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].Args.size(), 2u);
    EXPECT_EQ(records[0].Args[1], "https://example.invalid/clip");

    SetClipboardText("prog arg");
    EXPECT_TRUE(launcher.ExecuteAction("User_Clipboard extra"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].File, "prog arg");
    EXPECT_EQ(calls[0].Parameters, "extra");
    EXPECT_TRUE(boxes.empty());  // the shell refused, silently

    // Without text there is nothing to run: the word itself never reaches the shell.
    SetClipboardText(nullptr);
    EXPECT_TRUE(launcher.ExecuteAction("USER_CLIPBOARD"));
    SetClipboardText(" \r\n");
    EXPECT_TRUE(launcher.ExecuteAction("USER_CLIPBOARD"));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(boxes.empty());
}

// Runs a function from inside whatever modal loop dispatches this thread's messages.
class TPosted : public TWndTarget {
public:
    explicit TPosted(std::function<bool()> step) : FStep(std::move(step)) {
        FHandle.Reset(AllocateHWnd(this));
        ::PostMessageA(FHandle.Get(), WM_APP, 0, 0);
    }
    LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
        if (m != WM_APP) return ::DefWindowProcA(h, m, w, l);
        if (!FStep()) ::PostMessageA(h, WM_APP, 0, 0);  // not ready yet: try again
        return 0;
    }

private:
    std::function<bool()> FStep;
    THWnd FHandle;
};

TEST_F(LaunchTest, MessageBoxesDisableTheProgramAndTheTrayUntilTheOutermostCloses) {
    std::vector<bool> told;
    app->AddBoxWatcher(nullptr, [&](bool open) { told.push_back(open); });
    // Hidden windows of the program take no commands either while a box is up.
    THWnd hidden(::CreateWindowExA(0, "STATIC", "hidden", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr));
    THWnd off(::CreateWindowExA(0, "STATIC", "off", WS_POPUP | WS_DISABLED, 0, 0, 50, 50, nullptr,
                                nullptr, nullptr, nullptr));
    app->MessageBoxFn = [&](const std::string& text, const std::string&, UINT) {
        // A hotkey can run a failing action while a box is open.
        if (text == "outer") EXPECT_EQ(ShowMessageBox("inner", "c", 0), 7);
        EXPECT_EQ(told, std::vector<bool>{true});
        EXPECT_FALSE(::IsWindowEnabled(hidden.Get()));
        return 7;
    };
    EXPECT_EQ(ShowMessageBox("outer", "c", 0), 7);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    EXPECT_TRUE(::IsWindowEnabled(hidden.Get()));
    EXPECT_FALSE(::IsWindowEnabled(off.Get())) << "only what the box changed is undone";

    // An error told while an error box is open waits for it, and is shown next.
    std::vector<std::string> shown;
    app->MessageBoxFn = [&](const std::string& text, const std::string&, UINT) {
        shown.push_back(text);
        if (text == "first") app->ShowError("second");
        return IDOK;
    };
    app->ShowError("first");
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));

    // The real box goes through the application, which disables the program's windows.
    app->Initialize();
    app->MessageBoxFn = nullptr;
    told.clear();
    THWnd window(::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                   nullptr, nullptr, nullptr, nullptr));
    bool sawDisabled = false;
    TPosted answer([&] {
        HWND box = ::FindWindowA("#32770", "Launch test");
        if (!box) return false;
        sawDisabled = !::IsWindowEnabled(window.Get()) && told == std::vector<bool>{true};
        ::PostMessageA(box, WM_COMMAND, IDNO, 0);
        return true;
    });
    EXPECT_EQ(ShowMessageBox("Continue?", "Launch test", MB_YESNO), IDNO);
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(::IsWindowEnabled(window.Get()));
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
