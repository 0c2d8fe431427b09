// What the real program stores: the first save, the saved layout, the legacy import,
// unreadable bindings, and saves cut short by a killed process.
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

TEST_F(Store, EveryBindingIsWrittenWithItsSixTypedValues) {
    const std::map<std::string, TBinding> stored = {
        {"ControlAlt_X", {Command("x"), 'X', true, true, false, true}},
        {"F7", {Command("f7 \"with space\""), VK_F7, false, false, false, false}},
        {"ShiftAlt_Numpad5", {Command("n5"), VK_NUMPAD5, false, true, true, true}},
        {"ShiftControl_F1", {Command("f1"), VK_F1, true, false, true, true}},
    };
    std::vector<std::string> names;
    for (const auto& [name, b] : stored) {
        WriteBinding(HotKeysKey(), name, b);
        names.push_back(name);
    }
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_FALSE(tarvo.MessageBox());

    for (bool enabled : {false, true}) {
        ASSERT_TRUE(tarvo.ChooseFromTrayMenu(enabled ? 'e' : 'd'));
        ASSERT_TRUE(WaitFor([&] { return StoredEnabled(names, enabled); }));
        std::vector<std::string> expectedKeys = names;
        expectedKeys.push_back("_FirstRun");
        EXPECT_EQ(SubKeys(HotKeysKey()), expectedKeys);
        EXPECT_TRUE(ReadValues(Key("_FirstRun")).empty());
        for (const auto& [name, b] : stored) {
            TBinding want = b;
            want.Enabled = enabled;
            // Exactly these six values, REG_SZ and REG_DWORD, nothing more.
            EXPECT_EQ(ReadValues(Key(name)), BindingValues(want)) << name;
        }
        EXPECT_EQ(ShortcutTaken(VK_NUMPAD5, false, true, true), enabled);
    }
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

TEST_F(Store, LegacyKeyStaysWhileItHoldsAnUnreadableBinding) {
    const TBinding good{Command("legacy"), VK_F8, false, false, false, true};
    WriteBinding(LegacyHotKeysKey(UserName()), "F8", good);
    const std::string bad = LegacyHotKeysKey(UserName()) + "\\F11";
    WriteValues(bad, {{"Address", StringValue("x")}, {"VirtualKey", DwordValue(VK_F11)}, {"Ctrl", DwordValue(0)}});
    const TRegValues badBefore = ReadValues(bad);

    TTarvo tarvo;
    auto box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, "Tarvo Error");
    EXPECT_EQ(ListedNames(box->Text), std::set<std::string>{"F11"}) << box->Text;

    EXPECT_TRUE(ShortcutTaken(VK_F8));
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"F8", "_FirstRun"}));
    EXPECT_EQ(ReadValues(Key("F8")), BindingValues(good));
    EXPECT_EQ(ReadValues(bad), badBefore);
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
    // A missing Address is read as an empty command, and any number other than 0 as true:
    // loaded, not reported.
    TRegValues noAddress = BindingValues({"", VK_F3});
    noAddress.erase("Address");
    WriteValues(Key("F3"), noAddress);
    TRegValues shiftFive = BindingValues({Command("shift-five"), VK_F6, false, false, true});
    shiftFive["Shift"] = DwordValue(5);
    WriteValues(Key("Shift_F6"), shiftFive);

    std::map<std::string, TRegValues> bad;
    const TRegValues whole = BindingValues({Command("bad"), 'Q', true, false, false, true});
    for (const std::string value : {"Ctrl", "Alt", "Shift", "Enabled", "VirtualKey"}) {
        TRegValues missing = whole, mistyped = whole;
        missing.erase(value);
        mistyped[value] = StringValue(value == "VirtualKey" ? "81" : "1");
        bad["Missing_" + value] = missing;
        bad["Mistyped_" + value] = mistyped;
    }
    TRegValues numberAddress = whole;
    numberAddress["Address"] = DwordValue(7);
    bad["Mistyped_Address"] = numberAddress;
    for (DWORD code : {0u, 91u, 186u, 4096u}) {
        TRegValues v = whole;
        v["VirtualKey"] = DwordValue(code);
        bad["Key_" + std::to_string(code)] = v;
    }
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
    for (WORD key : {VK_F2, VK_F3, VK_F4, VK_F5}) EXPECT_TRUE(ShortcutTaken(key)) << key;
    EXPECT_TRUE(ShortcutTaken(VK_F6, false, false, true));
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
    std::vector<std::string> goodNames{"F3", "Shift_F6"};
    for (const auto& [name, b] : good) goodNames.push_back(name);
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled(goodNames, false); }));
    for (const auto& [name, b] : good) {
        TBinding want = b;
        want.Enabled = false;
        EXPECT_EQ(ReadValues(Key(name)), BindingValues(want)) << name;
    }
    // Rewritten whole, the way every binding is stored.
    EXPECT_EQ(ReadValues(Key("F3")), BindingValues({"", VK_F3, false, false, false, false}));
    EXPECT_EQ(ReadValues(Key("Shift_F6")),
              BindingValues({Command("shift-five"), VK_F6, false, false, true, false}));
    for (const auto& [name, values] : badBefore) EXPECT_EQ(ReadValues(Key(name)), values) << name;
    std::set<std::string> keys(goodNames.begin(), goodNames.end());
    keys.insert(badNames.begin(), badNames.end());
    keys.insert("_FirstRun");
    std::vector<std::string> present = SubKeys(HotKeysKey());
    EXPECT_EQ(std::set<std::string>(present.begin(), present.end()), keys);
}

