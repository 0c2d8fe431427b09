// The binding model: where each operation leaves the rows, and what it tells the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "ui/BindingList.h"
#include "ui/BindingOrder.h"

namespace {

// A row as "action shortcut [off] [refused]"; actions here never hold spaces.
std::string Describe(const TBinding& b, bool refused) {
    return b.Action + " " + b.ShortcutText() + (b.Enabled ? "" : " off") + (refused ? " refused" : "");
}

std::string Describe(const TBindingList& list, int row) { return Describe(list.At(row), list.Refused(row)); }

bool IsRefused(const std::string& row) { return row.find(" refused") != std::string::npos; }

std::vector<std::string> Describe(const TBindingList& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.Count(); ++i) rows.push_back(Describe(list, i));
    return rows;
}

TBinding B(const std::string& action, const std::string& shortcut, bool enabled = true) {
    const TShortcut s = ParseShortcutText(shortcut);
    if (s.keyIndex <= 0) throw std::invalid_argument("test shortcut without a key: " + shortcut);
    return {action, static_cast<TVirtKey>(s.keyIndex), MakeModifiers(s.ctrl, s.alt, s.shift), enabled};
}

// The list sorted by column with exactly these rows in this order (sorted or not).
TBindingList Make(int column, const std::vector<std::string>& rows) {
    TBindingList list;
    list.ColumnClick(column);
    std::vector<TBinding> bindings;
    std::vector<std::string> actions;
    for (const std::string& row : rows) {
        std::istringstream in(row);
        std::string action, shortcut, flag;
        in >> action >> shortcut;
        bindings.push_back(B(action, shortcut));
        while (in >> flag) bindings.back().Enabled = bindings.back().Enabled && flag != "off";
        actions.push_back(action);
    }
    list.AddAll(bindings);
    for (int p = 0; p < list.Count(); ++p)
        for (int q = p; q < list.Count(); ++q)
            if (list.At(q).Action == actions[static_cast<size_t>(p)]) {
                list.Exchange(p, q);
                break;
            }
    for (int p = 0; p < list.Count(); ++p)
        list.SetRefused(p, IsRefused(rows[static_cast<size_t>(p)]));
    if (Describe(list) != rows) throw std::logic_error("test list could not be built");
    return list;
}

struct TCase {
    const char* Name;
    int Column;
    std::vector<std::string> Start;
    std::function<TListChange(TBindingList&)> Operation;
    std::vector<std::string> Rows;  // afterwards
    std::vector<int> From;
    int Row;
    std::vector<int> Touched;
    int SortColumn;  // afterwards
};

const std::vector<std::string> kTwo = {"mail Alt+M", "web Ctrl+W"};
const std::vector<std::string> kThree = {"b Alt+B", "c Ctrl+C off", "a Shift+A refused"};

