// The main window's binding list through random edits of every kind, checked against a
// plain model after each one: rows, items, registrations and what pressing them runs.
#include "BindingListTestUtil.h"

#include <iterator>
#include <map>
#include <random>

using namespace bltest;

namespace {

// Real presses only where a stray key can do no harm: Alt or F10 alone would open the
// window menu, other keys could toggle lock states.
bool PressableForReal(const TRow& b) {
    const int f1 = KeyIndexOfName("F1");
    return !b.Alt && (KeyNames[static_cast<size_t>(b.Key)].size() == 1 ||
                      (b.Key >= f1 && b.Key < f1 + 12 && b.Key != f1 + 9));
}

class BindingListRandomTest : public BindingListTest, public ::testing::WithParamInterface<unsigned> {};

}  // namespace

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
