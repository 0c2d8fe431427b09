// The main window's binding list against the real system: rows of ListView1 and QmHK's items
// kept in step through random edits, shortcuts another program holds, deletion, shutdown and
// clicks on the state images. Actions are recorded instead of started.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/Keys.h"
#include "framework/Application.h"
#include "launch/Launch.h"
#include "ui/Main.h"

using namespace fw;

namespace {

struct TLaunch {
    std::string Operation, File, Parameters;
    friend bool operator==(const TLaunch&, const TLaunch&) = default;
};
void PrintTo(const TLaunch& l, std::ostream* os) { *os << l.Operation << " [" << l.File << "] [" << l.Parameters << "]"; }
using TLaunches = std::vector<TLaunch>;

struct TAsked {
    std::string Text, Caption;
    int Flags;
    friend bool operator==(const TAsked&, const TAsked&) = default;
};
void PrintTo(const TAsked& a, std::ostream* os) { *os << a.Caption << ": " << a.Text << " (" << a.Flags << ")"; }
using TAskedList = std::vector<TAsked>;
const TAsked kDeleteQuestion{"Are you sure you want to delete this tarvo permanently?", "Delete Confirm", 33};

// One binding as the list should show it, and what pressing it hands to the shell.
struct TRow {
    std::string Action;
    TLaunch Runs;
    int Key = 0;  // index in the key table
    bool Ctrl = false, Alt = false, Shift = false, Enabled = false;

    std::string Shortcut() const { return MakeShortcutText(Ctrl, Alt, Shift, KeyNames[static_cast<size_t>(Key)]); }
    UINT Flags() const { return (Ctrl ? MOD_CONTROL : 0) | (Alt ? MOD_ALT : 0) | (Shift ? MOD_SHIFT : 0); }
    WORD Code() const { return static_cast<WORD>(KeyCodes[static_cast<size_t>(Key)]); }
};

TRow Binding(const std::string& program, const std::string& parameters, WORD code = 0,
                 bool ctrl = false, bool alt = false, bool shift = false, bool enabled = true) {
    return {parameters.empty() ? program : program + " " + parameters,
            {"Open", program, parameters}, KeyIndexOfCode(code), ctrl, alt, shift, enabled};
}

TRow Demo() { return Binding("http://www.morvane.example/tarvo/", "", VK_F9); }

// The order the list promises: a..z folded to upper case, bytes compared unsigned, stable.
bool Before(std::string a, std::string b) {
    for (std::string* s : {&a, &b})
        for (char& c : *s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char p, char q) {
        return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
    });
}
void SortModel(std::vector<TRow>& model, int column) {
    if (column != 0 && column != 1) return;
    std::stable_sort(model.begin(), model.end(), [column](const TRow& a, const TRow& b) {
        return column == 0 ? Before(a.Action, b.Action) : Before(a.Shortcut(), b.Shortcut());
    });
}

// A window that holds shortcuts as another program would, and counts the presses it gets.
class THolder : public TWndTarget {
public:
    THolder() : FWindow(AllocateHWnd(this)) {}
    LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
        Presses += m == WM_HOTKEY;
        return ::DefWindowProcA(h, m, w, l);
    }
    bool Hold(int id, const TRow& b) { return ::RegisterHotKey(FWindow.Get(), id, b.Flags(), b.Code()); }
    void Release(int id) { ::UnregisterHotKey(FWindow.Get(), id); }
    // The system refuses a combination to everyone but its holder.
    bool Held(const TRow& b) { return !Hold(0xBFF0, b) || (Release(0xBFF0), false); }
    int Presses = 0;

private:
    THWnd FWindow;  // last, so it goes first
};