const TCase kCases[] = {
    {"empty enable all touches nothing", 1, {}, [](TBindingList& l) { return l.EnableAll(); }, {}, {}, -1, {}, 1},
    {"empty disable all touches nothing", 1, {}, [](TBindingList& l) { return l.DisableAll(); }, {}, {}, -1, {}, 1},
    {"empty column click changes nothing", 1, {}, [](TBindingList& l) { return l.ColumnClick(0); }, {}, {}, -1, {}, 0},
    {"empty enable of the blank row", 1, {}, [](TBindingList& l) { return l.Enable(0); }, {}, {}, -1, {}, 1},

    {"hotkey add between two", 1, kTwo, [](TBindingList& l) { return l.Add(B("files", "Alt+X")); },
     {"mail Alt+M", "files Alt+X", "web Ctrl+W"}, {0, 2, 1}, 1, {}, 1},
    {"hotkey add before all", 1, kTwo, [](TBindingList& l) { return l.Add(B("z", "Alt+A", false)); },
     {"z Alt+A off", "mail Alt+M", "web Ctrl+W"}, {2, 0, 1}, 0, {}, 1},
    {"hotkey add after all: nothing moves", 1, kTwo, [](TBindingList& l) { return l.Add(B("a", "F9")); },
     {"mail Alt+M", "web Ctrl+W", "a F9"}, {}, 2, {}, 1},
    {"hotkey add into three", 1, {"a Alt+A", "b Alt+C", "c Alt+E"}, [](TBindingList& l) { return l.Add(B("d", "Alt+D")); },
     {"a Alt+A", "b Alt+C", "d Alt+D", "c Alt+E"}, {0, 1, 3, 2}, 2, {}, 1},
    {"action add goes after every equal key", 0, {"abc F1", "ABC F2", "abd F3"},
     [](TBindingList& l) { return l.Add(B("Abc", "F4")); }, {"abc F1", "ABC F2", "Abc F4", "abd F3"}, {0, 1, 3, 2}, 2, {}, 0},
    {"add to unordered rows sorts them all", 1, {"b Ctrl+W", "a Alt+M"}, [](TBindingList& l) { return l.Add(B("c", "Alt+X")); },
     {"a Alt+M", "c Alt+X", "b Ctrl+W"}, {1, 2, 0}, 1, {}, 1},

    {"action click folds case and keeps order", 1, {"b F1", "A F2", "a F3", "B F4"},
     [](TBindingList& l) { return l.ColumnClick(0); }, {"A F2", "a F3", "b F1", "B F4"}, {1, 2, 0, 3}, -1, {}, 0},
    {"hotkey click on ordered rows moves nothing", 1, kTwo, [](TBindingList& l) { return l.ColumnClick(1); }, kTwo, {}, -1, {}, 1},
    {"click on a third column", 1, {"b F1", "a F2"}, [](TBindingList& l) { return l.ColumnClick(2); },
     {"b F1", "a F2"}, {}, -1, {}, 1},
    {"sort keeps the sort column", 1, {"b F1", "a F2"}, [](TBindingList& l) { return l.Sort(0); },
     {"a F2", "b F1"}, {1, 0}, -1, {}, 1},
    {"refused marks move with their rows", 0, kThree, [](TBindingList& l) { return l.ColumnClick(1); },
     {"b Alt+B", "c Ctrl+C off", "a Shift+A refused"}, {}, -1, {}, 1},
    {"refused marks move on action sort", 1, kThree, [](TBindingList& l) { return l.Sort(0); },
     {"a Shift+A refused", "b Alt+B", "c Ctrl+C off"}, {2, 0, 1}, -1, {}, 1},

    {"update keeping the shortcut keeps row and mark", 1, kThree,
     [](TBindingList& l) { return l.Update(2, B("zz", "Shift+A", false)); },
     {"b Alt+B", "c Ctrl+C off", "zz Shift+A off refused"}, {}, 2, {}, 1},
    {"update of the shortcut moves it and clears its mark", 1, kThree,
     [](TBindingList& l) { return l.Update(2, B("a", "Alt+A")); },
     {"a Alt+A", "b Alt+B", "c Ctrl+C off"}, {2, 0, 1}, 0, {}, 1},
    {"update by action re-sorts", 0, {"a F1", "b F2", "c F3"}, [](TBindingList& l) { return l.Update(0, B("bb", "F1")); },
     {"b F2", "bb F1", "c F3"}, {1, 0, 2}, 1, {}, 0},
    {"update of the blank row", 1, kTwo, [](TBindingList& l) { return l.Update(2, B("x", "F1")); }, kTwo, {}, -1, {}, 1},
    {"update before the first row", 1, kTwo, [](TBindingList& l) { return l.Update(-1, B("x", "F1")); }, kTwo, {}, -1, {}, 1},

    {"exchange carries marks", 1, kThree, [](TBindingList& l) { return l.Exchange(2, 0); },
     {"a Shift+A refused", "c Ctrl+C off", "b Alt+B"}, {2, 1, 0}, -1, {}, 1},
    {"exchange with itself", 1, kThree, [](TBindingList& l) { return l.Exchange(1, 1); }, kThree, {}, -1, {}, 1},
    {"exchange with the blank row", 1, kThree, [](TBindingList& l) { return l.Exchange(0, 3); }, kThree, {}, -1, {}, 1},

    {"delete keeps the others' order", 1, kThree, [](TBindingList& l) { return l.Delete(1); },
     {"b Alt+B", "a Shift+A refused"}, {}, -1, {1}, 1},
    {"delete of the blank row", 1, kThree, [](TBindingList& l) { return l.Delete(3); }, kThree, {}, -1, {}, 1},
    {"delete of row -1", 1, kThree, [](TBindingList& l) { return l.Delete(-1); }, kThree, {}, -1, {}, 1},

    {"enable one", 1, kThree, [](TBindingList& l) { return l.Enable(1); },
     {"b Alt+B", "c Ctrl+C", "a Shift+A refused"}, {}, -1, {1}, 1},
    {"enable one already enabled is asked again", 1, kThree, [](TBindingList& l) { return l.Enable(2); }, kThree, {}, -1, {2}, 1},
    {"disable one", 1, kThree, [](TBindingList& l) { return l.Disable(0); },
     {"b Alt+B off", "c Ctrl+C off", "a Shift+A refused"}, {}, -1, {0}, 1},
    {"disable the blank row", 1, kThree, [](TBindingList& l) { return l.Disable(3); }, kThree, {}, -1, {}, 1},
    {"enable all asks for every row", 1, kThree, [](TBindingList& l) { return l.EnableAll(); },
     {"b Alt+B", "c Ctrl+C", "a Shift+A refused"}, {}, -1, {0, 1, 2}, 1},
    {"disable all", 1, kThree, [](TBindingList& l) { return l.DisableAll(); },
     {"b Alt+B off", "c Ctrl+C off", "a Shift+A off refused"}, {}, -1, {0, 1, 2}, 1},

    {"load into ordered rows reports the new rows", 1, {"a Alt+B", "b Ctrl+C"},
     [](TBindingList& l) { return l.AddAll({B("c", "F1"), B("d", "Alt+A")}); },
     {"d Alt+A", "a Alt+B", "b Ctrl+C", "c F1"}, {3, 0, 1, 2}, -1, {0, 3}, 1},
    {"load appending in order", 1, {"a Alt+B"}, [](TBindingList& l) { return l.AddAll({B("c", "F1")}); },
     {"a Alt+B", "c F1"}, {}, -1, {1}, 1},
    {"load of nothing", 1, {"a Alt+B"}, [](TBindingList& l) { return l.AddAll({}); }, {"a Alt+B"}, {}, -1, {}, 1},
};

