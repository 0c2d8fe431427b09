// The stack of windows hidden by USER_HIDE_WINDOW, driven by any sequence of hides, shows and
// "show all" (the program's exit). A hidden window is never lost: what Pop cannot give back,
// TakeAll does, each window once. A window may be hidden again after it came back by itself.
// Each input byte is one step: 00xxxxxx hides x+1 new windows, 01xxxxxx hides the window
// hidden x+1 hides ago again, 10xxxxxx shows x+1 times, 11xxxxxx takes all.
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "FuzzCheck.h"
#include "launch/ActionCommand.h"

namespace {

// Windows in the order first remembered, each once.
struct TRemembered {
    std::vector<int> List;
    std::unordered_set<int> Members;
    void Add(int h) {
        if (Members.insert(h).second) List.push_back(h);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 128) return -1;  // enough steps for two wraps and back; longer only costs time
    THiddenWindowStack<int> stack;
    std::vector<int> hides;      // every window hidden, in order
    std::vector<int> reachable;  // what Pop can give back, the last hidden at the end
    TRemembered aside;           // put out of Pop's reach by a wrap

    auto hide = [&](int h) {
        // The 101st hide wraps: the hundred before it are kept, but out of Pop's reach.
        if (reachable.size() == HiddenWindowSlots) {
            for (int r : reachable) aside.Add(r);
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
        TRemembered expected;
        for (auto r = reachable.rbegin(); r != reachable.rend(); ++r) expected.Add(*r);
        for (int a : aside.List) expected.Add(a);
        FUZZ_CHECK(stack.TakeAll() == expected.List);
        FUZZ_CHECK(stack.HiddenCount() == 0 && !stack.Pop());
        reachable.clear();
        aside = {};
    };

    // Two wraps show all a wrap does; more would only make each input slower, since keeping
    // windows aside (here and in the stack) looks through those already kept.
    for (std::size_t i = 0; i < size && hides.size() <= 2 * HiddenWindowSlots; ++i) {
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