// Modifiers down, key down and up, modifiers up: a person pressing the shortcut.
void PressShortcut(const TRow& b) {
    std::vector<WORD> keys;
    for (auto [on, vk] : {std::pair{b.Ctrl, VK_CONTROL}, {b.Alt, VK_MENU}, {b.Shift, VK_SHIFT}})
        if (on) keys.push_back(static_cast<WORD>(vk));
    keys.push_back(b.Code());
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const WORD vk = i < keys.size() ? keys[i] : keys[inputs.size() - 1 - i];
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki = {vk, static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)),
                        i < keys.size() ? 0u : KEYEVENTF_KEYUP, 0, 0};
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Real presses only where a stray key can do no harm: Alt or F10 alone would open the
// window menu, other keys could toggle lock states.
bool PressableForReal(const TRow& b) {
    const int f1 = KeyIndexOfName("F1");
    return !b.Alt && (KeyNames[static_cast<size_t>(b.Key)].size() == 1 ||
                      (b.Key >= f1 && b.Key < f1 + 12 && b.Key != f1 + 9));
}

class BindingListTest : public ::testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        app = new TApplication();
        app->MessageBoxFn = [this](const std::string& text, const std::string& caption, UINT flags) {
            return asked.push_back({text, caption, static_cast<int>(flags)}), answer;
        };
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { errors.push_back(m); };
        app->CreateForm(FormMain);
        form = FormMain;
        form->Launcher = TLauncher({}, [this](HWND, const char* op, const char* file, const char* params) {
            launched.push_back({op ? op : "", file ? file : "", params ? params : ""});
            return INT_PTR{42};
        });
        list = form->ListView1;
        NewBrowserOption = false;  // web addresses go to the shell too: no browser starts
        THotKeyApi api;
        api.Register = [this](HWND h, int id, UINT flags, UINT vk) { return ++registers, ::RegisterHotKey(h, id, flags, vk); };
        api.Unregister = [this](HWND h, int id) { return ++unregisters, ::UnregisterHotKey(h, id); };
        form->QmHK->SetHotKeyApi(api);
    }
    void TearDown() override {
        DestroyApplication();
        CleanRegistry();
        for (const std::string& e : errors) ADD_FAILURE() << "error box: " << e;
    }
    void DestroyApplication() {
        delete std::exchange(app, nullptr);  // and with it the forms
        FormMain = form = nullptr;
        list = nullptr;
    }
    static void CleanRegistry() {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
        THKey run;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                            KEY_SET_VALUE, run.Put()) == ERROR_SUCCESS)
            ::RegDeleteValueA(run.Get(), "Tarvo 2000");
    }

    void Add(const TRow& b) { form->AddBinding(b.Action, b.Code(), b.Ctrl, b.Alt, b.Shift, b.Enabled); }
    THotKeyItem* Item(int row) const { return form->QmHK->HotKeys()->Items(row); }

    bool WaitFor(const std::function<bool()>& done, DWORD ms) {
        for (const DWORD start = ::GetTickCount(); !done(); app->ProcessMessages()) {
            if (::GetTickCount() - start > ms) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }
    void Pump(DWORD ms) { WaitFor([] { return false; }, ms); }

    // What runs when the system reports this row's item as pressed.
    TLaunches PostPress(int row) {
        launched.clear();
        ::PostMessageA(form->Handle(), WM_HOTKEY, static_cast<WPARAM>(Item(row)->Identifier()), 0);
        app->ProcessMessages();
        return launched;
    }
    // What runs when a person presses the shortcut; waits a moment for a second run.
    TLaunches RealPress(const TRow& b, bool expectRun = true) {
        launched.clear();
        PressShortcut(b);
        WaitFor([&] { return !launched.empty(); }, expectRun ? 3000 : 300);
        Pump(50);
        return launched;
    }

    // The state image the control draws (0 enabled, 1 disabled, -1 none) once the thread has
    // turned to its messages: the list tells the control about new rows then, not per add.
    int ShownStateImage(int row) const {
        app->ProcessMessages();
        return static_cast<int>(::SendMessageA(list->Handle(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12) - 1;
    }
    std::string ShownText(int row, int column) const {
        for (std::string text(256, '\0');; text.resize(text.size() * 2)) {
            LVITEMA item{};
            item.iSubItem = column, item.pszText = text.data(), item.cchTextMax = static_cast<int>(text.size());
            const auto length = static_cast<size_t>(
                ::SendMessageA(list->Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
            if (length + 1 < text.size()) return text.substr(0, length);
        }
    }
    std::string TipOf(int row) {
        std::string text(512, '\0');
        NMLVGETINFOTIPA tip{{list->Handle(), 0, LVN_GETINFOTIPA}, 0, text.data(), 512, row, 0, 0};
        list->CNNotify(&tip.hdr);
        return text.c_str();
    }
    int RowShowing(const std::string& shortcut) const {
        for (int i = 0; i < form->BindingCount(); ++i)
            if (list->SubItems(i) == std::vector<std::string>{shortcut}) return i;
        return -1;
    }
    // A real click on a column header, through the header control.
    void ClickHeader(int column) {
        const HWND header = reinterpret_cast<HWND>(::SendMessageA(list->Handle(), LVM_GETHEADER, 0, 0));
        RECT r{};
        ASSERT_TRUE(::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r)));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(header, WM_LBUTTONUP, 0, at);
    }

    // Rows, items, the control's display and the blank row all say what the model says.
    void ExpectListShows(const std::vector<TRow>& model) {
        const int n = static_cast<int>(model.size());
        ASSERT_EQ(form->BindingCount(), n);
        ASSERT_EQ(list->Count(), n + 1);
        app->ProcessMessages();
        ASSERT_EQ(::SendMessageA(list->Handle(), LVM_GETITEMCOUNT, 0, 0), n + 1);
        EXPECT_TRUE(list->ItemCaption(n).empty() && list->SubItems(n).empty()) << "blank row";
        EXPECT_EQ(list->StateIndex(n), 0);
        EXPECT_EQ(ShownStateImage(n), 0);
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE("row " + std::to_string(i));
            const TRow& b = model[static_cast<size_t>(i)];
            THotKeyItem* item = Item(i);
            const TModifiers m = item->Modifiers();
            EXPECT_EQ(list->ItemCaption(i), b.Action);
            EXPECT_EQ(ShownText(i, 0), b.Action);
            ASSERT_EQ(list->SubItems(i), std::vector<std::string>{b.Shortcut()});
            EXPECT_EQ(ShownText(i, 1), b.Shortcut());
            // The text names the item's own key and modifiers.
            EXPECT_EQ(b.Shortcut(), MakeShortcutText(m.Contains(modControl), m.Contains(modAlt), m.Contains(modShift),
                                                     KeyNames[static_cast<size_t>(item->VirtKey())]));
            EXPECT_EQ(list->StateIndex(i), b.Enabled ? 0 : 1);
            EXPECT_EQ(ShownStateImage(i), b.Enabled ? 0 : 1);
            EXPECT_EQ(item->Enabled(), b.Enabled);
            EXPECT_EQ(item->Registered(), b.Enabled);
            EXPECT_FALSE(list->RowMarked(i));
        }
    }

    TApplication* app = nullptr;
    TFormMain* form = nullptr;
    TListView* list = nullptr;
    THolder holder;
    int answer = IDOK;
    int registers = 0, unregisters = 0;
    TAskedList asked;
    TLaunches launched;
    std::vector<std::string> errors;
};

class BindingListRandomTest : public BindingListTest, public ::testing::WithParamInterface<unsigned> {};

}  // namespace

