// The list order must equal what exchanging neighbours over n - 1 passes gives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ui/BindingOrder.h"

namespace {

// Reference: ascending passes over neighbouring pairs, exchanging when the first is greater.
std::vector<int> NeighbourExchangeOrder(const std::vector<std::string>& texts) {
    std::vector<int> rows(texts.size());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    for (size_t pass = 1; pass < rows.size(); ++pass)
        for (size_t i = 0; i + 1 < rows.size(); ++i)
            if (BindingSortKey(texts[rows[i]]) > BindingSortKey(texts[rows[i + 1]]))
                std::swap(rows[i], rows[i + 1]);
    return rows;
}

}  // namespace

TEST(BindingOrder, FoldsOnlyAsciiLettersAndComparesBytesUnsigned) {
    EXPECT_EQ(BindingSortKey("notepad c:\\ä.txt"), "NOTEPAD C:\\ä.TXT");
    // 'é' (0xC3 0xA9 in UTF-8) sorts after every ASCII letter as an unsigned byte.
    EXPECT_EQ(SortedOrder({"é", "z", "A"}), (std::vector<int>{2, 1, 0}));
    // A prefix sorts first; "_" (95) sorts after upper-case letters but before "a" folded.
    EXPECT_EQ(SortedOrder({"Ctrl+F9", "Ctrl+F", "Alt+A"}), (std::vector<int>{2, 1, 0}));
}

TEST(BindingOrder, EqualKeysKeepTheirOrder) {
    EXPECT_EQ(SortedOrder({"abc", "ABC", "Abc", "aaa"}), (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(SortedOrder({}), std::vector<int>{});
    EXPECT_EQ(SortedOrder({"x"}), std::vector<int>{0});
}

TEST(BindingOrder, InsertPositionGoesAfterEqualKeys) {
    const std::vector<std::string> rows = {"Alt+A", "ctrl+b", "Ctrl+B", "F9"};
    auto at = [&](int i) -> const std::string& { return rows[static_cast<size_t>(i)]; };
    EXPECT_EQ(InsertPosition(4, at, "CTRL+B"), 3);
    EXPECT_EQ(InsertPosition(4, at, "A"), 0);
    EXPECT_EQ(InsertPosition(4, at, "Z"), 4);
    EXPECT_EQ(InsertPosition(0, at, "x"), 0);
    EXPECT_LT(CompareBindingKeys("F", "F9"), 0);
    EXPECT_EQ(CompareBindingKeys("abc", "ABC"), 0);
    EXPECT_GT(CompareBindingKeys("é", "z"), 0);
}

TEST(BindingOrder, MatchesNeighbourExchangeOnRandomLists) {
    std::mt19937 rng(20261208);
    const std::vector<std::string> alphabet = {"a", "A", "b", "B", "+", "_", "9", "é", ""};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> texts(rng() % 40);
        for (std::string& t : texts)
            for (size_t k = rng() % 4; k > 0; --k) t += alphabet[rng() % alphabet.size()];
        ASSERT_EQ(SortedOrder(texts), NeighbourExchangeOrder(texts)) << "round " << round;
        // Adding one more text to the sorted list lands where a full sort would put it.
        std::vector<std::string> sorted;
        for (int i : SortedOrder(texts)) sorted.push_back(texts[static_cast<size_t>(i)]);
        std::string extra = alphabet[rng() % alphabet.size()] + alphabet[rng() % alphabet.size()];
        const int at = InsertPosition(static_cast<int>(sorted.size()),
                                      [&](int i) -> const std::string& { return sorted[static_cast<size_t>(i)]; }, extra);
        std::vector<std::string> appended = sorted;
        appended.push_back(extra);
        const std::vector<int> full = SortedOrder(appended);
        ASSERT_EQ(full[static_cast<size_t>(at)], static_cast<int>(sorted.size())) << "round " << round;
    }
}
