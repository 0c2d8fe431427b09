// What the real program stores, in whole uses: the first save and the saved layout as another
// program sees it, the legacy import, unreadable bindings told and kept, an unusable setting.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {

using TArgs = std::vector<std::string>;

class Store : public TTarvoTest {
protected:
    static std::string Key(const std::string& name) { return HotKeysKey() + "\\" + name; }

    // Arguments of every run of the helper so far, the program left out.
    std::vector<TArgs> Runs() const {
        std::vector<TArgs> runs;
        for (const TRecord& r : ReadRecords(log))
            runs.push_back(r.Args.empty() ? TArgs{} : TArgs(r.Args.begin() + 1, r.Args.end()));
        return runs;
    }
    bool WaitForRuns(size_t n) const {
        return WaitFor([&] { return Runs().size() >= n; });
    }

    // True once every named binding is stored with this enabled state.
    static bool StoredEnabled(const std::vector<std::string>& names, bool enabled) {
        for (const std::string& name : names) {
            auto value = ReadValue(Key(name), "Enabled");
            if (!value || *value != DwordValue(enabled)) return false;
        }
        return true;
    }
};

const char* const kDemoCaption = "One-time Tarvo Demo";

// The names a "Tarvo Error" box lists, one per indented line.
std::set<std::string> ListedNames(const std::string& text) {
    std::set<std::string> names;
    size_t start = text.find('\n');
    while (start != std::string::npos) {
        size_t end = text.find('\n', start + 1);
        std::string line = text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        line.erase(0, line.find_first_not_of(' '));
        if (!line.empty()) names.insert(line);
        start = end;
    }
    return names;
}

// The text as this program's code page spells it, the way the helper logs its arguments.
std::string InAnsiCodePage(const std::string& utf8, bool& lossless) {
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    BOOL defaulted = FALSE;
    int m = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &defaulted);
    std::string ansi(static_cast<size_t>(m), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), m, nullptr, &defaulted);
    ansi.resize(std::strlen(ansi.c_str()));
    lossless = !defaulted;
    return ansi;
}

}  // namespace

TEST_F(Store, FirstSaveStoresTheLayoutAndAnEmptiedListStaysEmpty) {
    {
        // Without a save, the next start is a first run again.
        TTarvo first;
        auto box = first.StartPastMessageBox();
        ASSERT_TRUE(box);
        ASSERT_TRUE(first.ChooseFromTrayMenu('x'));
        ASSERT_TRUE(first.WaitForExit());
    }
    TTarvo tarvo;
    auto box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, kDemoCaption);

    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled({"F9"}, false); }));
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"F9", "_FirstRun"}));
    EXPECT_TRUE(ReadValues(Key("_FirstRun")).empty());
    TRegValues f9 = ReadValues(Key("F9"));
    auto address = AsString(f9["Address"]);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->rfind("http://", 0), 0u) << *address;
    EXPECT_EQ(f9, BindingValues({*address, VK_F9, false, false, false, false}));
    EXPECT_FALSE(ShortcutTaken(VK_F9));

    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
    ASSERT_TRUE(tarvo.WaitForExit());

    // The user deletes every binding: the marker alone is left.
    DeleteTree(Key("F9"));
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    EXPECT_FALSE(tarvo.MessageBox());
    EXPECT_FALSE(::IsWindowVisible(tarvo.MainWindow()));
    EXPECT_FALSE(ShortcutTaken(VK_F9));
    // A save now writes the list as it is: empty, nothing seeded. The marker is taken away
    // first so its return shows that the save has happened.
    DeleteTree(Key("_FirstRun"));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('e'));
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_TRUE(KeyExists(Key("_FirstRun")));
    EXPECT_EQ(SubKeys(HotKeysKey()), std::vector<std::string>{"_FirstRun"});
}

