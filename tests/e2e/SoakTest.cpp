// Random use of the real program through its windows, menus and keys, against a plain model
// of what the list, the system's registrations and the registry must hold.
//   TARVO_SOAK_OPS    how many operations (default 60; scripts/soak runs 2,000)
//   TARVO_SOAK_SEED   the seed (printed by every run)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "Session.h"

using namespace e2e;

namespace {

// Keys a soak binding may use. Letters and digits always come with Ctrl or Alt: alone they
// would take the plain keys the menus are worked with.
struct TKey {
    WORD Vk;
    std::string Name;
    bool NeedsCtrlOrAlt;
};
std::vector<TKey> Keys() {
    std::vector<TKey> keys;
    for (int f : {2, 3, 4, 5, 6, 7, 8, 9, 11, 12}) keys.push_back({static_cast<WORD>(VK_F1 + f - 1), "F" + std::to_string(f), false});
    for (char c = 'A'; c <= 'Z'; ++c) keys.push_back({static_cast<WORD>(c), std::string(1, c), true});
    for (char c = '0'; c <= '9'; ++c) keys.push_back({static_cast<WORD>(c), std::string(1, c), true});
    return keys;
}

struct TModelBinding {
    std::string Action;
    TKey Key;
    bool Ctrl = false, Alt = false, Shift = false, Enabled = true;
    std::string Shortcut() const {
        return std::string(Ctrl ? "Ctrl+" : "") + (Alt ? "Alt+" : "") + (Shift ? "Shift+" : "") + Key.Name;
    }
    std::string Subkey() const {
        const std::string mods = std::string(Shift ? "Shift" : "") + (Ctrl ? "Control" : "") + (Alt ? "Alt" : "");
        return mods.empty() ? Key.Name : mods + "_" + Key.Name;
    }
    // What the editor shows for it.
    std::string State() const {
        return Action + "|" + Key.Name + "|" + (Ctrl ? "C" : "-") + (Alt ? "A" : "-") + (Shift ? "S" : "-") + (Enabled ? "E" : "-");
    }
};

// The list's order: a..z folded to upper case, compared as unsigned bytes, stable.
bool Before(const std::string& a, const std::string& b) {
    auto fold = [](char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return fold(x) < fold(y); });
}

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