void PrintTo(const TCase& c, std::ostream* os) { *os << c.Name; }

class BindingListCase : public testing::TestWithParam<TCase> {};

TEST_P(BindingListCase, LeavesRowsAndReportsTheChange) {
    const TCase& c = GetParam();
    TBindingList list = Make(c.Column, c.Start);
    const TListChange change = c.Operation(list);
    EXPECT_EQ(Describe(list), c.Rows);
    EXPECT_EQ(change.From, c.From);
    EXPECT_EQ(change.Row, c.Row);
    EXPECT_EQ(change.Rows, c.Touched);
    EXPECT_EQ(list.SortColumn(), c.SortColumn);
    EXPECT_EQ(list.BlankRow(), static_cast<int>(c.Rows.size()));
    EXPECT_EQ(list.ColumnText(list.BlankRow(), 0), "");
    EXPECT_EQ(change.Changed(), Describe(list) != c.Start || !change.Rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, BindingListCase, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.Name;
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
});

TEST(BindingList, RefusesBindingsWithoutAKeyAndRowsOutOfRange) {
    TBindingList list = Make(1, kTwo);
    TBinding none = B("x", "F1");
    none.Key = vkNone;
    TBinding beyond = none;
    beyond.Key = static_cast<TVirtKey>(KeyCount);
    EXPECT_THROW(list.Add(none), std::invalid_argument);
    EXPECT_THROW(list.Add(beyond), std::invalid_argument);
    EXPECT_THROW(list.Update(0, none), std::invalid_argument);
    EXPECT_THROW(list.AddAll({B("y", "F2"), none}), std::invalid_argument);
    EXPECT_EQ(Describe(list), kTwo);  // nothing half-added
    EXPECT_THROW(list.At(2), std::out_of_range);
    EXPECT_THROW(list.ColumnText(3, 0), std::out_of_range);
    EXPECT_EQ(list.ColumnText(1, 1), "Ctrl+W");
    EXPECT_EQ(list.RowOfShortcut("Ctrl+W"), 1);
    EXPECT_EQ(list.RowOfShortcut("CTRL+W"), -1);
    EXPECT_TRUE(list.SetRefused(1, true));
    EXPECT_FALSE(list.SetRefused(1, true));
    EXPECT_FALSE(list.SetRefused(2, true));
    EXPECT_FALSE(list.Refused(2));
}

// Keys equal when folded, so stability matters: "a"/"A", and shortcuts that share a prefix.
const char* const kActions[] = {"a", "A", "b", "B", "ab", "AB", "_", "é"};
const char* const kShortcuts[] = {"A", "Alt+A", "Ctrl+A", "F1", "F10", "Ctrl+Alt+F1", "Shift+NUMPAD0", "APPS"};

