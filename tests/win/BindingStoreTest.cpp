// The binding store against the real registry: saves and legacy moves cut short at every
// single registry call they make, one round trip of each kind of write, and a real key's
// letter case. What each kind of subkey means is tested without the registry
// (tests/unit/BindingKeysTest.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/BindingStore.h"
#include "settings/Settings.h"

void PrintTo(const TBinding& b, std::ostream* os) { *os << b.ShortcutText() << " \"" << b.Action << "\"" << (b.Enabled ? "" : " off"); }

namespace {

const char* const kCompany = "TarvoStoreTest";
const char* const kLegacy = "TarvoStoreTestLegacy";
const char* const kUser = "Tester";

std::string HotKeys(const char* company) {
    return std::string("Software\\") + company + "\\Tarvo\\" + kUser + "\\HotKeys";
}
const std::string kKey = HotKeys(kCompany);

// A value as the registry holds it: type and raw bytes.
using TValues = std::map<std::string, std::pair<DWORD, std::string>>;
std::pair<DWORD, std::string> Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
std::pair<DWORD, std::string> Dword(DWORD v) { return {REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4)}; }

TValues ReadValues(const std::string& path) {
    TValues values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return values;
    std::string name(256, '\0'), data(1 << 17, '\0');
    for (DWORD i = 0, n = 256, type = 0, size = 1 << 17;
         !::RegEnumValueA(key, i, name.data(), &n, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
         ++i, n = 256, size = 1 << 17)
        values[name.substr(0, n)] = {type, data.substr(0, size)};
    ::RegCloseKey(key);
    return values;
}

void WriteValues(const std::string& path, const TValues& values) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
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

std::map<std::string, TBinding> ByName(const std::vector<TBinding>& list) {
    std::map<std::string, TBinding> m;
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
        auto cut = [dead](auto real) {
            return [dead, real](auto... args) { return dead() ? LSTATUS{ERROR_ACCESS_DENIED} : real(args...); };
        };
        api.OpenKey = cut(sys.OpenKey);
        api.CreateKey = cut(sys.CreateKey);
        api.SetValue = cut(sys.SetValue);
        api.DeleteKey = cut(sys.DeleteKey);
        api.DeleteValue = cut(sys.DeleteValue);
        return api;
    }
};

class BindingStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        reg.SetApplication("Tarvo"), reg.SetCompany(kCompany), reg.SetUser(kUser);
    }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* company : {kCompany, kLegacy})
            ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + company).c_str());
    }
    TLoadedBindings LoadFresh() { return TBindingStore(&reg, kLegacy).Load(); }
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

// One of each kind of write: new bindings (text beyond one code page and 64 KiB among them),
// one value changed, a whole rewrite through a staging copy, a copy a cut save left, a leftover.
std::vector<TCutCase> CutCases() {
    const TBinding wide = B("gr\xC3\xBC\xC3\x9F" "e caf\xC3\xA9", 'Q'), big = B(std::string(64 * 1024, 'a'), VK_F2);
    return {
        {"NewBindings", [] {}, {kA, wide, big}},
        {"OneValueEach", [] { Store(kA), Store(kC); }, {B("a", VK_F7, false, false, false), B("c, edited", 'X', true, true)}},
        {"WholeRewrite", [] { Store(kA); }, {kA2}},
        {"CopyLeftByACutSave",
         [] {
             WriteValues(kKey + "\\F7", {{"Address", Sz("half")}});
             Store(kA, "~F7");
         },
         {B("a, third", VK_F7)}},
        {"ShortcutMovesAndOneGoes", [] { Store(kA), Store(kD); }, {B("a", VK_F7, true)}},
    };
}

void PrintTo(const TCutCase& c, std::ostream* os) { *os << c.Name; }

class BindingStoreCutTest : public BindingStoreTest, public ::testing::WithParamInterface<TCutCase> {};

}  // namespace

// However early a save stops, the next start finds every binding as it was or as the save
// meant it, reports nothing, and the same run's next save stores the list exactly.
TEST_P(BindingStoreCutTest, ASaveCutAtAnyCallLosesNothing) {
    const TCutCase& c = GetParam();
    int calls = 0;
    for (int from = 0; from == 0 || from <= calls; ++from) {
        SCOPED_TRACE(std::string(c.Name) + ", cut at call " + std::to_string(from) + " of " + std::to_string(calls));
        Clean();
        c.Before();
        TBindingStore store(&reg, kLegacy);
        const TLoadedBindings loaded = store.Load();
        ASSERT_TRUE(loaded.Unreadable.empty());
        const auto before = ByName(loaded.Bindings), after = ByName(c.After);
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
            EXPECT_EQ(ByName(LoadFresh().Bindings), after);
            ASSERT_GT(calls = cut.Calls, 0);
            continue;
        }
        EXPECT_TRUE(stopped) << "the cut went unnoticed";

        const TLoadedBindings next = LoadFresh();
        EXPECT_TRUE(next.Unreadable.empty()) << next.Unreadable.front();
        for (const auto& [name, b] : ByName(next.Bindings)) {
            const bool asBefore = before.count(name) && before.at(name) == b;
            EXPECT_TRUE(asBefore || (after.count(name) && after.at(name) == b)) << name << " reads otherwise";
        }
        for (const auto& [name, b] : before)
            EXPECT_TRUE(ByName(next.Bindings).count(name) || !after.count(name)) << name << " is gone";
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
    int calls = 0;
    for (int from = 0; from == 0 || from <= calls; ++from) {
        SCOPED_TRACE("cut at call " + std::to_string(from) + " of " + std::to_string(calls));
        Clean();
        for (const TBinding& b : legacy) WriteValues(HotKeys(kLegacy) + "\\" + b.SubkeyName(), Whole(b));
        WriteValues(std::string("Software\\") + kLegacy + "\\Tarvo\\Another User\\HotKeys\\F3", Whole(kD));
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

// The registry ignores the letter case of key names: a binding stored as "f7" is F7's key,
// written where it is, in place beside someone else's copy too, and never doubled.
TEST_F(BindingStoreTest, AKeyNamedInAnotherLetterCaseIsTheBindingsOwn) {
    const TBinding f9 = B("f9", VK_F9, true, true), f9Edited = B("f9, edited", VK_F9, true, true, false);
    Store(kA, "f7");
    Store(f9, "controlalt_f9");
    Store(B("f10", VK_F10, true, true), "~ControlAlt_F9");
    const TValues copy = ReadValues(kKey + "\\~ControlAlt_F9");
    TBindingStore store(&reg, kLegacy);
    const TLoadedBindings loaded = store.Load();
    EXPECT_EQ(ByName(loaded.Bindings), ByName({kA, f9}));
    EXPECT_EQ(loaded.Unreadable, std::vector<std::string>{"~ControlAlt_F9"});
    store.Save({B("a", VK_F7, false, false, false), f9Edited});
    EXPECT_EQ(SubKeys(kKey), (std::vector<std::string>{"_FirstRun", "controlalt_f9", "f7", "~ControlAlt_F9"}));
    EXPECT_EQ(ReadValues(kKey + "\\f7"), Whole(B("a", VK_F7, false, false, false)));
    EXPECT_EQ(ReadValues(kKey + "\\controlalt_f9"), Whole(f9Edited));
    EXPECT_EQ(ReadValues(kKey + "\\~ControlAlt_F9"), copy);
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
        errors.insert(errors.end(), {"first", "second"});
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