class Soak : public TSession {
protected:
    void Sort() {
        std::stable_sort(model.begin(), model.end(), [&](const TModelBinding& a, const TModelBinding& b) {
            return column == 0 ? Before(a.Action, b.Action) : Before(a.Shortcut(), b.Shortcut());
        });
    }
    int RowOf(const std::string& shortcut, int except = -1) const {
        for (size_t i = 0; i < model.size(); ++i)
            if (model[i].Shortcut() == shortcut && static_cast<int>(i) != except) return static_cast<int>(i);
        return -1;
    }
    TModelBinding Random() {
        static const std::vector<TKey> keys = Keys();
        TModelBinding b{"", keys[Pick(0, static_cast<int>(keys.size()) - 1)]};
        do {
            b.Ctrl = Pick(0, 1), b.Alt = Pick(0, 1), b.Shift = Pick(0, 1);
        } while (b.Key.NeedsCtrlOrAlt && !b.Ctrl && !b.Alt);
        b.Enabled = Pick(0, 3) != 0;
        const std::string n = std::to_string(made++);
        // Some start the helper, so that presses can be checked; others are plain text, and
        // some share a text in another letter case, which the sort must keep in order.
        const int shape = Pick(0, 2);
        b.Action = shape == 0 ? Command("s" + n) : shape == 1 ? "note " + n : (Pick(0, 1) ? "Same" : "same");
        return b;
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // Fills the editor with b from what it shows now, then saves; the duplicate message, if
    // any, is dismissed and the editor cancelled. True when saved.
    bool SaveInEditor(const TEditor& editor, const TModelBinding& was, const TModelBinding& b, bool expectDuplicate) {
        TypeText(b.Action);  // the action is selected on activation: typing replaces it
        if (b.Key.Name != was.Key.Name) {
            for (int i = 0; i < 4; ++i) PressShortcut(VK_TAB);
            TypeText(b.Key.Name);
        }
        if (b.Ctrl != was.Ctrl) PressShortcut('C', false, true);
        if (b.Alt != was.Alt) PressShortcut('A', false, true);
        if (b.Shift != was.Shift) PressShortcut('S', false, true);
        if (b.Enabled != was.Enabled) PressShortcut('E', false, true);
        EXPECT_TRUE(Shows(editor, b.State())) << editor.State() << " instead of " << b.State();
        auto box = Save();
        if (!expectDuplicate) {
            EXPECT_FALSE(box) << box->Text;
            EXPECT_TRUE(WaitFor([&] { return !EditorOpen(); }));
            return true;
        }
        EXPECT_TRUE(box && box->Text == b.Shortcut() + " is already been used!\r\nPlease try again using other keys.");
        if (box) tarvo.DismissMessageBox(*box);
        PressShortcut(VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !EditorOpen(); }));
        return false;
    }

    void Add() {
        TModelBinding b = Random();
        const bool duplicate = RowOf(b.Shortcut()) >= 0;
        TEditor editor = EditRow(static_cast<int>(model.size()));
        TModelBinding blank{"http://", {0, "(Choose Key)", false}};
        if (!SaveInEditor(editor, blank, b, duplicate)) return;
        model.push_back(b);
        Sort();
    }
    void Edit() {
        const int i = Pick(0, static_cast<int>(model.size()) - 1);
        TModelBinding b = Random();
        if (Pick(0, 1)) b.Key = model[i].Key, b.Ctrl = model[i].Ctrl, b.Alt = model[i].Alt, b.Shift = model[i].Shift;
        const bool duplicate = RowOf(b.Shortcut(), i) >= 0;
        TEditor editor = EditRow(i);
        if (!SaveInEditor(editor, model[i], b, duplicate)) return;
        model[static_cast<size_t>(i)] = b;
        Sort();
    }
    void Delete() {
        const int i = Pick(0, static_cast<int>(model.size()) - 1);
        ShowMain();
        tarvo.SelectRow(i);
        PressShortcut(VK_DELETE);
        auto box = tarvo.WaitForMessageBox();
        ASSERT_TRUE(box && box->Caption == "Delete Confirm");
        const bool ok = Pick(0, 4) != 0;
        ::PostMessageA(box->Handle, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(WaitFor([&] { return !tarvo.MessageBox(); }));
        if (ok) model.erase(model.begin() + i);
    }
    void EnableSelected() {
        const int i = Pick(0, static_cast<int>(model.size()) - 1);
        const bool on = Pick(0, 1);
        ShowMain();
        tarvo.SelectRow(i);
        ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
        ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
        PressShortcut(on ? 'N' : 'I');
        ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() == nullptr; }));
        ASSERT_TRUE(tarvo.RoundTrip());
        model[static_cast<size_t>(i)].Enabled = on;
    }
    void EnableAll() {
        const bool on = Pick(0, 1);
        if (Pick(0, 1)) {
            ASSERT_TRUE(tarvo.ChooseFromTrayMenu(on ? 'e' : 'd'));
        } else {
            ShowMain();
            ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
            ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
            PressShortcut(on ? 'E' : 'D');
            ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() == nullptr; }));
        }
        ASSERT_TRUE(tarvo.RoundTrip());
        for (TModelBinding& b : model) b.Enabled = on;
    }
    void SortBy() {
        column = Pick(0, 1);
        ShowMain();
        tarvo.ClickHeader(column);
        ASSERT_TRUE(tarvo.RoundTrip());
        Sort();
    }
    void Press() {
        std::vector<const TModelBinding*> pressable;
        for (const TModelBinding& b : model)
            if (b.Enabled && b.Action.rfind("\"", 0) == 0) pressable.push_back(&b);
        if (pressable.empty()) return;
        const TModelBinding& b = *pressable[static_cast<size_t>(Pick(0, static_cast<int>(pressable.size()) - 1))];
        const size_t before = Runs().size();
        PressShortcut(b.Key.Vk, b.Ctrl, b.Alt, b.Shift);
        ASSERT_TRUE(WaitFor([&] { return Runs().size() > before; })) << b.Shortcut() << " ran nothing";
        EXPECT_EQ(Runs().back(), std::vector<std::string>{b.Action.substr(b.Action.rfind(' ') + 1)}) << b.Shortcut();
    }
    void HideAndShow() {
        ShowMain();
        PressShortcut(VK_ESCAPE);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(tarvo.MainWindow()); }));
        ShowMain();
    }

    // List, registrations and registry all say what the model says.
    void ExpectMatches(const std::string& where) {
        std::vector<TTarvo::TRow> want;
        for (const TModelBinding& b : model) want.push_back({b.Action, b.Shortcut(), b.Enabled ? 0 : 1});
        want.push_back({"", "", 0});
        EXPECT_EQ(Rows(want.size()), want) << where;
        std::vector<std::string> names{"_FirstRun"};
        for (const TModelBinding& b : model) {
            names.push_back(b.Subkey());
            EXPECT_EQ(ShortcutTaken(b.Key.Vk, b.Ctrl, b.Alt, b.Shift), b.Enabled) << where << ": " << b.Shortcut();
            EXPECT_EQ(ReadValues(Key(b.Subkey())),
                      BindingValues({b.Action, b.Key.Vk, b.Ctrl, b.Alt, b.Shift, b.Enabled}))
                << where << ": " << b.Subkey();
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(SubKeys(HotKeysKey()), names) << where;
    }

    std::vector<TModelBinding> model;
    int column = 1;
    int made = 0;
    std::mt19937 rng;
};

}  // namespace

