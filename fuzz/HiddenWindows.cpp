// The stack of windows hidden by USER_HIDE_WINDOW, driven by any sequence of hides, shows and
// "show all" (the program's exit). A hidden window is never lost: what Pop cannot give back,
// TakeAll does, each window once. A window may be hidden again after it came back by itself.
// Each input byte is one step: 00xxxxxx hides x+1 new windows, 01xxxxxx hides the window
// hidden x+1 hides ago again, 10xxxxxx shows x+1 times, 11xxxxxx takes all.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "launch/ActionCommand.h"

namespace {

void Remember(std::vector<int>& list, int h) {
    if (std::find(list.begin(), list.end(), h) == list.end()) list.push_back(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    THiddenWindowStack<int> stack;
    std::vector<int> hides;      // every window hidden, in order
    std::vector<int> reachable;  // what Pop can give back, the last hidden at the end
    std::vector<int> aside;      // put out of Pop's reach by a wrap

    auto hide = [&](int h) {
        // The 101st hide wraps: the hundred before it are kept, but out of Pop's reach.
        if (reachable.size() == HiddenWindowSlots) {
            for (int r : reachable) Remember(aside, r);
            reachable.clear();
        }
        stack.Push(h);
        hides.push_back(h);
        reachable.push_back(h);
    };
    auto pop = [&] {
        const std::optional<int> h = stack.Pop();
        FUZZ_CHECK(h.has_value() == !reachable.empty());
        if (!h) return;
        FUZZ_CHECK(*h == reachable.back());
        reachable.pop_back();
    };
    auto takeAll = [&] {
        // The reachable ones, the one hidden last first, then those put aside; each once.
        std::vector<int> expected;
        for (auto r = reachable.rbegin(); r != reachable.rend(); ++r) Remember(expected, *r);
        for (int a : aside) Remember(expected, a);
        FUZZ_CHECK(stack.TakeAll() == expected);
        FUZZ_CHECK(stack.HiddenCount() == 0 && !stack.Pop());
        reachable.clear();
        aside.clear();
    };

    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t count = (data[i] & 0x3Fu) + 1;
        switch (data[i] >> 6) {
        case 0:
            for (std::size_t k = 0; k < count; ++k) hide(static_cast<int>(hides.size()) + 1);
            break;
        case 1:
            if (count <= hides.size()) hide(hides[hides.size() - count]);
            break;
        case 2:
            for (std::size_t k = 0; k < count; ++k) pop();
            break;
        case 3: takeAll(); break;
        }
        FUZZ_CHECK(stack.HiddenCount() == static_cast<int>(reachable.size()));
    }
    takeAll();
    return 0;
}
