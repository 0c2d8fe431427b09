// The real program killed in the middle of its saves: the one-value updates of Disable All,
// whole rewrites of bindings stored by hand, and the first save of bindings new to the key
// (the move of an earlier edition's bindings at start-up). After every kill the next start
// loads every binding, as it was or as the save made it, and reports nothing.
//   TARVO_KILLS   how many kills (default 30, a third of each kind)
//   TARVO_KILL_SEED   the seed of the random kill moments (printed by every run)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <stdexcept>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Driver.h"

using namespace e2e;

namespace {

constexpr int kBindings = 40;

enum class TKind { OneValue, Whole, New };
const char* Name(TKind k) { return k == TKind::OneValue ? "one-value" : k == TKind::Whole ? "whole" : "new"; }

// Everything stored under a key, subkeys included: path -> values.
using TSnapshot = std::map<std::string, TRegValues>;
void Snap(const std::string& path, TSnapshot& into) {
    if (!KeyExists(path)) return;
    into[path] = ReadValues(path);
    for (const std::string& sub : SubKeys(path)) Snap(path + "\\" + sub, into);
}
TSnapshot Snapshot() {
    for (;;) {
        try {
            TSnapshot s;
            Snap(SettingsKey(), s);
            Snap(LegacyApplicationKey(), s);
            return s;
        } catch (const std::runtime_error&) {
            // A key went while it was being listed: the save is still running; look again.
        }
    }
}

double NowMs() {
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}
// Sleep() alone is too coarse to land inside a save that lasts a few milliseconds.
void Pause(double ms) {
    const double end = NowMs() + ms;
    while (end - NowMs() > 3) ::Sleep(1);
    while (NowMs() < end) ::Sleep(0);
}

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

class Kill : public TTarvoTest {
protected:
    // The bindings a kind starts from, all enabled. One-value saves are so quick that only
    // many bindings give a kill time to land inside one.
    static int Count(TKind kind) { return kind == TKind::OneValue ? 200 : kBindings; }
    std::map<std::string, TBinding> Planted(TKind kind) const {
        std::map<std::string, TBinding> all;
        // Never a key alone: the tray menu is worked with plain letter keys.
        const char* const prefixes[] = {"Control_", "Alt_", "ControlAlt_", "ShiftControl_"};
        const bool ctrl[] = {true, false, true, true}, alt[] = {false, true, true, false};
        for (int i = 0; i < Count(kind); ++i) {
            const int k = i % 60, m = i / 60;
            const DWORD key = k < 24 ? VK_F1 + static_cast<DWORD>(k) : k < 50 ? 'A' + static_cast<DWORD>(k - 24) : '0' + static_cast<DWORD>(k - 50);
            const std::string keyName = k < 24 ? "F" + std::to_string(k + 1) : std::string(1, static_cast<char>(key));
            all[prefixes[m] + keyName] = {Command("kill-" + std::to_string(i)), key, ctrl[m], alt[m], m == 3};
        }
        return all;
    }
    // The registry as the save finds it.
    void Plant(TKind kind) {
        CleanRegistry();
        const std::string hotKeys = kind == TKind::New ? LegacyHotKeysKey(UserName()) : HotKeysKey();
        for (const auto& [name, b] : Planted(kind)) {
            TRegValues v = BindingValues(b);
            if (kind == TKind::Whole) v["Enabled"] = DwordValue(2);  // on, but not as a save writes it
            WriteValues(hotKeys + "\\" + name, v);
        }
        if (kind == TKind::New)
            WriteValues(SettingsKey(), {});  // so the first write can be watched for
        else
            WriteValues(HotKeysKey() + "\\_FirstRun", {});
    }
    // Starts the program and sets the save going; what a person does for it.
    void StartSave(TTarvo& tarvo, TKind kind) {
        if (kind == TKind::New) {
            tarvo.Start(false);  // the move runs while the main window is being created
        } else {
            tarvo.Start();
            ASSERT_TRUE(tarvo.StartupDone());
            ASSERT_TRUE(tarvo.ChooseFromTrayMenu('d', false));
        }
    }
    // A normal start finds every binding and tells of nothing.
    void ExpectLoadsEverything(TKind kind, const std::string& where) {
        TTarvo tarvo;
        tarvo.Start();
        ASSERT_TRUE(tarvo.StartupDone()) << where;
        if (auto box = tarvo.MessageBox()) FAIL() << where << ": " << box->Caption << ": " << box->Text;
        std::vector<TTarvo::TRow> rows;
        // The list tells its control about the rows once the start-up is over.
        const size_t n = static_cast<size_t>(Count(kind));
        EXPECT_TRUE(WaitFor([&] { return (rows = tarvo.ListRows()).size() == n + 1; }, 3000))
            << where << ": " << rows.size() << " rows";
        std::map<std::string, int> shown;  // action -> state image
        for (const TTarvo::TRow& row : rows) shown[row.Action] = row.StateImage;
        for (const auto& [name, b] : Planted(kind)) {
            auto row = shown.find(b.Address);
            ASSERT_NE(row, shown.end()) << where << ": " << name << " is gone";
            // Disable All turns everything off; the move leaves everything on.
            if (kind == TKind::New) EXPECT_EQ(row->second, 0) << where << ": " << name;
        }
        EXPECT_TRUE(tarvo.RoundTrip()) << where;
        EXPECT_FALSE(tarvo.MessageBox()) << where;
        tarvo.Kill();
    }
};

}  // namespace