TEST_F(Soak, RandomUseKeepsListRegistrationsAndRegistryInStep) {
    const int ops = EnvInt("TARVO_SOAK_OPS", 60);
    const unsigned seed = static_cast<unsigned>(EnvInt("TARVO_SOAK_SEED", static_cast<int>(::GetTickCount() & 0x7FFFFFFF)));
    std::cout << "soak seed " << seed << " (TARVO_SOAK_SEED), " << ops << " operations (TARVO_SOAK_OPS)" << std::endl;
    rng.seed(seed);
    StartShown({});
    std::map<std::string, int> done;
    for (int op = 0; op < ops; ++op) {
        const int kind = model.empty() ? 0 : Pick(0, 19);
        const char* name = kind < 6 ? "add" : kind < 10 ? "edit" : kind < 12 ? "delete" : kind < 14 ? "enable one"
                         : kind < 15 ? "enable all" : kind < 17 ? "sort" : kind < 19 ? "press" : "hide";
        SCOPED_TRACE("operation " + std::to_string(op) + " (" + name + ")");
        switch (kind) {
        case 0: case 1: case 2: case 3: case 4: case 5: Add(); break;
        case 6: case 7: case 8: case 9: Edit(); break;
        case 10: case 11: Delete(); break;
        case 12: case 13: EnableSelected(); break;
        case 14: EnableAll(); break;
        case 15: case 16: SortBy(); break;
        case 17: case 18: Press(); break;
        default: HideAndShow(); break;
        }
        ++done[name];
        if (HasFailure()) break;
        if (op % 25 == 24) ExpectMatches("after operation " + std::to_string(op));
        if (HasFailure()) break;
    }
    ExpectMatches("at the end");
    std::cout << "done:";
    for (const auto& [name, n] : done) std::cout << " " << name << " " << n << ",";
    std::cout << " " << model.size() << " bindings at the end" << std::endl;
}
