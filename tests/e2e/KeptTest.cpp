// Stored bindings the program cannot read, through the real program: named at start-up, never
// written over by the editor or a save, and the same for random contents of the bindings key.
// What each kind of subkey means is tested without the registry (tests/unit/BindingKeysTest.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Session.h"

using namespace e2e;

namespace {

class Kept : public TSession {
protected:
    // Starts past the start-up report and returns the names it lists (none without a report).
    std::set<std::string> StartAndReport() {
        std::set<std::string> names;
        tarvo.Start(false);
        if (auto box = tarvo.WaitForMessageBox(3000)) {
            EXPECT_EQ(box->Caption, "Tarvo Error");
            names = Listed(box->Text);
            EXPECT_TRUE(tarvo.DismissMessageBox(*box));
        }
        EXPECT_TRUE(WaitFor([&] { return tarvo.StartupDone(); }));
        return names;
    }
    // Every line of the report after the first, trimmed: one subkey name each.
    static std::set<std::string> Listed(const std::string& text) {
        std::set<std::string> names;
        size_t start = text.find('\n');
        while (start != std::string::npos) {
            const size_t end = text.find('\n', start + 1);
            std::string line = text.substr(start + 1, end == std::string::npos ? end : end - start - 1);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            line.erase(0, line.find_first_not_of(' '));
            if (!line.empty()) names.insert(line);
            start = end;
        }
        return names;
    }
    void ExitAndWait() {
        ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
        ASSERT_TRUE(tarvo.WaitForExit());
    }
};

TBinding Whole(const std::string& address, DWORD key, bool ctrl, bool alt, bool shift, bool enabled = true) {
    return {address, key, ctrl, alt, shift, enabled};
}

}  // namespace

// A damaged key for Ctrl+Alt+F5 is named at start-up; adding Ctrl+Alt+F5 in the editor is
// refused, and nothing is written over the damaged key.
TEST_F(Kept, TheEditorRefusesAShortcutWhoseStoredKeyCannotBeRead) {
    TRegValues damaged = BindingValues(Whole(Command("damaged"), VK_F5, true, true, false));
    damaged.erase("Shift");
    WriteValues(Key("ControlAlt_F5"), damaged);
    WriteBinding(HotKeysKey(), "F7", Whole(Command("f7"), VK_F7, false, false, false));
    WriteValues(Key("_FirstRun"), {});
    const TRegValues before = ReadValues(Key("ControlAlt_F5"));

    EXPECT_EQ(StartAndReport(), std::set<std::string>{"ControlAlt_F5"});
    TEditor editor = EditRow(1);  // the blank row after F7
    ASSERT_TRUE(Shows(editor, "http://|(Choose Key)|---E"));
    TypeText("x");
    for (int i = 0; i < 4; ++i) PressShortcut(VK_TAB);
    TypeText("F5");
    PressShortcut('C', false, true);
    PressShortcut('A', false, true);
    ASSERT_TRUE(Shows(editor, "x|F5|CA-E")) << editor.State();
    auto box = Save();
    ASSERT_TRUE(box) << "the editor took the shortcut";
    EXPECT_EQ(box->Caption, "Add Tarvo Error");
    EXPECT_NE(box->Text.find("could not read"), std::string::npos) << box->Text;
    ASSERT_TRUE(tarvo.DismissMessageBox(*box));
    // Whatever the editor did, the key is as it was.
    // The editor stays open after telling why; Esc leaves it without a save.
    ASSERT_TRUE(EditorOpen());
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(EditorOpen());
    EXPECT_FALSE(tarvo.MessageBox());
    EXPECT_EQ(ReadValues(Key("ControlAlt_F5")), before);
    ExitAndWait();
    EXPECT_EQ(ReadValues(Key("ControlAlt_F5")), before);
}

// Thousands of subkeys under names no shortcut has: one start-up reads them all, every
// shortcut works as soon as it is over, and what cannot be used is told in one report naming
// the first twenty.
TEST_F(Kept, ManySubkeysUnderOtherNamesAreToldInOneReport) {
    for (int i = 0; i < 1200; ++i)
        WriteValues(Key("Junk" + std::to_string(10000 + i)), i % 2 ? TRegValues{{"Note", StringValue("x")}} : TRegValues{});
    WriteBinding(HotKeysKey(), "F7", Whole(Command("f7"), VK_F7, false, false, false));
    WriteBinding(HotKeysKey(), "Zz_Later", Whole(Command("f8"), VK_F8, false, false, false));
    WriteValues(Key("_FirstRun"), {});

    tarvo.Start(false);
    const auto box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_NE(box->Text.find("... and 580 more"), std::string::npos) << box->Text;
    EXPECT_EQ(Listed(box->Text).size(), 21u);
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    EXPECT_TRUE(ShortcutTaken(VK_F8));
    ASSERT_TRUE(tarvo.DismissMessageBox(*box));
    ASSERT_TRUE(WaitFor([&] { return tarvo.StartupDone(); }));
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox()) << "a second report";
    EXPECT_EQ(tarvo.ListRows().size(), 3u);
    ExitAndWait();
}

