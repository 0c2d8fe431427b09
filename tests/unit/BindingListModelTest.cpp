// The binding model: where each operation leaves the rows, and what it tells the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <numeric>
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

using TRows = std::vector<std::string>;

// A row as "action shortcut [off] [refused]"; actions here never hold spaces.
std::string Describe(const TBinding& b, bool refused) {
    return b.Action + " " + b.ShortcutText() + (b.Enabled ? "" : " off") + (refused ? " refused" : "");
}
TRows Describe(const TBindingList& list) {
    TRows rows;
    for (int i = 0; i < list.Count(); ++i) rows.push_back(Describe(list.At(i), list.Refused(i)));
    return rows;
}
bool IsRefused(const std::string& row) { return row.find(" refused") != std::string::npos; }

TBinding B(const std::string& action, const std::string& shortcut, bool enabled = true) {
    const TShortcut s = ParseShortcutText(shortcut);
    if (s.keyIndex <= 0) throw std::invalid_argument("test shortcut without a key: " + shortcut);
    return {action, static_cast<TVirtKey>(s.keyIndex), MakeModifiers(s.ctrl, s.alt, s.shift), enabled};
}

// The list sorted by column holding exactly these rows in this order, in order or not.
TBindingList Make(int column, const TRows& rows) {
    TBindingList list;
    list.ColumnClick(column);
    std::vector<TBinding> bindings;
    for (const std::string& row : rows) {
        std::istringstream in(row);
        std::string action, shortcut;
        in >> action >> shortcut;
        bindings.push_back(B(action, shortcut, row.find(" off") == std::string::npos));
    }
    list.AddAll(bindings);
    for (int p = 0; p < list.Count(); ++p) {
        for (int q = p; list.At(p).Action != bindings[static_cast<size_t>(p)].Action; ++q) list.Exchange(p, q);
        list.SetRefused(p, IsRefused(rows[static_cast<size_t>(p)]));
    }
    if (Describe(list) != rows) throw std::logic_error("test list could not be built");
    return list;
}

struct TCase {
    const char* Name;
    int Column;
    TRows Start;
    std::function<TListChange(TBindingList&)> Operation;
    TRows Rows;  // afterwards
    std::vector<int> From;
    int Row;
    std::vector<int> Touched;
    int SortColumn;  // afterwards
};
void PrintTo(const TCase& c, std::ostream* os) { *os << c.Name; }

const TRows kTwo = {"mail Alt+M", "web Ctrl+W"};
const TRows kThree = {"b Alt+B", "c Ctrl+C off", "a Shift+A refused"};
using L = TBindingList&;

