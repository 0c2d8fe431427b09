// The binding store against the real registry: what a load takes and leaves, what a save
// deletes, and saves and legacy moves cut short at every single registry call they make.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "settings/BindingStore.h"
#include "settings/Settings.h"

// Readable failures: the shortcut, the action and whether it is on.
void PrintTo(const TBinding& b, std::ostream* os) {
    *os << b.ShortcutText() << " \"" << b.Action << "\"" << (b.Enabled ? "" : " off");
}

namespace {

const char* const kCompany = "TarvoStoreTest";
const char* const kLegacy = "TarvoStoreTestLegacy";
const char* const kUser = "Tester";

std::string HotKeys(const char* company) {
    return std::string("Software\\") + company + "\\Tarvo\\" + kUser + "\\HotKeys";
}
const std::string kKey = HotKeys(kCompany);

// A value as the registry holds it: type and raw bytes.
using TValue = std::pair<DWORD, std::string>;
using TValues = std::map<std::string, TValue>;

TValue Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
TValue Dword(DWORD v) { return {REG_DWORD, std::string(reinterpret_cast<const char*>(&v), sizeof v)}; }

TValues ReadValues(const std::string& path) {
    TValues values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        if (::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size)) break;
        std::string data(size, '\0');
        nameLength = sizeof name;
        ::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        values[name] = {type, data.substr(0, size)};
    }
    ::RegCloseKey(key);
    return values;
}

void WriteValues(const std::string& path, const TValues& values) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, v] : values)
        ::RegSetValueExA(key, name.c_str(), 0, v.first, reinterpret_cast<const BYTE*>(v.second.data()),
                         static_cast<DWORD>(v.second.size()));
    ::RegCloseKey(key);
}

std::vector<std::string> SubKeys(const std::string& path) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return names;
    char name[256];
    for (DWORD i = 0, n = sizeof name; !::RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
         ++i, n = sizeof name)
        names.push_back(name);
    ::RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

TBinding B(const std::string& action, int code, bool ctrl = false, bool alt = false, bool enabled = true) {
    return *MakeBinding(action, code, ctrl, alt, false, enabled);
}

// The six values exactly as a save writes them.
TValues Whole(const TBinding& b) {
    return {{"Address", Sz(b.Action)}, {"VirtualKey", Dword(static_cast<DWORD>(b.VirtualKey()))},
            {"Ctrl", Dword(b.Ctrl())},  {"Alt", Dword(b.Alt())},
            {"Shift", Dword(b.Shift())}, {"Enabled", Dword(b.Enabled)}};
}
void Store(const TBinding& b, const std::string& name = "") {
    WriteValues(kKey + "\\" + (name.empty() ? b.SubkeyName() : name), Whole(b));
}
// Some of a binding's values, as a write cut short leaves them.
TValues Part(const TBinding& b, std::initializer_list<const char*> names) {
    TValues all = Whole(b), part;
    for (const char* n : names) part[n] = all[n];
    return part;
}

using TByName = std::map<std::string, TBinding>;
TByName ByName(const std::vector<TBinding>& list) {
    TByName m;
    for (const TBinding& b : list) m[b.SubkeyName()] = b;
    return m;
}

// Counts the registry calls that write and fails every one from a given call on, as a
// process killed at that moment would leave things.
struct TCut {
    int Calls = 0;
    int From = 0;  // 0: nothing fails
    TRegistryApi Api() {
        TRegistryApi api;
        const TRegistryApi& sys = TRegistryApi::System();
        auto dead = [this] { return ++Calls >= From && From > 0; };
        api.OpenKey = [&sys, dead](HKEY p, LPCSTR s, REGSAM a, HKEY* r) {
            return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : sys.OpenKey(p, s, a, r);
        };
        api.CreateKey = [&sys, dead](HKEY p, LPCSTR s, REGSAM a, HKEY* r) {
            return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : sys.CreateKey(p, s, a, r);
        };
        api.SetValue = [&sys, dead](HKEY k, LPCSTR n, DWORD t, const BYTE* d, DWORD z) {
            return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : sys.SetValue(k, n, t, d, z);
        };
        api.DeleteKey = [&sys, dead](HKEY p, LPCSTR s) {
            return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : sys.DeleteKey(p, s);
        };
        api.DeleteValue = [&sys, dead](HKEY k, LPCSTR n) {
            return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : sys.DeleteValue(k, n);
        };
        return api;
    }
};

class BindingStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        reg.SetApplication("Tarvo");
        reg.SetCompany(kCompany);
        reg.SetUser(kUser);
    }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* company : {kCompany, kLegacy})
            ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + company).c_str());
    }
    TLoadedBindings LoadFresh() {
        TBindingStore store(&reg, kLegacy);
        return store.Load();
    }
    // The bindings key holds exactly these bindings, each as a save writes it, and no marks.
    void ExpectStoredExactly(const std::vector<TBinding>& bindings) {
        std::vector<std::string> names{"_FirstRun"};
        for (const TBinding& b : bindings) names.push_back(b.SubkeyName());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(SubKeys(kKey), names);
        EXPECT_TRUE(ReadValues(kKey).empty()) << "a value on the bindings key";
        for (const TBinding& b : bindings) EXPECT_EQ(ReadValues(kKey + "\\" + b.SubkeyName()), Whole(b)) << b.SubkeyName();
    }

    TQmReg reg{nullptr};
};

struct TCutCase {
    const char* Name;
    std::function<void()> Before;  // the registry as the save finds it
    std::vector<TBinding> After;   // what the save stores
};

const TBinding kA = B("a", VK_F7), kA2 = B("a, edited", VK_F7, false, false, false);
const TBinding kC = B("c", 'X', true, true), kD = B("d", VK_F8, true);

std::vector<TCutCase> CutCases() {
    return {
        {"NewBindings", [] {}, {kA, kC, kD}},
        {"OneValueEach", [] { Store(kA), Store(kC), Store(kD); },
         {B("a", VK_F7, false, false, false), B("c", 'X', true, true, false), B("d, edited", VK_F8, true)}},
        {"WholeRewrites", [] { Store(kA), Store(kC); }, {kA2, B("c, edited", 'X', true, true, false)}},
        {"HandWrittenValuesRewritten",
         [] {
             TValues odd = Whole(kC);
             odd["Ctrl"] = Dword(5);  // read as on, never written so
             WriteValues(kKey + "\\" + kC.SubkeyName(), odd);
         },
         {B("c", 'X', true, true, false)}},
        {"ShortcutMovesAndOneGoes", [] { Store(kA), Store(kD); }, {B("a", VK_F7, true)}},
        {"StagingCopyLeftByACutSave",
         [] {
             WriteValues(kKey + "\\F7", Part(kA2, {"Address", "VirtualKey", "Ctrl"}));
             Store(kA, "~F7");
         },
         {B("a, third", VK_F7), kD}},
        {"StaleIncompleteStagingCopy",
         [] {
             Store(kA);
             WriteValues(kKey + "\\~F7", Part(kA2, {"Address", "Enabled"}));
         },
         {kA2}},
        {"MarkLeftOnACompleteBinding",
         [] {
             TValues marked = Whole(kA);
             marked["~Unfinished"] = Dword(1);
             WriteValues(kKey + "\\F7", marked);
         },
         {kA, kD}},
    };
}

void PrintTo(const TCutCase& c, std::ostream* os) { *os << c.Name; }

class BindingStoreCutTest : public BindingStoreTest, public ::testing::WithParamInterface<TCutCase> {};

}  // namespace