namespace {

// One random bindings key: what was planted, what a load must take, and what it must report.
struct TPlanted {
    std::map<std::string, TRegValues> Keys;         // by the name as planted
    std::map<std::string, TBinding> Loaded;         // by action: what the list must show
    std::set<std::string> Held;                     // names the report must list
};

std::string Name(DWORD key, bool ctrl, bool alt, bool shift) {
    std::string mods = std::string(shift ? "Shift" : "") + (ctrl ? "Control" : "") + (alt ? "Alt" : "");
    const std::string k = "F" + std::to_string(key - VK_F1 + 1);
    return mods.empty() ? k : mods + "_" + k;
}

TPlanted Plant(std::mt19937& rng, int round) {
    TPlanted p;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // Letter case the registry ignores.
    auto mixCase = [&](std::string s) {
        for (char& c : s)
            if (pick(3) == 0) c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
        return s;
    };
    std::set<std::string> used;  // folded shortcut names taken by a slot
    auto fold = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    int serial = 0;
    auto binding = [&](DWORD key, bool c, bool a, bool s) {
        return Whole("fuzz" + std::to_string(round) + "-" + std::to_string(serial++), key, c, a, s, pick(2) == 0);
    };
    const int slots = 1 + pick(10);
    for (int i = 0; i < slots; ++i) {
        const DWORD key = VK_F1 + static_cast<DWORD>(pick(12));
        const bool c = pick(2), a = pick(2), s = pick(2);
        const std::string name = Name(key, c, a, s);
        if (!used.insert(fold(name)).second) continue;
        const TBinding own = binding(key, c, a, s);
        // The binding's own key.
        std::optional<TBinding> ownLoads;
        bool ownHeld = false;
        const std::string ownName = mixCase(name);
        switch (pick(6)) {
            case 0:  // none
                break;
            case 1: {  // complete; a modifier stored as another non-zero number still reads as on
                TRegValues v = BindingValues(own);
                if (c && pick(2)) v["Ctrl"] = DwordValue(5);
                p.Keys[ownName] = v;
                ownLoads = own;
                break;
            }
            case 2: {  // a value missing
                TRegValues v = BindingValues(own);
                v.erase(std::vector<const char*>{"VirtualKey", "Ctrl", "Alt", "Shift", "Enabled"}[pick(5)]);
                p.Keys[ownName] = v;
                ownHeld = true;
                break;
            }
            case 3: {  // a value of the wrong type
                TRegValues v = BindingValues(own);
                const char* which = std::vector<const char*>{"Address", "VirtualKey", "Ctrl", "Alt", "Shift", "Enabled"}[pick(6)];
                v[which] = std::string(which) == "Address" ? DwordValue(1) : StringValue("1");
                p.Keys[ownName] = v;
                ownHeld = true;
                break;
            }
            case 4: {  // a new binding's save cut short: marked, some values in
                TRegValues v = BindingValues(own), part{{"~Unfinished", DwordValue(1)}};
                for (const char* n : {"Address", "VirtualKey", "Ctrl"})
                    if (pick(2)) part[n] = v[n];
                p.Keys[ownName] = part;
                break;
            }
            case 5: {  // someone else's value beside ours
                TRegValues v = BindingValues(own);
                v.erase("Enabled");
                v["Note"] = StringValue("mine");
                p.Keys[ownName] = v;
                ownHeld = true;
                break;
            }
        }
        // Its staging copy, spelt in another letter case than the key.
        const std::string copyName = "~" + mixCase(name);
        bool copyWins = false;
        switch (pick(6)) {
            case 0:
            case 1:  // none
                break;
            case 2: {  // complete and of this binding: a save cut short after it, so it wins
                const TBinding staged = binding(key, c, a, s);
                p.Keys[copyName] = BindingValues(staged);
                p.Loaded[staged.Address] = staged;
                copyWins = true;
                break;
            }
            case 3: {  // complete, of another key: not ours
                const DWORD other = key == VK_F12 ? VK_F1 : key + 1;
                p.Keys[copyName] = BindingValues(Whole("other", other, c, a, s));
                p.Held.insert(copyName);
                break;
            }
            case 4: {  // cut short while written: the first values of this binding
                TRegValues v = BindingValues(binding(key, c, a, s)), part;
                for (const char* n : {"Address", "VirtualKey"}) part[n] = v[n];
                p.Keys[copyName] = part;
                break;
            }
            case 5: {  // marked, which no save does to a copy
                TRegValues v = BindingValues(binding(key, c, a, s));
                v["~Unfinished"] = DwordValue(1);
                p.Keys[copyName] = v;
                p.Held.insert(copyName);
                break;
            }
        }
        if (!copyWins) {
            if (ownLoads) p.Loaded[ownLoads->Address] = *ownLoads;
            if (ownHeld) p.Held.insert(ownName);
        }
    }
    // Junk beside the bindings: empty keys (a save's leftovers to the program) and keys of
    // someone else's values.
    for (int j = pick(4); j > 0; --j) {
        const std::string name = mixCase("Junk" + std::to_string(j));
        if (pick(2)) {
            p.Keys[name] = {};
        } else {
            p.Keys[name] = {{"Note", StringValue("junk")}};
            p.Held.insert(name);
        }
    }
    return p;
}

// The letter case of a..z does not count, as in the registry.
std::set<std::string> Folded(const std::set<std::string>& names) {
    std::set<std::string> out;
    for (std::string n : names) {
        for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        out.insert(n);
    }
    return out;
}

}  // namespace