TEST_F(BindingListTest, FirstRunLeavesTheDemoBindingAndAnEmptyListStaysEmpty) {
    ExpectListShows({Demo()});
    EXPECT_EQ(form->List().SortColumn(), 1);
    const TAsked demo{"Try pressing the F9 key now to see the demo...", "One-time Tarvo Demo", MB_OK | MB_ICONINFORMATION};
    EXPECT_EQ(asked, TAskedList{demo});
    // The demo does what the box promises.
    EXPECT_EQ(RealPress(Demo()), TLaunches{Demo().Runs});

    asked.clear();
    list->SetSelected(0);
    form->DeleteSelected();
    EXPECT_EQ(asked, TAskedList{kDeleteQuestion});
    ExpectListShows({});
    EXPECT_FALSE(holder.Held(Demo()));

    // Only the blank row is left: the row commands find nothing to do.
    asked.clear();
    registers = unregisters = 0;
    list->SetSelected(0);
    form->DeleteSelected();
    form->EnableSelected1->Click();
    form->DisableSelected1->Click();
    form->cmdEnableAll1->Click();
    form->cmdDisableAll2->Click();
    ClickHeader(0);
    EXPECT_EQ(form->List().SortColumn(), 0);
    ClickHeader(1);
    EXPECT_EQ(form->List().SortColumn(), 1);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(registers + unregisters, 0);
    ExpectListShows({});
}

