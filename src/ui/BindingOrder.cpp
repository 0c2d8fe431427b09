#include "ui/BindingOrder.h"

#include <algorithm>
#include <numeric>

#include "app/Text.h"

std::string BindingSortKey(const std::string& text) { return UpperAscii(text); }

int CompareBindingKeys(const std::string& a, const std::string& b) {
    auto fold = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u;
    };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned x = fold(a[i]), y = fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int InsertPosition(int n, const std::function<const std::string&(int)>& textAt, const std::string& text) {
    int low = 0, high = n;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareBindingKeys(text, textAt(mid)) < 0)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

std::vector<int> SortedOrder(const std::vector<std::string>& texts) {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareBindingKeys(texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]) < 0;
    });
    return order;
}