TEST_F(Kill, SavesCutShortAtRandomMomentsLoseNoBinding) {
    const int kills = EnvInt("TARVO_KILLS", 30);
    const unsigned seed = static_cast<unsigned>(EnvInt("TARVO_KILL_SEED", static_cast<int>(::GetTickCount() & 0x7FFFFFFF)));
    std::cout << "kill seed " << seed << " (TARVO_KILL_SEED), " << kills << " kills (TARVO_KILLS)" << std::endl;
    std::mt19937 random(seed);

    const TKind kinds[] = {TKind::OneValue, TKind::Whole, TKind::New};
    // Each kind once without a kill: what the registry holds before and after, and how
    // long the save runs from its first write, so kills can be spread over that time.
    std::map<TKind, TSnapshot> before, after;
    std::map<TKind, double> duration;
    for (TKind kind : kinds) {
        Plant(kind);
        before[kind] = Snapshot();
        TKeyWatch watch(kind == TKind::New ? SettingsKey() : HotKeysKey());
        TTarvo tarvo;
        StartSave(tarvo, kind);
        ASSERT_TRUE(watch.Wait(10000)) << Name(kind) << ": no save";
        const double start = NowMs();
        // The save runs within the handling of what started it: done once the program answers.
        ASSERT_TRUE(tarvo.RoundTrip()) << Name(kind);
        duration[kind] = std::max(1.0, NowMs() - start);
        after[kind] = Snapshot();
        ASSERT_NE(after[kind], before[kind]) << Name(kind) << ": the save changed nothing";
        tarvo.Kill();
        ExpectLoadsEverything(kind, std::string(Name(kind)) + " uncut");
    }

    std::map<TKind, std::map<std::string, int>> landed;
    std::map<TKind, double> window = duration;
    for (int k = 0; k < kills; ++k) {
        const TKind kind = kinds[k % 3];
        const std::string where = "kill " + std::to_string(k) + " (" + Name(kind) + ")";
        Plant(kind);
        TKeyWatch watch(kind == TKind::New ? SettingsKey() : HotKeysKey());
        TTarvo tarvo;
        StartSave(tarvo, kind);
        ASSERT_TRUE(watch.Wait(10000)) << where << ": no save";
        Pause(std::uniform_real_distribution<double>(0, window[kind])(random));
        tarvo.Kill();
        const TSnapshot now = Snapshot();
        const char* at = now == before[kind] ? "before" : now == after[kind] ? "after" : "during";
        landed[kind][at]++;
        // The measured time includes the watching's own delays: narrow the window while
        // kills come too late, widen it while they come too early.
        if (at[0] == 'a') window[kind] = std::max(0.2, window[kind] * 0.6);
        if (at[0] == 'b') window[kind] *= 1.5;
        ExpectLoadsEverything(kind, where);
        if (HasFatalFailure()) return;
    }

    int during = 0;
    for (TKind kind : kinds) {
        std::cout << Name(kind) << " saves (" << duration[kind] << " ms measured, kills within "
                  << window[kind] << " ms at the end): " << landed[kind]["before"]
                  << " kills before the first write, " << landed[kind]["during"] << " during, "
                  << landed[kind]["after"] << " after" << std::endl;
        during += landed[kind]["during"];
        // Kills that all missed the save would prove nothing.
        EXPECT_GE(landed[kind]["during"], kills / 15) << Name(kind) << ": too few kills landed mid-save";
    }
    EXPECT_GE(during, kills / 4) << "too few kills landed mid-save";
}