// Random edits of every kind against a plain model, checked in full after each one.
TEST_P(BindingListRandomTest, EditsKeepRowsItemsAndRegistrationsInStep) {
    std::mt19937 rng(GetParam());
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<TRow> model{Demo()};
    auto at = [&](int row) -> TRow& { return model[static_cast<size_t>(row)]; };
    int column = 1, made = 0, realPresses = 0;
    // Every shortcut ever used: the system must hold exactly the enabled ones.
    std::map<std::string, TRow> used{{Demo().Shortcut(), Demo()}};

    // A new binding whose shortcut no row but keepRow shows.
    auto fresh = [&](int keepRow) {
        const std::string k = std::to_string(made++ % 7);  // repeats: equal and case-twin texts
        const std::string folder[] = {"C:\\Tools\\app", "c:\\tools\\APP", "D:\\B\xC3\xBC" "cher\\"};
        const int shape = pick(0, 4);
        TRow b = shape == 0   ? Binding(folder[pick(0, 2)] + k + ".exe", "-n " + k)
                     : shape == 1 ? Binding("\"C:\\Program Files\\Ed " + k + "\\ed.exe\"", "\"note " + k + ".txt\"")
                     : shape == 2 ? Binding("mailto:user" + k + "@example.org", "")
                     : shape == 3 ? Binding("http://www.example.org/page" + k, "")
                                  : Binding("\xC3\x84rger" + k + ".txt", "");
        if (shape == 1) b.Runs.File = "C:\\Program Files\\Ed " + k + "\\ed.exe";  // unquoted
        b.Enabled = pick(0, 2) != 0;
        for (bool clash = true; clash;) {
            b.Key = pick(1, KeyCount - 1);
            const int mods = pick(0, 7);
            b.Ctrl = mods & 1, b.Alt = mods & 2, b.Shift = mods & 4;
            clash = false;
            for (int i = 0; i < static_cast<int>(model.size()); ++i)
                clash |= i != keepRow && at(i).Shortcut() == b.Shortcut();
        }
        return b;
    };

    for (int op = 0; op < 300; ++op) {
        const int n = static_cast<int>(model.size());
        std::discrete_distribution<int> kinds(
            {n < 4 ? 6.0 : n > 20 ? 0.0 : 2.0, 3, 2, 1, 2, n > 20 ? 5.0 : 2.0, 2, 2, 1});
        const int r = pick(-1, n);  // a row, or none, or the blank row
        const bool valid = r >= 0 && r < n, on = pick(0, 1);
        int wantRegisters = 0, wantUnregisters = 0;
        bool sorts = false;
        auto setFlag = [&](TRow& b, bool value) {
            (value ? wantRegisters : wantUnregisters) += b.Enabled != value;
            b.Enabled = value;
        };
        registers = unregisters = 0;
        asked.clear();
        const int kind = kinds(rng);
        switch (kind) {
        case 0: {
            const TRow b = fresh(-1);
            Add(b);
            model.push_back(used[b.Shortcut()] = b);
            wantRegisters = b.Enabled;
            sorts = true;
            break;
        }
        case 1: {
            TRow b = fresh(r);
            if (valid && pick(0, 2) == 0)  // same shortcut, new action and flag
                b.Key = at(r).Key, b.Ctrl = at(r).Ctrl, b.Alt = at(r).Alt, b.Shift = at(r).Shift;
            list->SetSelected(r);
            form->UpdateBinding(b.Action, b.Code(), b.Ctrl, b.Alt, b.Shift, b.Enabled);
            if (!valid) break;
            if (at(r).Shortcut() != b.Shortcut()) {  // off first, then on with the new one
                wantUnregisters = at(r).Enabled;
                wantRegisters = b.Enabled;
            } else {  // the registration is touched only when the flag changes
                setFlag(at(r), b.Enabled);
            }
            at(r) = used[b.Shortcut()] = b;
            sorts = true;
            break;
        }
        case 2: {
            const int j = pick(-1, n);
            form->SwapRows(r, j);
            if (!valid || j < 0 || j >= n || j == r) break;
            // The items move with their rows, registrations and all, as in a sort.
            std::swap(at(r), at(j));
            break;
        }
        case 3:
            form->SortList(r % 3);  // -1 and 2 do nothing
            SortModel(model, r % 3);
            break;
        case 4:
            column = on;
            ClickHeader(column);
            sorts = true;
            break;
        case 5:
            answer = pick(0, 3) ? IDOK : IDCANCEL;
            list->SetSelected(r);
            form->DeleteSelected();
            EXPECT_EQ(asked, valid ? TAskedList{kDeleteQuestion} : TAskedList{});
            if (!valid || answer != IDOK) break;
            wantUnregisters = at(r).Enabled;
            model.erase(model.begin() + r);
            break;
        case 6:
            if (!valid) break;
            on ? form->EnableRow(r) : form->DisableRow(r);
            setFlag(at(r), on);
            break;
        case 7:
            list->SetSelected(r);
            (on ? form->EnableSelected1 : form->DisableSelected1)->Click();
            if (valid) setFlag(at(r), on);
            break;
        default: {
            const bool tray = pick(0, 1);
            (on ? (tray ? form->cmdEnableAll2 : form->cmdEnableAll1)
                : (tray ? form->cmdDisableAll2 : form->cmdDisableAll1))->Click();
            for (TRow& b : model) setFlag(b, on);
            break;
        }
        }
        static const char* const names[] = {"add", "update", "swap", "sort", "header click", "delete",
                                            "row flag", "selected flag", "all flags"};
        SCOPED_TRACE("op " + std::to_string(op) + ": " + names[kind] + " row " + std::to_string(r) +
                     (on ? " on" : " off") + (kind == 5 && answer != IDOK ? " cancelled" : ""));
        if (sorts) SortModel(model, column);
        EXPECT_EQ(form->List().SortColumn(), column);
        // Sorting and swapping move registrations with their rows: they never touch the system.
        EXPECT_EQ(registers, wantRegisters);
        EXPECT_EQ(unregisters, wantUnregisters);
        ExpectListShows(model);
        for (const auto& [text, b] : used) {
            const bool live = std::any_of(model.begin(), model.end(), [&](const TRow& m) {
                return m.Enabled && m.Shortcut() == text;
            });
            EXPECT_EQ(holder.Held(b), live) << text;
        }
        for (int i = 0; i < static_cast<int>(model.size()); ++i)  // each runs its own row's action
            if (at(i).Enabled) EXPECT_EQ(PostPress(i), TLaunches{at(i).Runs}) << "row " << i;
        if (op % 20 == 19) {
            std::vector<TRow> pressable;
            std::copy_if(model.begin(), model.end(), std::back_inserter(pressable),
                         [](const TRow& b) { return b.Enabled && PressableForReal(b); });
            std::shuffle(pressable.begin(), pressable.end(), rng);
            for (size_t p = 0; p < std::min<size_t>(2, pressable.size()); ++p, ++realPresses)
                EXPECT_EQ(RealPress(pressable[p]), TLaunches{pressable[p].Runs})
                    << "pressed " << pressable[p].Shortcut();
        }
        if (HasFailure()) return;
    }
    EXPECT_GE(realPresses, 4);
}

