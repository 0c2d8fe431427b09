// Shared by the binding list tests: the main window with the shell, message boxes and
// hotkey registrations recorded, the rows the list should show as a plain model, and a
// window that holds shortcuts as another program would.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/Keys.h"
#include "framework/Application.h"
#include "launch/Launch.h"
#include "ui/Main.h"

namespace bltest {

using namespace fw;

struct TLaunch {
    std::string Operation, File, Parameters;
    friend bool operator==(const TLaunch&, const TLaunch&) = default;
};
inline void PrintTo(const TLaunch& l, std::ostream* os) { *os << l.Operation << " [" << l.File << "] [" << l.Parameters << "]"; }
using TLaunches = std::vector<TLaunch>;

struct TAsked {
    std::string Text, Caption;
    int Flags;
    friend bool operator==(const TAsked&, const TAsked&) = default;
};
inline void PrintTo(const TAsked& a, std::ostream* os) { *os << a.Caption << ": " << a.Text << " (" << a.Flags << ")"; }
using TAskedList = std::vector<TAsked>;
inline const TAsked kDeleteQuestion{"Are you sure you want to delete this tarvo permanently?", "Delete Confirm", 33};

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

inline TRow Binding(const std::string& program, const std::string& parameters, WORD code = 0,
                 bool ctrl = false, bool alt = false, bool shift = false, bool enabled = true) {
    return {parameters.empty() ? program : program + " " + parameters,
            {"Open", program, parameters}, KeyIndexOfCode(code), ctrl, alt, shift, enabled};
}

inline TRow Demo() { return Binding("http://www.morvane.example/tarvo/", "", VK_F9); }

// The order the list promises: a..z folded to upper case, bytes compared unsigned, stable.
inline bool Before(std::string a, std::string b) {
    for (std::string* s : {&a, &b})
        for (char& c : *s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char p, char q) {
        return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
    });
}
inline void SortModel(std::vector<TRow>& model, int column) {
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
inline void PressShortcut(const TRow& b) {
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

}  // namespace bltest