// However early a save stops, the next start finds every binding as it was or as the save
// meant it, reports nothing, and the same run's next save stores the list exactly.
TEST_P(BindingStoreCutTest, ASaveCutAtAnyCallLosesNothing) {
    const TCutCase& c = GetParam();
    TCut count;
    int calls = 0;
    for (int from = 0; from == 0 || from <= calls; ++from) {
        SCOPED_TRACE(std::string(c.Name) + ", cut at call " + std::to_string(from) + " of " + std::to_string(calls));
        Clean();
        c.Before();
        TBindingStore store(&reg, kLegacy);
        const TLoadedBindings loaded = store.Load();
        ASSERT_TRUE(loaded.Unreadable.empty());
        const TByName before = ByName(loaded.Bindings), after = ByName(c.After);
        TCut cut{0, from};
        reg.SetRegistryApi(cut.Api());
        bool stopped = false;
        try {
            store.Save(c.After);
        } catch (const ERegistryException&) {
            stopped = true;
        }
        reg.SetRegistryApi(TRegistryApi());
        if (from == 0) {
            ASSERT_FALSE(stopped);
            ExpectStoredExactly(c.After);
            calls = cut.Calls;
            ASSERT_GT(calls, 0);
            continue;
        }
        EXPECT_TRUE(stopped) << "the cut went unnoticed";

        const TLoadedBindings next = LoadFresh();
        EXPECT_TRUE(next.Unreadable.empty()) << next.Unreadable.front();
        const TByName found = ByName(next.Bindings);
        std::set<std::string> names;
        for (const auto& m : {before, after, found})
            for (const auto& [name, b] : m) names.insert(name);
        for (const std::string& name : names) {
            auto is = found.find(name), was = before.find(name), will = after.find(name);
            const bool asBefore = is == found.end() ? was == before.end() : was != before.end() && was->second == is->second;
            const bool asAfter = is == found.end() ? will == after.end() : will != after.end() && will->second == is->second;
            EXPECT_TRUE(asBefore || asAfter) << name << (is == found.end() ? " is gone" : " reads otherwise");
        }
        store.Save(c.After);
        ExpectStoredExactly(c.After);
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, BindingStoreCutTest, ::testing::ValuesIn(CutCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// Legacy bindings move once; a move cut short is finished by the next start, and no binding
// is ever readable from neither key.
TEST_F(BindingStoreTest, ALegacyMoveCutAtAnyCallIsFinishedByTheNextStart) {
    const std::vector<TBinding> legacy{kA, kC, B("e", VK_F2, false, false, false)};
    auto plant = [&] {
        for (const TBinding& b : legacy) WriteValues(HotKeys(kLegacy) + "\\" + b.SubkeyName(), Whole(b));
        WriteValues(std::string("Software\\") + kLegacy + "\\Tarvo\\Another User\\HotKeys\\F3", Whole(kD));
    };
    int calls = 0;
    for (int from = 0; from == 0 || from <= calls; ++from) {
        SCOPED_TRACE("cut at call " + std::to_string(from) + " of " + std::to_string(calls));
        Clean();
        plant();
        TCut cut{0, from};
        reg.SetRegistryApi(cut.Api());
        TLoadedBindings first = LoadFresh();
        reg.SetRegistryApi(TRegistryApi());
        EXPECT_EQ(ByName(first.Bindings), ByName(legacy));
        EXPECT_EQ(first.MoveError.empty(), from == 0) << first.MoveError;
        if (from == 0) calls = cut.Calls;

        const TLoadedBindings next = LoadFresh();
        EXPECT_TRUE(next.Unreadable.empty());
        EXPECT_TRUE(next.MoveError.empty()) << next.MoveError;
        EXPECT_EQ(ByName(next.Bindings), ByName(legacy));
        ExpectStoredExactly(legacy);
        EXPECT_TRUE(SubKeys(HotKeys(kLegacy)).empty()) << "the legacy bindings are still there";
        if (from == 0) EXPECT_TRUE(SubKeys(std::string("Software\\") + kLegacy).empty()) << "the legacy key";
    }
}

TEST_F(BindingStoreTest, LegacyBindingsStayWhereTheyAreWhileTheCurrentKeyCannotBeWritten) {
    WriteValues(HotKeys(kLegacy) + "\\F7", Whole(kA));
    TRegistryApi api;
    api.CreateKey = [](HKEY, LPCSTR, REGSAM, HKEY*) -> LSTATUS { return ERROR_ACCESS_DENIED; };
    reg.SetRegistryApi(api);
    const TLoadedBindings loaded = LoadFresh();
    EXPECT_EQ(loaded.Bindings, std::vector<TBinding>{kA});
    EXPECT_EQ(loaded.MoveError.rfind("Failed to create key", 0), 0u) << loaded.MoveError;
    EXPECT_EQ(ReadValues(HotKeys(kLegacy) + "\\F7"), Whole(kA));
    EXPECT_TRUE(SubKeys(kKey).empty());
}

TEST_F(BindingStoreTest, ASaveDeletesOnlyWhatThisRunLoadedOrWrote) {
    Store(kA);
    TBindingStore store(&reg, kLegacy);
    store.Load();
    Store(kD);  // another program, after the load
    store.Save({kC});
    EXPECT_EQ(SubKeys(kKey), (std::vector<std::string>{"ControlAlt_X", "Control_F8", "_FirstRun"}));

    // A store whose load never ran deletes nothing at all.
    TBindingStore unloaded(&reg, kLegacy);
    unloaded.Save({kA});
    EXPECT_EQ(SubKeys(kKey), (std::vector<std::string>{"ControlAlt_X", "Control_F8", "F7", "_FirstRun"}));
    EXPECT_FALSE(unloaded.LoadCompleted());
}

// Past the first subkeys under names no shortcut has, the rest are read once the program
// runs, in slices, to the same outcome; a save meanwhile leaves every one of them alone.
TEST_F(BindingStoreTest, SubkeysUnderOtherNamesPastTheFirstAreReadLaterInSlices) {
    const size_t junk = TBindingStore::kForeignAtLoad + 10;
    for (size_t i = 0; i < junk; ++i)
        WriteValues(kKey + "\\Junk" + std::to_string(10000 + i), i % 2 ? TValues{{"Note", Sz("x")}} : TValues{});
    Store(kA);
    Store(kD, "Zz_Moved");  // under a name not its own: listed last, so read later
    Store(kC, "Zz_Taken");  // its shortcut is bound while it waits
    TBindingStore store(&reg, kLegacy);
    const TLoadedBindings first = store.Load();
    EXPECT_EQ(ByName(first.Bindings), ByName({kA}));
    EXPECT_EQ(first.Pending, 12u);
    store.Save({kA, kC});
    // Gone: the empty junk read at the load. Still there: the junk left for later, both Zz_.
    EXPECT_EQ(SubKeys(kKey).size(), junk - TBindingStore::kForeignAtLoad / 2 + 5);

    std::vector<TBinding> later;
    std::vector<std::string> unreadable = first.Unreadable;
    for (int slice = 0; slice < 3; ++slice) {
        const TLoadedBindings more = store.LoadMore(5, {kA, kC});
        later.insert(later.end(), more.Bindings.begin(), more.Bindings.end());
        EXPECT_EQ(more.Pending, slice < 2 ? 7u - 5u * slice : 0u);
        // Told once, with the last slice.
        if (more.Pending) EXPECT_TRUE(more.Unreadable.empty());
        unreadable.insert(unreadable.end(), more.Unreadable.begin(), more.Unreadable.end());
    }
    EXPECT_EQ(ByName(later), ByName({kD}));
    EXPECT_EQ(unreadable.size(), junk / 2 + 1);
    EXPECT_EQ(unreadable.back(), "Zz_Taken");
    // The next save takes the binding to its own name and drops the empty junk; what could not
    // be read stays as it was.
    store.Save({kA, kC, kD});
    EXPECT_EQ(SubKeys(kKey).size(), junk / 2 + 5);
    EXPECT_EQ(ReadValues(kKey + "\\Zz_Taken"), Whole(kC));
    EXPECT_EQ(ReadValues(kKey + "\\Junk10001"), (TValues{{"Note", Sz("x")}}));
    EXPECT_EQ(ReadValues(kKey + "\\" + kD.SubkeyName()), Whole(kD));
}

// What each kind of leftover or damaged subkey becomes: loaded, dropped silently as a save
// cut short (and removed by the next save), or reported and kept as it is.
TEST_F(BindingStoreTest, LeftoversAreTakenDroppedOrReportedByWhatTheyHold) {
    TValues markedHalf = Part(kC, {"Address", "VirtualKey"});
    markedHalf["~Unfinished"] = Dword(1);
    WriteValues(kKey + "\\ControlAlt_X", markedHalf);            // dropped
    WriteValues(kKey + "\\F2", {});                               // dropped: created, nothing in it
    WriteValues(kKey + "\\F3", Part(kA, {"Address", "Ctrl"}));    // reported: no mark
    TValues foreign = markedHalf;
    foreign["Note"] = Sz("mine");
    WriteValues(kKey + "\\F4", foreign);                          // reported: not only our values
    WriteValues(kKey + "\\_firstrun", {});                        // the save marker in any case
    Store(kD);
    const TLoadedBindings loaded = LoadFresh();
    EXPECT_EQ(loaded.Bindings, std::vector<TBinding>{kD});
    EXPECT_EQ(std::set<std::string>(loaded.Unreadable.begin(), loaded.Unreadable.end()),
              (std::set<std::string>{"F3", "F4"}));

    TBindingStore store(&reg, kLegacy);
    store.Load();
    store.Save({kD});
    EXPECT_EQ(SubKeys(kKey), (std::vector<std::string>{"Control_F8", "F3", "F4", "_firstrun"}));
}

namespace {

// A subkey the load cannot take as a binding of its own, and what a save of a list then does.
struct THeldCase {
    const char* Name;
    std::function<void()> Plant;
    std::set<std::string> Held;   // reported, and left byte for byte by the save
    std::vector<TBinding> Save;   // the list saved after the load
    std::vector<TBinding> Stored;  // each under its own subkey afterwards, exactly
    const char* Refused;          // the subkey the save's error names, if it must fail
    std::vector<std::pair<TBinding, std::optional<std::string>>> HeldBy;
};

const TBinding kF5 = *MakeBinding("f5", VK_F5, true, true, false, true);
const TBinding kF9 = *MakeBinding("f9", VK_F9, true, true, false, true);
const TBinding kF10 = *MakeBinding("f10", VK_F10, true, true, false, true);

std::vector<THeldCase> HeldCases() {
    const TBinding f9Edited = *MakeBinding("f9, edited", VK_F9, true, true, false, false);
    return {
        {"DamagedKeyAndTheSameShortcutSaved",
         [] { WriteValues(kKey + "\\CONTROLALT_f5", Part(kF5, {"Address", "VirtualKey", "Ctrl", "Alt", "Enabled"})); },
         {"CONTROLALT_f5"}, {kF5, kA}, {kA}, "CONTROLALT_f5",
         {{kF5, "CONTROLALT_f5"}, {kA, std::nullopt}}},
        {"CopyOfAnotherShortcutBesideItsKey",
         [] { Store(kF9), Store(kF10, "~ControlAlt_F9"); },
         {"~ControlAlt_F9"}, {f9Edited}, {f9Edited}, nullptr,
         {{kF9, std::nullopt}, {kF10, "~ControlAlt_F9"}}},
        {"CopyOfAnotherShortcutAlone",
         [] { Store(kF10, "~ControlAlt_F9"); },
         {"~ControlAlt_F9"}, {kF9, kF10}, {kF9, kF10}, nullptr, {}},
        {"CopyCutShortWithAnotherKeyCode",
         [] { Store(kA), WriteValues(kKey + "\\~F7", Part(kD, {"Address", "VirtualKey"})); },
         {"~F7"}, {kA2}, {kA2}, nullptr, {}},
        {"CopyMarkedUnfinished",
         [] {
             TValues marked = Whole(kA2);
             marked["~Unfinished"] = Dword(1);
             Store(kA), WriteValues(kKey + "\\~F7", marked);
         },
         {"~F7"}, {kA2}, {kA2}, nullptr, {}},
        {"SecondKeyForOneShortcut",
         [] { Store(kA), Store(kA2, "Mine"); },
         {"Mine"}, {kA2}, {kA2}, nullptr, {}},
    };
}

void PrintTo(const THeldCase& c, std::ostream* os) { *os << c.Name; }

class BindingStoreHeldTest : public BindingStoreTest, public ::testing::WithParamInterface<THeldCase> {};

}  // namespace

TEST_P(BindingStoreHeldTest, WhatCannotBeReadIsKeptByEverySave) {
    const THeldCase& c = GetParam();
    c.Plant();
    std::map<std::string, TValues> planted;
    for (const std::string& name : c.Held) planted[name] = ReadValues(kKey + "\\" + name);
    TBindingStore store(&reg, kLegacy);
    const TLoadedBindings loaded = store.Load();
    EXPECT_EQ(std::set<std::string>(loaded.Unreadable.begin(), loaded.Unreadable.end()), c.Held);
    for (const auto& [b, held] : c.HeldBy) EXPECT_EQ(store.HeldBy(b), held) << b.SubkeyName();
    std::string error;
    try {
        store.Save(c.Save);
    } catch (const ERegistryException& e) {
        error = e.what();
    }
    if (c.Refused)
        EXPECT_NE(error.find(std::string("'") + c.Refused + "'"), std::string::npos) << error;
    else
        EXPECT_EQ(error, "");
    for (const auto& [name, values] : planted) EXPECT_EQ(ReadValues(kKey + "\\" + name), values) << name;
    for (const TBinding& b : c.Stored) EXPECT_EQ(ReadValues(kKey + "\\" + b.SubkeyName()), Whole(b)) << b.SubkeyName();
    const TLoadedBindings next = LoadFresh();
    EXPECT_EQ(std::set<std::string>(next.Unreadable.begin(), next.Unreadable.end()), c.Held);
    EXPECT_EQ(ByName(next.Bindings), ByName(c.Stored));
}

INSTANTIATE_TEST_SUITE_P(Kept, BindingStoreHeldTest, ::testing::ValuesIn(HeldCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// A binding of a resumed legacy move whose current subkey cannot be read stays listed and in
// the legacy key; the move says why it did not finish.
TEST_F(BindingStoreTest, AResumedMoveDoesNotGoOverAKeyThatCannotBeRead) {
    const TValues damaged = Part(kF5, {"Address", "VirtualKey", "Ctrl", "Alt", "Enabled"});
    WriteValues(kKey, {{"~Moving", Dword(1)}});
    WriteValues(kKey + "\\ControlAlt_F5", damaged);
    WriteValues(HotKeys(kLegacy) + "\\ControlAlt_F5", Whole(kF5));
    WriteValues(HotKeys(kLegacy) + "\\F7", Whole(kA));
    const TLoadedBindings loaded = LoadFresh();
    EXPECT_EQ(ByName(loaded.Bindings), ByName({kF5, kA}));
    EXPECT_NE(loaded.MoveError.find("'ControlAlt_F5'"), std::string::npos) << loaded.MoveError;
    EXPECT_EQ(ReadValues(kKey + "\\ControlAlt_F5"), damaged);
    EXPECT_EQ(ReadValues(HotKeys(kLegacy) + "\\ControlAlt_F5"), Whole(kF5));
    EXPECT_EQ(ReadValues(kKey + "\\F7"), Whole(kA));
}

TEST_F(BindingStoreTest, PlacementAndOptionValuesThatCannotBeUsedAreNamed) {
    const std::string settings = std::string("Software\\") + kCompany + "\\Settings";
    WriteValues(settings, {{"MainLeft", Sz("abc")}, {"MainTop", Dword(static_cast<DWORD>(-40))},
                           {"MainWidth", Dword(0)}, {"NewBrowser", Sz("1")}});
    TQmRegSession session(&reg);
    ASSERT_TRUE(session->OpenKeyReadOnly("\\" + settings));
    std::vector<std::string> errors;
    const TStoredPlacement p = ReadStoredPlacement(*session, errors);
    EXPECT_FALSE(p.Left);
    EXPECT_EQ(p.Top, -40);  // off the screen's edge, but a place a window can be
    EXPECT_FALSE(p.Width);
    EXPECT_FALSE(p.Height);  // missing: no complaint
    EXPECT_FALSE(ReadNewBrowser(*session, errors));
    EXPECT_EQ(errors, (std::vector<std::string>{"Invalid data type for 'MainLeft'",
                                                "Value out of range for 'MainWidth': 0",
                                                "Invalid data type for 'NewBrowser'"}));
}

TEST_F(BindingStoreTest, ASettingsReadIsDoneWithTheRegistryClosedAfterAndItsProblemsALineEach) {
    const std::string settings = "\\Software\\" + std::string(kCompany) + "\\Settings";
    int reads = 0;
    auto read = [&](const TRegistry& r, std::vector<std::string>& errors) {
        ++reads;
        EXPECT_TRUE(reg.Active());
        EXPECT_TRUE(r.ValueExists("MainTop"));
        errors.push_back("first");
        errors.push_back("second");
    };
    EXPECT_EQ(ReadSettings(&reg, settings, read), "");  // no key: nothing read
    EXPECT_EQ(reads, 0);
    WriteValues(settings.substr(1), {{"MainTop", Dword(4)}});
    EXPECT_EQ(ReadSettings(&reg, settings, read), "first\r\nsecond");
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(reg.Active());
    EXPECT_THROW(ReadSettings(&reg, settings, [](const TRegistry&, auto&) { throw std::runtime_error("read failed"); }),
                 std::runtime_error);
    EXPECT_FALSE(reg.Active());
}

// The codes the registry stores and the system registers are Windows' own.
TEST(KeyTable, EveryCodeIsTheSystemsVirtualKeyOfThatName) {
    std::vector<int> expected{0,         VK_CANCEL, VK_BACK,   VK_TAB,     VK_CLEAR,  VK_RETURN,
                              VK_PAUSE,  VK_CAPITAL, VK_ESCAPE, VK_SPACE,  VK_PRIOR,  VK_NEXT,
                              VK_END,    VK_HOME,   VK_LEFT,   VK_UP,      VK_RIGHT,  VK_DOWN,
                              VK_SELECT, VK_EXECUTE, VK_SNAPSHOT, VK_INSERT, VK_DELETE, VK_HELP};
    for (int c = '0'; c <= '9'; ++c) expected.push_back(c);
    for (int c = 'A'; c <= 'Z'; ++c) expected.push_back(c);
    for (int i = 0; i < 10; ++i) expected.push_back(VK_NUMPAD0 + i);
    for (int vk : {VK_MULTIPLY, VK_ADD, VK_SEPARATOR, VK_SUBTRACT, VK_DECIMAL, VK_DIVIDE}) expected.push_back(vk);
    for (int i = 0; i < 24; ++i) expected.push_back(VK_F1 + i);
    for (int vk : {VK_NUMLOCK, VK_SCROLL, VK_APPS}) expected.push_back(vk);
    ASSERT_EQ(expected.size(), static_cast<size_t>(KeyCount));
    for (int i = 0; i < KeyCount; ++i) EXPECT_EQ(KeyCodes[static_cast<size_t>(i)], expected[static_cast<size_t>(i)]) << KeyNames[static_cast<size_t>(i)];
}