INSTANTIATE_TEST_SUITE_P(Seeds, BindingListRandomTest, ::testing::Values(1999u));

// Counts the row redraws a list control is asked for and remembers whether it may paint.
struct TRedrawCount {
    int RowRedraws = 0;
    bool Painting = true;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) {
        auto* count = reinterpret_cast<TRedrawCount*>(self);
        if (m == LVM_REDRAWITEMS) ++count->RowRedraws;
        if (m == WM_SETREDRAW) count->Painting = w != FALSE;
        return ::DefSubclassProc(h, m, w, l);
    }
};

TEST_F(BindingListTest, AllFlagsRedrawTheListOnceNotRowByRow) {
    std::vector<TRow> model{Demo()};
    for (int k = 0; k < 40; ++k) {
        model.push_back(Binding("C:\\Tools\\row" + std::to_string(k) + ".exe", "", static_cast<WORD>('0' + k % 10),
                                k / 10 == 1, k / 10 == 2, k / 10 >= 2));
        Add(model.back());
    }
    SortModel(model, 1);
    form->Show();
    app->ProcessMessages();
    TRedrawCount count;
    ASSERT_TRUE(::SetWindowSubclass(list->Handle(), TRedrawCount::Proc, 1, reinterpret_cast<DWORD_PTR>(&count)));
    form->cmdDisableAll2->Click();
    EXPECT_EQ(count.RowRedraws, 0);
    EXPECT_TRUE(count.Painting);
    for (TRow& b : model) b.Enabled = false;
    ExpectListShows(model);
    form->cmdEnableAll1->Click();
    EXPECT_EQ(count.RowRedraws, 0);
    EXPECT_TRUE(count.Painting);
    for (TRow& b : model) b.Enabled = true;
    ExpectListShows(model);
    ::RemoveWindowSubclass(list->Handle(), TRedrawCount::Proc, 1);
}