TEST(BindingList, RandomOperationsKeepTheRowsInStep) {
    unsigned seed = 20261209;
    if (const char* text = std::getenv("TARVO_MODEL_SEED")) seed = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    std::cout << "TARVO_MODEL_SEED=" << seed << std::endl;
    SCOPED_TRACE("TARVO_MODEL_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto binding = [&] { return B(kActions[pick(8)], kShortcuts[pick(8)], pick(3) != 0); };

    for (int round = 0; round < 40; ++round) {
        TBindingList list;
        for (int step = 0; step < 60; ++step) {
            const std::vector<std::string> before = Describe(list);
            const int n = list.Count();
            const int row = pick(n + 2) - 1;  // -1 and the blank row too
            // What the rows were, with added or rewritten bindings in the places From names.
            std::vector<std::string> old = before;
            std::vector<TBinding> added;
            bool sorts = false;
            TListChange change;
            std::string op;
            switch (pick(9)) {
            case 0: {
                const TBinding b = binding();
                op = "Add " + Describe(b, false);
                change = list.Add(b);
                added = {b};
                sorts = true;
                EXPECT_GE(change.Row, 0) << op;
                break;
            }
            case 1: {
                added.resize(static_cast<size_t>(pick(4)));
                op = "AddAll";
                for (TBinding& b : added) op += ", " + Describe(b = binding(), false);
                change = list.AddAll(added);
                sorts = !added.empty();
                break;
            }
            case 2: {
                const TBinding b = binding();
                op = "Update " + std::to_string(row) + " " + Describe(b, false);
                const bool same = list.IsBindingRow(row) && list.At(row).ShortcutText() == b.ShortcutText();
                change = list.Update(row, b);
                sorts = list.IsBindingRow(row);
                if (sorts) {
                    old[static_cast<size_t>(row)] = Describe(b, same && IsRefused(before[static_cast<size_t>(row)]));
                    EXPECT_GE(change.Row, 0) << op;
                }
                break;
            }
            case 3: {
                const int other = pick(n + 1);
                op = "Exchange " + std::to_string(row) + " " + std::to_string(other);
                change = list.Exchange(row, other);
                break;
            }
            case 4: {
                const int column = pick(3);
                op = "ColumnClick " + std::to_string(column);
                change = list.ColumnClick(column);
                sorts = column != 2;
                break;
            }
            case 5:
                op = "Sort 0";
                change = list.Sort(0);
                break;
            case 6:
                op = "Delete " + std::to_string(row);
                change = list.Delete(row);
                if (row >= 0 && row < n) old.erase(old.begin() + row);
                break;
            case 7: {
                const bool on = pick(2) != 0, all = pick(4) == 0;
                op = std::string(on ? "Enable" : "Disable") + (all ? "All" : " " + std::to_string(row));
                change = all ? (on ? list.EnableAll() : list.DisableAll()) : (on ? list.Enable(row) : list.Disable(row));
                std::vector<int> asked;
                for (int i = 0; i < n; ++i)
                    if (all || i == row) asked.push_back(i);
                EXPECT_EQ(change.Rows, asked) << op;
                for (int i : asked) {
                    TBinding b = list.At(i);
                    b.Enabled = on;
                    old[static_cast<size_t>(i)] = Describe(b, IsRefused(old[static_cast<size_t>(i)]));
                }
                break;
            }
            default:
                op = "SetRefused " + std::to_string(row);
                list.SetRefused(row, true);
                if (row >= 0 && row < n && !IsRefused(old[static_cast<size_t>(row)])) old[static_cast<size_t>(row)] += " refused";
                break;
            }
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step) + ": " + op);
            // Added bindings take the indexes after the old rows.
            for (const TBinding& b : added) old.push_back(Describe(b, false));
            std::vector<std::string> expected = old;
            if (!change.From.empty()) {
                ASSERT_EQ(change.From.size(), old.size());
                std::vector<int> seen = change.From;
                std::sort(seen.begin(), seen.end());
                for (size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], static_cast<int>(i)) << "From is no permutation";
                for (size_t p = 0; p < old.size(); ++p) expected[p] = old[static_cast<size_t>(change.From[p])];
            }
            ASSERT_EQ(Describe(list), expected);
            if (change.Row >= 0) {
                const int was = change.From.empty() ? change.Row : change.From[static_cast<size_t>(change.Row)];
                EXPECT_TRUE(was >= n || (op.rfind("Update", 0) == 0 && was == row)) << "Row " << change.Row;
            }
            if (sorts) {
                const int c = list.SortColumn();
                for (int p = 1; p < list.Count(); ++p) {
                    const std::string k0 = BindingSortKey(list.ColumnText(p - 1, c)), k1 = BindingSortKey(list.ColumnText(p, c));
                    ASSERT_LE(k0, k1) << "rows " << p - 1 << " and " << p;
                    // Stable: equal keys keep the order they came in, added ones last.
                    if (k0 == k1 && !change.From.empty())
                        ASSERT_LT(change.From[static_cast<size_t>(p - 1)], change.From[static_cast<size_t>(p)]);
                }
            }
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