TEST_F(Store, LegacyBindingsAreImportedAndTheOldApplicationKeyRemoved) {
    const TBinding legacyOn{Command("legacy"), 'L', true, true, false, true};
    const TBinding legacyOff{Command("off"), VK_F8, false, false, false, false};
    WriteBinding(LegacyHotKeysKey(UserName()), "ControlAlt_L", legacyOn);
    WriteBinding(LegacyHotKeysKey(UserName()), "F8", legacyOff);
    WriteBinding(LegacyHotKeysKey("Another User"), "F2", {Command("other"), VK_F2});

    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    EXPECT_FALSE(tarvo.MessageBox());
    EXPECT_FALSE(::IsWindowVisible(tarvo.MainWindow()));
    PressShortcut('L', true, true);
    ASSERT_TRUE(WaitForRuns(1));
    EXPECT_EQ(Runs(), std::vector<TArgs>{{"legacy"}});
    EXPECT_FALSE(ShortcutTaken(VK_F8));

    // Stored under the current key before the old one went away.
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"ControlAlt_L", "F8", "_FirstRun"}));
    EXPECT_EQ(ReadValues(Key("ControlAlt_L")), BindingValues(legacyOn));
    EXPECT_EQ(ReadValues(Key("F8")), BindingValues(legacyOff));
    EXPECT_FALSE(KeyExists(LegacyApplicationKey()));

    // A start in which nothing changed keeps them.
    tarvo.Kill();
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    EXPECT_FALSE(tarvo.MessageBox());
    PressShortcut('L', true, true);
    ASSERT_TRUE(WaitForRuns(2));
    EXPECT_EQ(Runs().back(), TArgs{"legacy"});
}

TEST_F(Store, UnreadableBindingsAreReportedOnceAndKeptByteForByte) {
    const std::string nonAscii = "gr\xC3\xBC\xC3\x9F" "e caf\xC3\xA9";  // "grüße café"
    const std::string longAddress = "http://example.invalid/" + std::string(64 * 1024, 'a');
    const std::map<std::string, TBinding> good = {
        {"F2", {Command("good-f2"), VK_F2}},
        {"ControlAlt_G", {Command("good-g"), 'G', true, true}},
        {"F4", {longAddress, VK_F4}},
        {"F5", {Command("\"" + nonAscii + "\""), VK_F5}},
    };
    for (const auto& [name, b] : good) WriteBinding(HotKeysKey(), name, b);
    // What makes a key unreadable is the store's own test's; here one of each kind of fault.
    const TRegValues whole = BindingValues({Command("bad"), 'Q', true, false, false, true});
    std::map<std::string, TRegValues> bad = {{"Missing_Ctrl", whole}, {"Mistyped_Address", whole}, {"Key_91", whole}};
    bad["Missing_Ctrl"].erase("Ctrl");
    bad["Mistyped_Address"]["Address"] = DwordValue(7);
    bad["Key_91"]["VirtualKey"] = DwordValue(91);
    std::map<std::string, TRegValues> badBefore;
    std::set<std::string> badNames;
    for (const auto& [name, values] : bad) {
        WriteValues(Key(name), values);
        badBefore[name] = ReadValues(Key(name));
        badNames.insert(name);
    }

    TTarvo tarvo;
    tarvo.Start(false);
    auto box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, "Tarvo Error");
    EXPECT_EQ(ListedNames(box->Text), badNames) << box->Text;
    // The good bindings already work while the report is open.
    PressShortcut(VK_F2);
    ASSERT_TRUE(WaitForRuns(1));
    ASSERT_TRUE(tarvo.DismissMessageBox(*box));
    ASSERT_TRUE(WaitFor([&] { return tarvo.StartupDone(); }));
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox()) << "a second box";

    // Every good binding is live; the ones that start something run their own command.
    for (WORD key : {VK_F2, VK_F4, VK_F5}) EXPECT_TRUE(ShortcutTaken(key)) << key;
    EXPECT_TRUE(ShortcutTaken('G', true, true));
    EXPECT_FALSE(ShortcutTaken('Q', true));
    PressShortcut('G', true, true);
    ASSERT_TRUE(WaitForRuns(2));
    PressShortcut(VK_F5);
    ASSERT_TRUE(WaitForRuns(3));
    bool lossless = false;
    const std::string logged = InAnsiCodePage(nonAscii, lossless);
    std::vector<TArgs> runs = Runs();
    EXPECT_EQ(runs[0], TArgs{"good-f2"});
    EXPECT_EQ(runs[1], TArgs{"good-g"});
    ASSERT_TRUE(lossless) << "this code page cannot spell the test's text";
    EXPECT_EQ(runs[2], TArgs{logged});

    // A save rewrites the good bindings and leaves the unreadable ones exactly as they were.
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    std::vector<std::string> goodNames;
    for (const auto& [name, b] : good) goodNames.push_back(name);
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled(goodNames, false); }));
    for (const auto& [name, b] : good) {
        TBinding want = b;
        want.Enabled = false;
        EXPECT_EQ(ReadValues(Key(name)), BindingValues(want)) << name;
    }
    for (const auto& [name, values] : badBefore) EXPECT_EQ(ReadValues(Key(name)), values) << name;
    std::set<std::string> keys(goodNames.begin(), goodNames.end());
    keys.insert(badNames.begin(), badNames.end());
    keys.insert("_FirstRun");
    std::vector<std::string> present = SubKeys(HotKeysKey());
    EXPECT_EQ(std::set<std::string>(present.begin(), present.end()), keys);
}