TEST_F(BindingListTest, ARefusedShortcutIsMarkedUntilARegistrationSucceeds) {
    const TRow taken = Binding("C:\\Tools\\taken.exe", "-t", VK_F7, true, false, true);
    const TRow first = Binding("C:\\Tools\\first.exe", "", VK_F2, true);
    // Shown enabled either way; only the mark and its tip tell a refused one apart.
    auto expectRow = [&](int row, bool refused) {
        EXPECT_EQ(list->StateIndex(row), 0) << row;
        EXPECT_EQ(ShownStateImage(row), 0) << row;
        EXPECT_TRUE(Item(row)->Enabled()) << row;
        EXPECT_EQ(Item(row)->Registered(), !refused) << row;
        EXPECT_EQ(list->RowMarked(row), refused) << row;
        EXPECT_EQ(TipOf(row).empty(), !refused) << row;
    };
    THolder other;
    ASSERT_TRUE(other.Hold(1, taken));
    asked.clear();
    Add(taken);
    ASSERT_EQ(RowShowing(taken.Shortcut()), 0);
    EXPECT_TRUE(asked.empty());  // nothing is reported
    expectRow(0, true);
    expectRow(1, false);

    // The mark belongs to the binding: it moves when the list re-sorts or rows swap.
    Add(first);
    ASSERT_EQ(RowShowing(taken.Shortcut()), 1);
    for (int row : {0, 1, 2}) expectRow(row, row == 1);
    form->SwapRows(0, 1);
    for (int row : {0, 1, 2}) expectRow(row, row == 0);
    form->SortList(1);
    const int r = RowShowing(taken.Shortcut());
    ASSERT_EQ(r, 1);
    expectRow(r, true);

    // The press reaches the program that holds the shortcut; nothing runs here.
    EXPECT_TRUE(RealPress(taken, false).empty());
    EXPECT_EQ(other.Presses, 1);

    other.Release(1);
    form->DisableRow(r);
    EXPECT_FALSE(list->RowMarked(r));
    EXPECT_EQ(list->StateIndex(r), 1);
    form->EnableRow(r);
    expectRow(r, false);
    EXPECT_EQ(RealPress(taken), TLaunches{taken.Runs});
    EXPECT_EQ(other.Presses, 1);
    ExpectListShows({first, taken, Demo()});
}

