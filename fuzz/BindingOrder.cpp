// The order of the binding rows by a column's text (actions and shortcuts the user typed).
// Input lines: the rows' texts; the last line is also inserted into the sorted rows.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ui/BindingOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // More rows than std::sort sorts by insertion, so that an unstable sort would show.
    const auto lines = fuzz::Lines(fuzz::AsText(data, size), 64);
    const std::vector<std::string> texts(lines.begin(), lines.end());
    const std::size_t n = texts.size();
    auto less = [](const std::string& a, const std::string& b) {
        return CompareBindingKeys(a, b) < 0;
    };

    const auto few = static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, 10));
    const std::vector<std::string> some(texts.begin(), texts.begin() + few);
    for (const std::string& a : some)
        for (const std::string& b : some) {
            // The comparison is that of the sort keys as unsigned bytes, a prefix first; so it
            // is a strict weak order (transitive and antisymmetric, a..z folded to A..Z).
            const int c = fuzz::Sign(CompareBindingKeys(a, b));
            FUZZ_CHECK(c == fuzz::Sign(BindingSortKey(a).compare(BindingSortKey(b))));
            FUZZ_CHECK(c == -fuzz::Sign(CompareBindingKeys(b, a)));
            FUZZ_CHECK(BindingSortKey(a).size() == a.size());
            for (const std::string& m : some) {
                if (less(a, m) && less(m, b)) FUZZ_CHECK(c < 0);
                if (!less(a, m) && !less(m, a) && !less(m, b) && !less(b, m)) FUZZ_CHECK(c == 0);
            }
        }

    // The sorted order is a permutation, in order, and keeps equal rows as they stood.
    const std::vector<int> order = SortedOrder(texts);
    FUZZ_CHECK(order.size() == n);
    std::vector<int> seen(order);
    std::sort(seen.begin(), seen.end());
    for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(seen[i] == static_cast<int>(i));
    std::vector<std::string> sorted;
    for (int i : order) sorted.push_back(texts[static_cast<std::size_t>(i)]);
    for (std::size_t i = 1; i < n; ++i) {
        const int c = CompareBindingKeys(sorted[i - 1], sorted[i]);
        FUZZ_CHECK(c <= 0);
        if (c == 0) FUZZ_CHECK(order[i - 1] < order[i]);
    }

    // A new row goes after every row whose key is not greater, before every greater one.
    const std::string& added = texts.back();
    const int at = InsertPosition(static_cast<int>(n), [&](int i) -> const std::string& {
        return sorted[static_cast<std::size_t>(i)];
    }, added);
    FUZZ_CHECK(at >= 0 && at <= static_cast<int>(n));
    for (int i = 0; i < static_cast<int>(n); ++i)
        FUZZ_CHECK((i < at) == !less(added, sorted[static_cast<std::size_t>(i)]));
    return 0;
}