const TCase kCases[] = {
    {"empty enable all", 1, {}, [](L l) { return l.EnableAll(); }, {}, {}, -1, {}, 1},
    {"empty column click", 1, {}, [](L l) { return l.ColumnClick(0); }, {}, {}, -1, {}, 0},
    {"hotkey add between two", 1, kTwo, [](L l) { return l.Add(B("files", "Alt+X")); },
     {"mail Alt+M", "files Alt+X", "web Ctrl+W"}, {0, 2, 1}, 1, {}, 1},
    {"hotkey add after all", 1, kTwo, [](L l) { return l.Add(B("a", "F9")); }, {"mail Alt+M", "web Ctrl+W", "a F9"}, {}, 2, {}, 1},
    {"action add after every equal key", 0, {"abc F1", "ABC F2", "abd F3"}, [](L l) { return l.Add(B("Abc", "F4")); },
     {"abc F1", "ABC F2", "Abc F4", "abd F3"}, {0, 1, 3, 2}, 2, {}, 0},
    {"add to unordered rows sorts all", 1, {"b Ctrl+W", "a Alt+M"}, [](L l) { return l.Add(B("c", "Alt+X")); },
     {"a Alt+M", "c Alt+X", "b Ctrl+W"}, {1, 2, 0}, 1, {}, 1},
    {"action click folds case, keeps order", 1, {"b F1", "A F2", "a F3", "B F4"}, [](L l) { return l.ColumnClick(0); },
     {"A F2", "a F3", "b F1", "B F4"}, {1, 2, 0, 3}, -1, {}, 0},
    {"hotkey click on ordered rows", 1, kTwo, [](L l) { return l.ColumnClick(1); }, kTwo, {}, -1, {}, 1},
    {"click on a third column", 1, {"b F1", "a F2"}, [](L l) { return l.ColumnClick(2); }, {"b F1", "a F2"}, {}, -1, {}, 1},
    {"sort carries marks, keeps column", 1, kThree, [](L l) { return l.Sort(0); },
     {"a Shift+A refused", "b Alt+B", "c Ctrl+C off"}, {2, 0, 1}, -1, {}, 1},
    {"update keeping the shortcut", 1, kThree, [](L l) { return l.Update(2, B("zz", "Shift+A", false)); },
     {"b Alt+B", "c Ctrl+C off", "zz Shift+A off refused"}, {}, 2, {}, 1},
    {"update of the shortcut", 1, kThree, [](L l) { return l.Update(2, B("a", "Alt+A")); },
     {"a Alt+A", "b Alt+B", "c Ctrl+C off"}, {2, 0, 1}, 0, {}, 1},
    {"update by action", 0, {"a F1", "b F2", "c F3"}, [](L l) { return l.Update(0, B("bb", "F1")); },
     {"b F2", "bb F1", "c F3"}, {1, 0, 2}, 1, {}, 0},
    {"update of the blank row", 1, kTwo, [](L l) { return l.Update(2, B("x", "F1")); }, kTwo, {}, -1, {}, 1},
    {"exchange carries marks", 1, kThree, [](L l) { return l.Exchange(2, 0); },
     {"a Shift+A refused", "c Ctrl+C off", "b Alt+B"}, {2, 1, 0}, -1, {}, 1},
    {"exchange with the blank row", 1, kThree, [](L l) { return l.Exchange(0, 3); }, kThree, {}, -1, {}, 1},
    {"delete keeps the others' order", 1, kThree, [](L l) { return l.Delete(1); },
     {"b Alt+B", "a Shift+A refused"}, {}, -1, {1}, 1},
    {"delete of row -1", 1, kThree, [](L l) { return l.Delete(-1); }, kThree, {}, -1, {}, 1},
    {"enable one", 1, kThree, [](L l) { return l.Enable(1); }, {"b Alt+B", "c Ctrl+C", "a Shift+A refused"}, {}, -1, {1}, 1},
    {"enable one already enabled", 1, kThree, [](L l) { return l.Enable(2); }, kThree, {}, -1, {2}, 1},
    {"disable one", 1, kThree, [](L l) { return l.Disable(0); },
     {"b Alt+B off", "c Ctrl+C off", "a Shift+A refused"}, {}, -1, {0}, 1},
    {"enable all asks for every row", 1, kThree, [](L l) { return l.EnableAll(); },
     {"b Alt+B", "c Ctrl+C", "a Shift+A refused"}, {}, -1, {0, 1, 2}, 1},
    {"load reports the new rows", 1, {"a Alt+B", "b Ctrl+C"}, [](L l) { return l.AddAll({B("c", "F1"), B("d", "Alt+A")}); },
     {"d Alt+A", "a Alt+B", "b Ctrl+C", "c F1"}, {3, 0, 1, 2}, -1, {0, 3}, 1},
};

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
    EXPECT_EQ(change.Changed(), c.Rows != c.Start || !c.Touched.empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, BindingListCase, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.Name;
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
});

TEST(BindingList, RefusesBindingsWithoutAKeyAndRowsOutOfRange) {
    TBindingList list = Make(1, kTwo);
    TBinding none = B("x", "F1"), beyond = none;
    none.Key = vkNone;
    beyond.Key = static_cast<TVirtKey>(KeyCount);
    EXPECT_THROW(list.Add(none), std::invalid_argument);
    EXPECT_THROW(list.Update(0, beyond), std::invalid_argument);
    EXPECT_THROW(list.AddAll({B("y", "F2"), none}), std::invalid_argument);
    EXPECT_THROW(list.Disable(2), std::out_of_range);  // the blank row
    EXPECT_THROW(list.Enable(-1), std::out_of_range);
    EXPECT_EQ(Describe(list), kTwo);  // nothing half-added, nothing switched
    EXPECT_THROW(list.At(2), std::out_of_range);
    EXPECT_THROW(list.ColumnText(3, 0), std::out_of_range);
    EXPECT_EQ(list.RowOfShortcut("Ctrl+W"), 1);
    EXPECT_EQ(list.RowOfShortcut("CTRL+W"), -1);
    EXPECT_TRUE(list.SetRefused(1, true));
    EXPECT_FALSE(list.SetRefused(1, true));
}