TEST_F(BindingListTest, DeletingTheFirstOfThreeKeepsTheOthersShortcutsAndActions) {
    list->SetSelected(0);
    form->DeleteSelected();  // the demo binding
    const std::vector<TRow> three{Binding("C:\\Tools\\one.exe", "1", VK_F2, true, false, true),
                                      Binding("C:\\Tools\\two.exe", "2", VK_F3, true, false, true),
                                      Binding("C:\\Tools\\three.exe", "3", VK_F4, true, false, true)};
    for (const TRow& b : three) Add(b);
    ExpectListShows(three);
    const int ids[] = {Item(0)->Identifier(), Item(1)->Identifier(), Item(2)->Identifier()};

    list->SetSelected(0);
    form->DeleteSelected();
    ExpectListShows({three[1], three[2]});
    EXPECT_EQ(Item(0)->Identifier(), ids[1]);
    EXPECT_EQ(Item(1)->Identifier(), ids[2]);
    EXPECT_FALSE(holder.Held(three[0]));
    EXPECT_EQ(RealPress(three[1]), TLaunches{three[1].Runs});
    EXPECT_EQ(RealPress(three[2]), TLaunches{three[2].Runs});
    // A press queued for the deleted binding finds nothing to run.
    launched.clear();
    ::PostMessageA(form->Handle(), WM_HOTKEY, static_cast<WPARAM>(ids[0]), 0);
    app->ProcessMessages();
    EXPECT_TRUE(launched.empty());
}

TEST_F(BindingListTest, DestroyingTheMainWindowReleasesEveryShortcut) {
    const std::vector<TRow> all{Binding("C:\\Tools\\a.exe", "", 'A', true, true),
                                    Binding("C:\\Tools\\b.exe", "", VK_NUMPAD5, false, false, true),
                                    Binding("C:\\Tools\\c.exe", "", VK_F11, true, true, true, false),
                                    Demo()};
    for (size_t i = 0; i + 1 < all.size(); ++i) Add(all[i]);
    for (const TRow& b : all) EXPECT_EQ(holder.Held(b), b.Enabled) << b.Shortcut();

    form->DestroyHandle();  // the window goes first, as at shutdown; the items are still there
    for (int i = 0; i < form->BindingCount(); ++i) {
        EXPECT_FALSE(Item(i)->Enabled()) << i;
        EXPECT_FALSE(Item(i)->Registered()) << i;
    }
    DestroyApplication();
    THolder fresh;
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_TRUE(fresh.Hold(static_cast<int>(i) + 1, all[i])) << all[i].Shortcut();
}