namespace {

// What `reg export` writes for a key, as sections of lines: "[key]" -> the value lines.
// The order of values inside a section is the registry's business, not the program's.
std::map<std::string, std::set<std::string>> RegExport(const std::string& key) {
    char temp[MAX_PATH + 1];
    ::GetTempPathA(sizeof temp, temp);
    const std::string file = std::string(temp) + "tarvo-export.reg";
    ::DeleteFileA(file.c_str());
    std::string command = "reg.exe export \"HKEY_CURRENT_USER\\" + key + "\" \"" + file + "\" /y";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi))
        return {};
    ::WaitForSingleObject(pi.hProcess, 30000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);

    // UTF-16LE with a byte-order mark.
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::wstring wide(static_cast<size_t>(::GetFileSize(h, nullptr)) / 2, L'\0');
    DWORD got = 0;
    ::ReadFile(h, wide.data(), static_cast<DWORD>(wide.size() * 2), &got, nullptr);
    ::CloseHandle(h);
    ::DeleteFileA(file.c_str());
    if (!wide.empty() && wide[0] == 0xFEFF) wide.erase(0, 1);
    std::string text(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                                nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                          static_cast<int>(text.size()), nullptr, nullptr);

    std::map<std::string, std::set<std::string>> sections;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line.rfind("Windows Registry Editor", 0) == 0) continue;
        if (line.front() == '[') {
            section = line;
            sections[section];
        } else {
            sections[section].insert(line);
        }
    }
    return sections;
}

}  // namespace

TEST_F(Store, RegExportOfTheFirstSaveShowsExactlyTheStoredLayout) {
    TTarvo tarvo;
    auto box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled({"F9"}, false); }));

    const std::string root = "[HKEY_CURRENT_USER\\" + HotKeysKey();
    const std::map<std::string, std::set<std::string>> expected = {
        {root + "]", {}},
        {root + "\\F9]",
         {"\"Address\"=\"http://www.morvane.example/tarvo/\"", "\"VirtualKey\"=dword:00000078",
          "\"Ctrl\"=dword:00000000", "\"Alt\"=dword:00000000", "\"Shift\"=dword:00000000",
          "\"Enabled\"=dword:00000000"}},
        {root + "\\_FirstRun]", {}},
    };
    EXPECT_EQ(RegExport(HotKeysKey()), expected);
}