// Keys equal when folded, so stability matters, and shortcuts that share a prefix.
const char* const kActions[] = {"a", "A", "b", "B", "ab", "AB", "_", "é"};
const char* const kShortcuts[] = {"A", "Alt+A", "Ctrl+A", "F1", "F10", "Ctrl+Alt+F1", "Shift+NUMPAD0", "APPS"};

TEST(BindingList, RandomOperationsKeepTheRowsInStep) {
    unsigned seed = 20261209;
    if (const char* text = std::getenv("TARVO_MODEL_SEED")) seed = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    std::cout << "TARVO_MODEL_SEED=" << seed << std::endl;
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto binding = [&] { return B(kActions[pick(8)], kShortcuts[pick(8)], pick(3) != 0); };
    for (int round = 0; round < 40; ++round) {
        TBindingList list;
        for (int step = 0; step < 60; ++step) {
            // The rows before, with added or rewritten bindings where From should find them.
            TRows old = Describe(list);
            const int n = list.Count(), row = pick(n + 2) - 1;  // -1 and the blank row too
            const bool valid = list.IsBindingRow(row);
            int expectedRow = -1;
            bool sorts = false;
            std::ostringstream op;
            TListChange change;
            switch (pick(6)) {
            case 0: {  // one added by one, or a load of several
                std::vector<TBinding> added(static_cast<size_t>(1 + pick(3)));
                for (TBinding& b : added) old.push_back(Describe(b = binding(), false));
                const bool one = added.size() == 1 && pick(2) != 0;
                op << (one ? "Add " : "AddAll ") << ::testing::PrintToString(TRows(old.begin() + n, old.end()));
                change = one ? list.Add(added[0]) : list.AddAll(added);
                sorts = true;
                expectedRow = one ? n : -1;
                break;
            }
            case 1: {
                const TBinding b = binding();
                op << "Update " << row << " " << Describe(b, false);
                if (valid) {
                    const bool keep = IsRefused(old[static_cast<size_t>(row)]) && list.At(row).ShortcutText() == b.ShortcutText();
                    old[static_cast<size_t>(row)] = Describe(b, keep);
                    sorts = true;
                    expectedRow = row;
                }
                change = list.Update(row, b);
                break;
            }
            case 2: {
                const int other = pick(n + 1);
                op << "Exchange " << row << " " << other;
                change = list.Exchange(row, other);
                break;
            }
            case 3: {
                const int column = pick(4);  // 3: a sort that leaves the sort column
                op << (column == 3 ? "Sort 0" : "ColumnClick " + std::to_string(column));
                change = column == 3 ? list.Sort(0) : list.ColumnClick(column);
                sorts = column < 2;
                break;
            }
            case 4:
                op << "Delete " << row;
                change = list.Delete(row);
                if (valid) old.erase(old.begin() + row);
                break;
            default:
                op << "SetRefused " << row;
                list.SetRefused(row, true);
                if (valid) old[static_cast<size_t>(row)] = Describe(list.At(row), true);
                break;
            }
            SCOPED_TRACE("TARVO_MODEL_SEED=" + std::to_string(seed) + " round " + std::to_string(round) + " step " +
                         std::to_string(step) + ": " + op.str());
            TRows expected = old;
            if (!change.From.empty()) {
                std::vector<int> rows(old.size());
                std::iota(rows.begin(), rows.end(), 0);
                ASSERT_TRUE(std::is_permutation(change.From.begin(), change.From.end(), rows.begin(), rows.end()));
                for (size_t p = 0; p < old.size(); ++p) expected[p] = old[static_cast<size_t>(change.From[p])];
            }
            ASSERT_EQ(Describe(list), expected);
            if (expectedRow >= 0) {
                ASSERT_TRUE(list.IsBindingRow(change.Row)) << change.Row;
                EXPECT_EQ(change.From.empty() ? change.Row : change.From[static_cast<size_t>(change.Row)], expectedRow);
            }
            for (int p = 1; sorts && p < list.Count(); ++p) {
                const int c = list.SortColumn();
                const std::string k0 = BindingSortKey(list.ColumnText(p - 1, c)), k1 = BindingSortKey(list.ColumnText(p, c));
                ASSERT_LE(k0, k1) << "rows " << p - 1 << " and " << p;
                // Stable: equal keys keep the order they came in, added ones last.
                if (k0 == k1 && !change.From.empty())
                    ASSERT_LT(change.From[static_cast<size_t>(p - 1)], change.From[static_cast<size_t>(p)]);
            }
        }
    }
}

}  // namespace