TEST_F(BindingListTest, StateImageClicksAndSpaceNeverChangeTheEnabledFlag) {
    Add(Binding("C:\\Tools\\off.exe", "", VK_F3, true, false, false, false));
    form->Show();
    app->ProcessMessages();
    const HWND lv = list->Handle();
    for (int row : {0, 1}) {
        SCOPED_TRACE("row " + std::to_string(row));
        const bool enabled = Item(row)->Enabled();
        const int state = list->StateIndex(row);
        ASSERT_EQ(ShownStateImage(row), state);
        auto expectUnchanged = [&] {
            EXPECT_EQ(Item(row)->Enabled(), enabled);
            EXPECT_EQ(Item(row)->Registered(), enabled);
            EXPECT_EQ(list->StateIndex(row), state);
            EXPECT_EQ(ShownStateImage(row), state);
        };
        RECT bounds{LVIR_BOUNDS, 0, 0, 0}, icon{LVIR_ICON, 0, 0, 0};
        ::SendMessageA(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        ::SendMessageA(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&icon));
        LVHITTESTINFO hit{{(bounds.left + icon.left) / 2, (bounds.top + bounds.bottom) / 2}, 0, -1, 0, 0};
        const LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
        ::SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        ASSERT_EQ(hit.iItem, row);
        ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON) << "flags " << hit.flags;
        ::PostMessageA(lv, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(lv, WM_LBUTTONUP, 0, at);
        Pump(50);
        expectUnchanged();
        list->SetSelected(row);
        list->SetItemFocused(row);
        ::SetFocus(lv);
        ::PostMessageA(lv, WM_KEYDOWN, VK_SPACE, 0x00390001);
        ::PostMessageA(lv, WM_CHAR, ' ', 0x00390001);
        ::PostMessageA(lv, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
        Pump(50);
        expectUnchanged();
    }
}

TEST_F(BindingListTest, KeysThatCannotBeRegisteredAndTheBlankRowAreRefusedUntouched) {
    const int rows = list->Count();
    // NONE (code 0) and codes outside the table never become a binding.
    EXPECT_THROW(form->AddBinding("notepad", 0, true, false, false, true), std::invalid_argument);
    EXPECT_THROW(form->AddBinding("notepad", 186, false, false, false, true), std::invalid_argument);
    EXPECT_EQ(list->Count(), rows);
    EXPECT_EQ(form->BindingCount(), rows - 1);
    // The blank row has no item: enabling or disabling it fails before its image changes.
    const int blank = list->Count() - 1;
    EXPECT_THROW(form->DisableRow(blank), std::out_of_range);
    EXPECT_EQ(list->StateIndex(blank), 0);
    EXPECT_EQ(ShownStateImage(blank), 0);
}

// A save that fails tells the registry's message, deletes nothing, and the next save stores
// every binding as the list holds it.
TEST_F(BindingListTest, AFailedSaveIsToldDeletesNothingAndTheNextSaveStoresEverything) {
    const TRow a = Binding("C:\\Tools\\a.exe", "", 'A', true, true);
    const TRow b = Binding("C:\\Tools\\b.exe", "", VK_F6, false, true);
    Add(a);
    Add(b);
    form->SaveBindings();
    const std::string key = "Software\\Morvane\\Tarvo\\" + form->QmR->User() + "\\HotKeys\\";
    auto stored = [&](const char* name) {
        DWORD enabled = 2, size = sizeof enabled;
        return ::RegGetValueA(HKEY_CURRENT_USER, (key + name).c_str(), "Enabled", RRF_RT_REG_DWORD, nullptr,
                              &enabled, &size) == ERROR_SUCCESS
                   ? static_cast<int>(enabled)
                   : -1;
    };
    ASSERT_EQ(stored("ControlAlt_A"), 1);
    // As a menu command runs: inside a window procedure, which shows what escapes it.
    auto command = [&](const std::function<void()>& f) { GuardedCall([&] { return f(), LRESULT{0}; }); };
    int writes = 0;
    TRegistryApi failing;
    failing.CreateKey = [](HKEY, LPCSTR, REGSAM, HKEY*) -> LSTATUS { return ERROR_ACCESS_DENIED; };
    failing.SetValue = [&](HKEY k, LPCSTR n, DWORD t, const BYTE* d, DWORD s) -> LSTATUS {
        return ++writes > 1 ? ERROR_ACCESS_DENIED : ::RegSetValueExA(k, n, 0, t, d, s);
    };
    form->QmR->SetRegistryApi(failing);

    list->SetSelected(RowShowing(a.Shortcut()));
    command([&] { form->DeleteSelected(); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Failed to create key '\\Software\\Morvane\\Tarvo\\", 0), 0u) << errors[0];
    ExpectListShows({b, Demo()});
    EXPECT_EQ(stored("ControlAlt_A"), 1) << "deleted although the save failed";

    failing.CreateKey = TRegistryApi().CreateKey;
    form->QmR->SetRegistryApi(failing);
    command([&] { form->cmdDisableAll1->Click(); });  // the first write goes through, the next fails
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "Failed to set data for 'Enabled'");
    EXPECT_EQ(stored("ControlAlt_A"), 1);
    EXPECT_EQ(stored("Alt_F6") + stored("F9"), 1) << "one binding written, one not";

    form->QmR->SetRegistryApi(TRegistryApi());
    command([&] { form->cmdEnableAll1->Click(); });
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(stored("F9"), 1);
    EXPECT_EQ(stored("Alt_F6"), 1);
    EXPECT_EQ(stored("ControlAlt_A"), -1);
    errors.clear();
}
