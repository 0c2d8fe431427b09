#pragma once
// The platform-free half of the action launcher: how an action command line is
// taken apart, which built-in word it names, the new-window browser command line,
// the error text, and the stack of windows hidden by "USER_HIDE_WINDOW".

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TActionParts {
    std::string Program;    // trimmed and unquoted
    std::string Parameters; // trimmed; quotes kept as typed
};

// Splits at the first space outside double quotes, trims both halves and strips
// one quote from each end of the program part.
TActionParts SplitActionCommand(std::string_view command);

enum class TBuiltInWord { None, Clipboard, HideWindow, ShowWindow, Explore };

// Built-in words match in any letter case (ASCII only).
TBuiltInWord ClassifyProgramPart(std::string_view program);

// "http://", "https://" or "www." at the start, compared case-sensitively.
bool IsWebAddress(std::string_view target);

// The browser path and the target, each as one quoted argument. Characters that
// could end the quoted target early (quotes, control characters) are
// percent-encoded, so a hostile clipboard text cannot add browser switches.
std::string NewBrowserCommandLine(std::string_view browser, std::string_view target);

// "Invalid action command:", CR LF, the program part, a space, the parameters.
std::string InvalidActionMessage(std::string_view program, std::string_view parameters);

// Whether a window of this class is the desktop or the shell, which "USER_HIDE_WINDOW" must
// never hide: the user would be left with nothing to click on. Compared as the system
// compares class names, ASCII letters in either case.
bool IsShellWindowClass(std::string_view className);

constexpr int HiddenWindowSlots = 100;

// Windows hidden by "USER_HIDE_WINDOW": 100 slots numbered 1 to 100; the 101st
// hide wraps to slot 1. Windows the wrap puts out of reach of Pop are kept aside
// so TakeAll can still give them back; nothing hidden is ever forgotten.
template <class H>
class THiddenWindowStack {
public:
    // Slot number of the top of the stack, 0 when empty.
    int HiddenCount() const { return FHiddenCount; }
    const std::array<H, HiddenWindowSlots>& HiddenWindows() const { return FSlots; }

    void Clear() {
        FSlots = {};
        FHiddenCount = 0;
        FOutOfReach.clear();
    }

    void Push(H window) {
        if (++FHiddenCount > HiddenWindowSlots) {
            // Every slot is in use: all of them fall out of reach of Pop.
            for (const H& h : FSlots) Remember(FOutOfReach, h);
            FHiddenCount = 1;
        }
        FSlots[static_cast<std::size_t>(FHiddenCount - 1)] = window;
    }

    std::optional<H> Pop() {
        if (FHiddenCount <= 0) return std::nullopt;
        return FSlots[static_cast<std::size_t>(--FHiddenCount)];
    }

    // Empties the stack and returns every window still recorded, the one hidden
    // last first, then those the wrap put out of reach; each window once.
    std::vector<H> TakeAll() {
        std::vector<H> all;
        while (std::optional<H> h = Pop()) Remember(all, *h);
        for (const H& h : FOutOfReach) Remember(all, h);
        Clear();
        return all;
    }

private:
    static void Remember(std::vector<H>& list, const H& h) {
        if (std::find(list.begin(), list.end(), h) == list.end()) list.push_back(h);
    }

    std::array<H, HiddenWindowSlots> FSlots{};
    int FHiddenCount = 0;
    std::vector<H> FOutOfReach;
};