// A placement value of the wrong type used to stop the start-up before any binding loaded,
// and the next save then deleted them all. Now it is told once, every binding loads, runs
// and stays stored; the bad value stays until the window is next hidden.
TEST_F(Store, AnUnusableSettingIsToldOnceAndEveryBindingStillLoadsRunsAndStays) {
    WriteValues(SettingsKey(), {{"MainLeft", StringValue("abc")}});
    const std::map<std::string, TBinding> stored = {
        {"F2", {Command("two"), VK_F2}},
        {"F3", {Command("three"), VK_F3, false, false, false, false}},
        {"F4", {Command("four"), VK_F4}},
        {"F5", {Command("five"), VK_F5}},
    };
    for (const auto& [name, b] : stored) WriteBinding(HotKeysKey(), name, b);
    TRegValues noAddress = BindingValues({"", VK_F6, false, false, true});
    noAddress.erase("Address");
    WriteValues(Key("Shift_F6"), noAddress);
    WriteValues(Key("_FirstRun"), {});
    const std::vector<std::string> names{"F2", "F3", "F4", "F5", "Shift_F6"};

    TTarvo tarvo;
    auto box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, "Tarvo2000");
    EXPECT_EQ(box->Text, "Invalid data type for 'MainLeft'");
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox()) << "told twice";
    using TRow = TTarvo::TRow;
    std::vector<TRow> rows;
    EXPECT_TRUE(WaitFor([&] { return (rows = tarvo.ListRows()).size() == 6; }, 3000));
    EXPECT_EQ(rows, (std::vector<TRow>{{Command("two"), "F2", 0},
                                                   {Command("three"), "F3", 1},
                                                   {Command("four"), "F4", 0},
                                                   {Command("five"), "F5", 0},
                                                   {"", "Shift+F6", 0},
                                                   {"", "", 0}}));
    for (WORD key : {VK_F2, VK_F4, VK_F5}) PressShortcut(key);
    ASSERT_TRUE(WaitForRuns(3));
    std::vector<TArgs> runs = Runs();
    std::sort(runs.begin(), runs.end());  // three programs start at once: any may log first
    EXPECT_EQ(runs, (std::vector<TArgs>{{"five"}, {"four"}, {"two"}}));
    PressShortcut(VK_F6, false, false, true);
    auto invalid = tarvo.WaitForMessageBox();
    ASSERT_TRUE(invalid);
    EXPECT_EQ(invalid->Caption, "Tarvo Error");
    EXPECT_EQ(invalid->Text, "Invalid action command:\r\n ");
    ASSERT_TRUE(tarvo.DismissMessageBox(*invalid));

    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled(names, false); }));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('e'));
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled(names, true); }));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
    ASSERT_TRUE(tarvo.WaitForExit());
    EXPECT_TRUE(StoredEnabled(names, true));
    EXPECT_EQ(ReadValue(SettingsKey(), "MainLeft"), StringValue("abc"));

    // The binding without an action is a row like any other: selected and deleted.
    box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    tarvo.ClickTray();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(tarvo.MainWindow()); }));
    tarvo.SelectRow(4);
    ::PostMessageA(tarvo.ListWindow(), WM_KEYDOWN, VK_DELETE, 0x01530001);
    auto confirm = tarvo.WaitForMessageBox();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->Caption, "Delete Confirm");
    ASSERT_TRUE(tarvo.DismissMessageBox(*confirm));
    ASSERT_TRUE(WaitFor([&] { return !KeyExists(Key("Shift_F6")); }));
    EXPECT_EQ(tarvo.ListRows().size(), 5u);
    EXPECT_TRUE(StoredEnabled({"F2", "F3", "F4", "F5"}, true));
    // Hiding writes the placement: the bad value is replaced by a good one.
    ::PostMessageA(tarvo.MainWindow(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_TRUE(WaitFor([&] { return ReadDword(SettingsKey(), "MainLeft").has_value(); }));
}