// Random bindings keys: every binding that can be read is loaded, stored through Disable All,
// Enable All and Exit, and listed again at the next start; every key that cannot be read is
// named both times and left byte for byte.
TEST_F(Kept, RandomStoredContentsAreLoadedOrKeptByteForByte) {
    const char* seedText = std::getenv("TARVO_STORE_FUZZ_SEED");
    const char* casesText = std::getenv("TARVO_STORE_FUZZ_CASES");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    const int cases = casesText ? std::atoi(casesText) : 20;
    std::cout << "store fuzz seed " << seed << ", " << cases << " cases (TARVO_STORE_FUZZ_SEED=" << seed << ")" << std::endl;
    std::mt19937 rng(seed);
    int held = 0, loaded = 0;
    for (int round = 0; round < cases; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(round));
        CleanRegistry();
        const TPlanted p = Plant(rng, round);
        for (const auto& [name, values] : p.Keys) WriteValues(Key(name), values);
        WriteValues(Key("_FirstRun"), {});
        std::map<std::string, TRegValues> before;
        for (const std::string& name : p.Held) before[name] = ReadValues(Key(name));
        held += static_cast<int>(p.Held.size());
        loaded += static_cast<int>(p.Loaded.size());

        const std::set<std::string> reported = StartAndReport();
        ASSERT_EQ(Folded(reported), Folded(p.Held));
        std::map<std::string, int> listed;
        for (const TTarvo::TRow& row : Rows(p.Loaded.size() + 1))
            if (!row.Action.empty()) listed[row.Action] = row.StateImage;
        ASSERT_EQ(listed.size(), p.Loaded.size());
        for (const auto& [action, b] : p.Loaded) EXPECT_EQ(listed.count(action), 1u) << action;

        ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d'));
        ASSERT_TRUE(tarvo.RoundTrip());
        ASSERT_TRUE(tarvo.ChooseFromTrayMenu('e'));
        ASSERT_TRUE(tarvo.RoundTrip());
        ExitAndWait();

        for (const auto& [action, b] : p.Loaded) {
            TBinding on = b;
            on.Enabled = true;
            EXPECT_EQ(ParseBinding(ReadValues(Key(Name(b.VirtualKey, b.Ctrl, b.Alt, b.Shift)))), on) << action;
        }
        for (const auto& [name, values] : before) EXPECT_EQ(ReadValues(Key(name)), values) << name;

        EXPECT_EQ(Folded(StartAndReport()), Folded(p.Held));
        std::map<std::string, int> again;
        for (const TTarvo::TRow& row : Rows(p.Loaded.size() + 1))
            if (!row.Action.empty()) again[row.Action] = row.StateImage;
        for (auto& [action, image] : listed) image = 0;
        EXPECT_EQ(again, listed);
        tarvo.Kill();
        if (HasFatalFailure() || HasFailure()) break;
    }
    std::cout << "done: " << cases << " cases, " << loaded << " bindings loaded, " << held
              << " keys kept as they were" << std::endl;
}