TEST_F(Store, BindingKeyNamedInAnotherLetterCaseSurvivesASave) {
    // Registry key names ignore case: "f7" is the key the program calls F7.
    const TBinding f7{Command("lower-f7"), VK_F7};
    const TBinding x{Command("lower-x"), 'X', true, true};
    WriteBinding(HotKeysKey(), "f7", f7);
    WriteBinding(HotKeysKey(), "controlalt_x", x);
    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(tarvo.RoundTrip());

    TBinding off = f7;
    off.Enabled = false;
    EXPECT_EQ(ParseBinding(ReadValues(Key("F7"))), off);
    off = x;
    off.Enabled = false;
    EXPECT_EQ(ParseBinding(ReadValues(Key("ControlAlt_X"))), off);

    // And the next start still has both.
    tarvo.Kill();
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('e'));
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    EXPECT_TRUE(ShortcutTaken('X', true, true));
}

TEST_F(Store, ASecondBindingForOneShortcutIsReportedAndKeptThroughASave) {
    // "Mine" holds the same shortcut as F7 under a name of its own: only one can run.
    const TBinding f7{Command("own-f7"), VK_F7};
    const TBinding mine{Command("mine"), VK_F7};
    WriteBinding(HotKeysKey(), "F7", f7);
    WriteBinding(HotKeysKey(), "Mine", mine);
    TTarvo tarvo;
    auto box = tarvo.StartPastMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, "Tarvo Error");
    EXPECT_EQ(ListedNames(box->Text), std::set<std::string>{"Mine"}) << box->Text;
    EXPECT_TRUE(ShortcutTaken(VK_F7));

    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(tarvo.RoundTrip());
    TBinding off = f7;
    off.Enabled = false;
    EXPECT_EQ(ParseBinding(ReadValues(Key("F7"))), off);
    EXPECT_EQ(ParseBinding(ReadValues(Key("Mine"))), mine);  // untouched
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

TEST_F(Store, ANewBindingWhoseSaveWasCutShortIsNeitherLoadedNorReported) {
    const TBinding kept{Command("kept"), VK_F2};
    WriteBinding(HotKeysKey(), "F2", kept);
    // As a save leaves a new binding when killed half-way: marked, some values missing.
    TRegValues half = BindingValues({Command("half"), VK_F3});
    half.erase("Enabled");
    half.erase("Shift");
    half["~Unfinished"] = DwordValue(1);
    WriteValues(Key("F3"), half);
    WriteValues(Key("F4"), {});  // created, not one value written yet

    TTarvo tarvo;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    EXPECT_FALSE(tarvo.MessageBox());
    EXPECT_TRUE(ShortcutTaken(VK_F2));
    EXPECT_FALSE(ShortcutTaken(VK_F3));

    // The whole bindings key goes from under the program: the next save writes every
    // binding anew, complete and without the mark, and the unfinished ones are gone.
    DeleteTree(HotKeysKey());
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
    ASSERT_TRUE(WaitFor([&] { return StoredEnabled({"F2"}, false); }));
    TBinding off = kept;
    off.Enabled = false;
    EXPECT_EQ(ReadValues(Key("F2")), BindingValues(off));
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"F2", "_FirstRun"}));
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
