// The real Tarvo.exe against the bare baseline program, both started and watched from outside
// in the same Wine session, their measurements interleaved so that noise from the machine
// hits both: start with 10, 100 and 800 stored bindings, a shortcut press until the launched
// program runs, one save of 800 bindings, 60 idle seconds, file size and memory.
//   bench_program.exe [figures file] [table file]
// TARVO_BENCH_IDLE_SECONDS shortens the idle measurement (60 by default).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "LaunchSignal.h"
#include "Outside.h"
#include "Report.h"
#include "app/Keys.h"
#include "app/Text.h"
#include "ui/BindingOrder.h"

using namespace bench;

namespace {

int StartRounds = 11;  // starts of each program for each count of bindings
int SaveRounds = 9;   // saves of each program
constexpr int kPresses = 20;  // presses of each program
constexpr DWORD kTimeoutMs = 30000;
// Tarvo's main window and the window it creates last.
const char* const kMainCaption = "Tarvo2000 Version 1.2";
const char* const kLastCaption = "Tarvo2000 Options";
const char* const kBaselineClass = "TarvoBaselineWindow";
constexpr UINT WM_TRAYNOTIFY = 0x0800;
constexpr UINT WM_BASELINE_DISABLE_ALL = WM_APP + 1;

struct TPaths {
    std::string Tarvo, Baseline, Launched;
};

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string FullPath(const std::string& path) {
    std::string full(MAX_PATH, '\0');
    DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = ::GetFullPathNameA(path.c_str(), n, full.data(), nullptr);
    }
    full.resize(n < full.size() ? n : 0);
    return full;
}

TPaths Paths() {
    std::string self(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n < self.size()) {
            self.resize(n);
            break;
        }
        self.resize(self.size() * 2);
    }
    const std::string here = Folder(self);
    TPaths p{FullPath(here + "..\\Tarvo.exe"), here + "bench_baseline.exe", here + "bench_launched.exe"};
    if (const char* tarvo = std::getenv("TARVO_EXE_WIN")) p.Tarvo = tarvo;
    return p;
}

// The shortcuts the bindings use, in the order they are taken: every key of the table with
// each of the seven modifier sets, then keys alone. A key alone never is D or E, which the
// benchmark types to choose from Tarvo's tray menu, and letters and digits come last.
std::vector<TBinding> AllBindings(const std::string& action) {
    std::vector<TBinding> all;
    for (int m = 1; m < 8; ++m)
        for (int k = 1; k < KeyCount; ++k)
            if (auto b = MakeBinding(action, KeyCodes[static_cast<size_t>(k)], m & 1, m & 2, m & 4, true))
                all.push_back(*b);
    std::vector<TBinding> alone, alnum;
    for (int k = 1; k < KeyCount; ++k) {
        const int code = KeyCodes[static_cast<size_t>(k)];
        if (code == 'D' || code == 'E') continue;
        if (auto b = MakeBinding(action, code, false, false, false, true))
            (((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) ? alnum : alone).push_back(*b);
    }
    all.insert(all.end(), alone.begin(), alone.end());
    all.insert(all.end(), alnum.begin(), alnum.end());
    return all;
}

// The stored bindings as the registry lists them (the order both programs load them in).
std::vector<TBinding> StoredOrder(const std::string& key, const std::vector<TBinding>& bindings) {
    std::map<std::string, TBinding> byName;
    for (const TBinding& b : bindings) byName[UpperAscii(b.SubkeyName())] = b;
    std::vector<TBinding> ordered;
    for (const std::string& name : SubKeys(key)) {
        auto it = byName.find(UpperAscii(name));
        if (it != byName.end()) ordered.push_back(it->second);
    }
    return ordered;
}

bool Taken(const TBinding& b) { return ShortcutTaken(static_cast<UINT>(b.VirtualKey()), b.Ctrl(), b.Alt(), b.Shift()); }

int CountTaken(const std::vector<TBinding>& bindings) {
    int n = 0;
    for (const TBinding& b : bindings) n += Taken(b);
    return n;
}


struct TRunning {
    TProcess Process;
    HWND Window = nullptr;  // Tarvo's main window, or the baseline's one window
    DWORD Pid() const { return Process.Pid(); }
};

// Starts one program and waits until every stored binding is listed (Tarvo) and registered
// and the window's thread answers; Tarvo must also have created its last window. The last
// binding loaded is the last registered, so its shortcut is probed while waiting, and only
// after the list holds every row (Tarvo) or the window answers (baseline): a probe never
// holds a shortcut at the moment the program asks for it. Milliseconds from process creation.
double StartReady(TRunning& run, TKind kind, const TPaths& paths, const std::vector<TBinding>& loaded,
                  const std::string& arguments = "") {
    const TBinding& last = loaded.back();
    const WPARAM rows = loaded.size() + 1;  // and the blank row
    const double start = Now();
    run.Process.Start(kind == TKind::Tarvo ? paths.Tarvo : paths.Baseline, arguments);
    HWND list = nullptr;
    for (;;) {
        if (Now() - start > kTimeoutMs || !run.Process.Running())
            throw std::runtime_error(std::string(NameOf(kind)) + " did not get ready");
        if (kind == TKind::Tarvo) {
            if (!run.Window) run.Window = FindProcessWindow(run.Pid(), nullptr, kMainCaption);
            if (run.Window && !list) list = ::FindWindowExA(run.Window, nullptr, "SysListView32", nullptr);
            DWORD_PTR count = 0;
            if (list && FindProcessWindow(run.Pid(), nullptr, kLastCaption) &&
                ::SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kTimeoutMs, &count) &&
                count == rows && Taken(last) && Answers(run.Window))
                return Now() - start;
        } else {
            if (!run.Window) run.Window = FindProcessWindow(run.Pid(), kBaselineClass, nullptr);
            if (run.Window && Answers(run.Window) && Taken(last)) return Now() - start;
        }
        ::Sleep(1);
    }
}

// The two programs of a round in turn, the first one changing every round.
std::vector<TKind> Turns(int round) {
    return round % 2 ? std::vector<TKind>{TKind::Baseline, TKind::Tarvo} : std::vector<TKind>{TKind::Tarvo, TKind::Baseline};
}

// Lets the previous program's exit and the window system's clean-up pass first.
void Settle(DWORD ms = 150) { ::Sleep(ms); }

// --- Start ---------------------------------------------------------------------------------

struct TMemorySamples {
    TSamples Private, Linux;  // PrivateUsage; under Wine, the Linux process's private memory
};

TSamples MeasureStarts(const TPaths& paths, const std::vector<TBinding>& all, int count, TMemorySamples* memory) {
    const std::string key = HotKeysKey();
    DeleteTree("Software\\Morvane");
    const std::vector<TBinding> bindings(all.begin(), all.begin() + count);
    WriteBindings(key, bindings);
    const std::vector<TBinding> loaded = StoredOrder(key, bindings);
    TSamples ms;
    for (int round = 0; round < StartRounds; ++round)
        for (TKind kind : Turns(round)) {
            Settle();
            TRunning run;
            ms.Of(kind).push_back(StartReady(run, kind, paths, loaded));
            const int taken = CountTaken(loaded);
            if (taken != count)
                Problems << NameOf(kind) << " with " << count << " bindings: " << taken << " registered\n";
            if (memory) {
                Settle(300);
                memory->Private.Of(kind).push_back(static_cast<double>(Memory(run.Process.Handle()).PrivateUsage) / 1024);
                const auto linux = LinuxProcess(kind == TKind::Tarvo ? "tarvo.exe" : "bench_baseline.exe");
                if (const auto bytes = linux ? LinuxPrivateBytes(*linux) : std::nullopt)
                    memory->Linux.Of(kind).push_back(static_cast<double>(*bytes) / 1024);
            }
            run.Process.Quit();
        }
    Note("start, %d bindings (ms): Tarvo %s; baseline %s", count, List(ms.Tarvo).c_str(), List(ms.Baseline).c_str());
    return ms;
}

// --- Both at once ---------------------------------------------------------------------------

// The key the baseline reads when both programs run at once.
const char* const kBaselineKey = "Software\\Morvane\\Baseline\\HotKeys";

// Every other binding for each program, so that neither one's shortcuts are refused while both
// run: neighbouring keys with the same modifiers go to different programs.
struct TBothRunning {
    std::vector<TBinding> Bindings[2];  // Tarvo's, the baseline's
    TRunning Runs[2];
};

void StartBoth(TBothRunning& both, const TPaths& paths, const std::vector<TBinding>& all) {
    DeleteTree("Software\\Morvane");
    for (size_t i = 0; i < all.size(); ++i) both.Bindings[i % 2].push_back(all[i]);
    const std::string keys[2] = {HotKeysKey(), kBaselineKey};
    for (int i = 0; i < 2; ++i) WriteBindings(keys[i], both.Bindings[i]);
    Settle();
    StartReady(both.Runs[0], TKind::Tarvo, paths, StoredOrder(keys[0], both.Bindings[0]));
    StartReady(both.Runs[1], TKind::Baseline, paths, StoredOrder(keys[1], both.Bindings[1]), kBaselineKey);
}

// --- Press ---------------------------------------------------------------------------------

// From the SendInput of a registered shortcut until the launched helper runs (its own clock
// reading at its start). Both programs run at once, each with half of the 800 bindings, and
// take turns: Tarvo is pressed Ctrl+Shift+F7 or F8, the baseline the other one.
TSamples MeasurePresses(const TPaths& paths, const std::vector<TBinding>& all) {
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TLaunchedBlock),
                                          kLaunchedBlock);
    HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, kLaunchedEvent);
    auto* shared = static_cast<TLaunchedBlock*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TLaunchedBlock)));
    if (!mapping || !event || !shared) throw std::runtime_error("cannot share with the launched helper");
    TBothRunning both;
    StartBoth(both, paths, all);
    const TBinding* pressed[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i)
        for (const TBinding& b : both.Bindings[i])
            if (b.Ctrl() && b.Shift() && !b.Alt() && (b.VirtualKey() == VK_F7 || b.VirtualKey() == VK_F8)) pressed[i] = &b;
    if (!pressed[0] || !pressed[1]) throw std::runtime_error("no shortcut to press");
    Settle(500);
    TSamples ms;
    int missed = 0;
    for (int round = 0; round < kPresses; ++round)
        for (TKind kind : Turns(round)) {
            const TBinding& b = *pressed[kind == TKind::Tarvo ? 0 : 1];
            ::ResetEvent(event);
            const double sent = Now();
            PressShortcut(static_cast<WORD>(b.VirtualKey()), true, false, true);
            if (::WaitForSingleObject(event, 10000) != WAIT_OBJECT_0) {
                ++missed;
                continue;
            }
            ms.Of(kind).push_back(CounterToMs(shared->StartedAt) - sent);
            Settle(250);  // the helper exits
        }
    for (TRunning& run : both.Runs) {
        if (!run.Process.Running()) Problems << "a program ended while it was pressed\n";
        run.Process.Quit();
    }
    if (missed) Problems << missed << " presses launched nothing within 10 s\n";
    Note("press until the launched program runs (ms): Tarvo %s; baseline %s", List(ms.Tarvo).c_str(),
         List(ms.Baseline).c_str());
    ::UnmapViewOfFile(shared);
    ::CloseHandle(event);
    ::CloseHandle(mapping);
    return ms;
}

// --- Save ----------------------------------------------------------------------------------

// Waits until every binding's "Enabled" reads 0, reading them in the order the program writes
// them (any order is right, that one is quick); the time when the last one was seen.
double WaitAllDisabled(const std::string& key, const std::vector<TBinding>& writeOrder, double since) {
    std::vector<HKEY> keys;
    for (const TBinding& b : writeOrder) {
        HKEY k = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, (key + "\\" + b.SubkeyName()).c_str(), 0, KEY_QUERY_VALUE, &k))
            throw std::runtime_error("cannot open " + b.SubkeyName());
        keys.push_back(k);
    }
    auto disabled = [](HKEY k) {
        DWORD value = 1, size = sizeof value;
        return ::RegQueryValueExA(k, "Enabled", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                   ERROR_SUCCESS &&
               value == 0;
    };
    size_t next = 0;
    double done = -1;
    while (Now() - since < kTimeoutMs) {
        while (next < keys.size() && disabled(keys[next])) ++next;
        if (next == keys.size()) {
            done = Now();
            break;
        }
        ::Sleep(1);
    }
    for (HKEY k : keys) ::RegCloseKey(k);
    if (done < 0) throw std::runtime_error("the save did not finish");
    return done;
}

TSamples MeasureSaves(const TPaths& paths, const std::vector<TBinding>& all) {
    const std::string key = HotKeysKey();
    TSamples ms;
    for (int round = 0; round < SaveRounds; ++round)
        for (TKind kind : Turns(round)) {
            DeleteTree("Software\\Morvane");
            WriteBindings(key, all);
            const std::vector<TBinding> loaded = StoredOrder(key, all);
            // Tarvo saves in the order of its rows, sorted by shortcut; the baseline in load order.
            std::vector<TBinding> writeOrder = loaded;
            if (kind == TKind::Tarvo) {
                std::vector<std::string> texts;
                for (const TBinding& b : loaded) texts.push_back(b.ShortcutText());
                const std::vector<int> from = SortedOrder(texts);
                for (size_t i = 0; i < from.size(); ++i) writeOrder[i] = loaded[static_cast<size_t>(from[i])];
            }
            Settle();
            TRunning run;
            StartReady(run, kind, paths, loaded);
            Settle(300);
            double chosen = 0;
            if (kind == TKind::Tarvo) {
                // Disable All from the tray menu: a right click on the icon, then its mnemonic.
                for (HWND h : ProcessWindows(run.Pid(), "TarvoUtilWindow"))
                    ::PostMessageA(h, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
                const double opening = Now();
                while (!OpenMenu(run.Pid())) {
                    if (Now() - opening > kTimeoutMs) throw std::runtime_error("the tray menu did not open");
                    ::Sleep(5);
                }
                Settle(100);
                chosen = Now();
                PressShortcut('D');
            } else {
                chosen = Now();
                ::PostMessageA(run.Window, WM_BASELINE_DISABLE_ALL, 0, 0);
            }
            ms.Of(kind).push_back(WaitAllDisabled(key, writeOrder, chosen) - chosen);
            const int taken = CountTaken(loaded);
            if (taken != 0) Problems << NameOf(kind) << " still holds " << taken << " shortcuts after Disable All\n";
            run.Process.Quit();
        }
    Note("save of 800, Disable All until the registry holds all disabled (ms): Tarvo %s; baseline %s",
         List(ms.Tarvo).c_str(), List(ms.Baseline).c_str());
    return ms;
}

// --- Idle ----------------------------------------------------------------------------------

struct TIdle {
    int Seconds = 0;
    double CpuMs[2] = {-1, -1};                  // GetProcessTimes
    std::optional<double> LinuxCpuMs[2];         // the Linux process's own count
    std::optional<TSwitches> Switches[2];
};

// Both programs at once, each with its own half of the bindings, started and then left alone:
// what their threads do while nobody uses them.
TIdle MeasureIdle(const TPaths& paths, const std::vector<TBinding>& all) {
    TIdle idle;
    idle.Seconds = 60;
    if (const char* s = std::getenv("TARVO_BENCH_IDLE_SECONDS")) idle.Seconds = std::max(1, std::atoi(s));
    TBothRunning both;
    StartBoth(both, paths, all);
    Settle(2000);  // start-up's own after-effects: the tray icon appearing, repaints
    const char* names[2] = {"Tarvo", "baseline"};
    std::optional<int> linux[2] = {LinuxProcess("tarvo.exe"), LinuxProcess("bench_baseline.exe")};
    double cpu[2];
    std::optional<double> linuxCpu[2];
    std::optional<TSwitches> before[2];
    for (int i = 0; i < 2; ++i) {
        cpu[i] = CpuMs(both.Runs[i].Process.Handle());
        if (linux[i]) {
            before[i] = ContextSwitches(*linux[i]);
            linuxCpu[i] = LinuxCpuMs(*linux[i]);
        }
        // The counts since the process began show that the counters are alive.
        if (before[i] && linuxCpu[i])
            Note("before idling, %s: CPU %.1f ms (GetProcessTimes), %.0f ms (Linux) and %lld context switches since "
                 "its start", names[i], cpu[i], *linuxCpu[i], static_cast<long long>(before[i]->Voluntary + before[i]->Involuntary));
    }
    ::Sleep(static_cast<DWORD>(idle.Seconds) * 1000);
    for (int i = 0; i < 2; ++i) {
        TRunning& run = both.Runs[i];
        idle.CpuMs[i] = CpuMs(run.Process.Handle()) - cpu[i];
        const std::optional<TSwitches> after = linux[i] ? ContextSwitches(*linux[i]) : std::nullopt;
        if (before[i] && after)
            idle.Switches[i] = TSwitches{after->Voluntary - before[i]->Voluntary,
                                         after->Involuntary - before[i]->Involuntary, after->Threads};
        const std::optional<double> cpuAfter = linux[i] ? LinuxCpuMs(*linux[i]) : std::nullopt;
        if (linuxCpu[i] && cpuAfter) idle.LinuxCpuMs[i] = *cpuAfter - *linuxCpu[i];
        if (!run.Process.Running()) Problems << names[i] << " ended while idle\n";
        run.Process.Quit();
    }
    for (int i = 0; i < 2; ++i) {
        if (idle.Switches[i] && idle.LinuxCpuMs[i])
            Note("idle %d s, %s: CPU %.1f ms (GetProcessTimes), %.0f ms (Linux); Linux process %d, %d threads: %lld "
                 "voluntary and %lld involuntary context switches",
                 idle.Seconds, names[i], idle.CpuMs[i], *idle.LinuxCpuMs[i], *linux[i], idle.Switches[i]->Threads,
                 static_cast<long long>(idle.Switches[i]->Voluntary), static_cast<long long>(idle.Switches[i]->Involuntary));
        else
            Note("idle %d s, %s: CPU %.1f ms (GetProcessTimes); the Linux process was not found (not under Wine?)",
                 idle.Seconds, names[i], idle.CpuMs[i]);
    }
    return idle;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const TPaths paths = Paths();
        if (paths.Launched.find(' ') != std::string::npos)
            throw std::runtime_error("the helper's path must not hold spaces: " + paths.Launched);
        const std::vector<TBinding> all = AllBindings(paths.Launched);
        if (all.size() < 800) throw std::runtime_error("fewer than 800 shortcuts to bind");
        const std::vector<TBinding> bindings(all.begin(), all.begin() + 800);
        Note("Tarvo: %s", paths.Tarvo.c_str());
        Note("baseline: %s", paths.Baseline.c_str());

        // For a closer look at one measurement: TARVO_BENCH_PARTS=start800,save picks parts,
        // TARVO_BENCH_ROUNDS sets the rounds of the starts and the saves.
        const std::string parts = std::getenv("TARVO_BENCH_PARTS") ? std::getenv("TARVO_BENCH_PARTS") : "";
        auto wanted = [&](const std::string& part) {
            return parts.empty() || ("," + parts + ",").find("," + part + ",") != std::string::npos;
        };
        if (const char* rounds = std::getenv("TARVO_BENCH_ROUNDS")) StartRounds = SaveRounds = std::max(1, std::atoi(rounds));

        TMemorySamples memory;
        std::map<int, TSamples> starts;
        for (int count : {10, 100, 800})
            if (wanted("start" + std::to_string(count)))
                starts[count] = MeasureStarts(paths, bindings, count, count == 800 ? &memory : nullptr);
        const TSamples presses = wanted("press") ? MeasurePresses(paths, bindings) : TSamples{};
        const TSamples saves = wanted("save") ? MeasureSaves(paths, bindings) : TSamples{};
        if (!parts.empty()) {
            for (auto& [count, s] : starts) Spread(("start " + std::to_string(count)).c_str(), s);
            if (!presses.Tarvo.empty()) Spread("press", presses);
            if (!saves.Tarvo.empty()) Spread("save", saves);
            if (wanted("idle")) MeasureIdle(paths, bindings);
            DeleteTree("Software\\Morvane");
            return 0;
        }
        const TIdle idle = MeasureIdle(paths, bindings);
        DeleteTree("Software\\Morvane");

        for (int count : {10, 100, 800}) Spread(("start " + std::to_string(count)).c_str(), starts[count]);
        Spread("press", presses);
        Spread("save", saves);
        Note("private memory after start with 800 (KiB, PrivateUsage): Tarvo %s; baseline %s",
             List(memory.Private.Tarvo, "%.0f").c_str(), List(memory.Private.Baseline, "%.0f").c_str());
        Note("private memory after start with 800 (KiB, Linux Private_Clean + Private_Dirty): Tarvo %s; baseline %s",
             List(memory.Linux.Tarvo, "%.0f").c_str(), List(memory.Linux.Baseline, "%.0f").c_str());

        Table << "| What | Tarvo | Baseline | Ratio | Ratio round by round | Target | Met? |\n|---|---:|---:|---:|---:|---|---|\n";
        TimeRow("Start, 10 stored bindings", starts[10], 0);
        TimeRow("Start, 100 stored bindings", starts[100], 0);
        TimeRow("Start, 800 stored bindings", starts[800], 1.0);
        TimeRow("Press until the launched program runs", presses, 1.0);
        TimeRow("Save of 800 bindings (Disable All)", saves, 1.0);
        // Under Wine the Linux process's own count is the one to trust; GetProcessTimes of
        // another process is not kept up to date there.
        const bool linuxCpu = idle.LinuxCpuMs[0] && idle.LinuxCpuMs[1];
        const double tc = linuxCpu ? *idle.LinuxCpuMs[0] : idle.CpuMs[0], bc = linuxCpu ? *idle.LinuxCpuMs[1] : idle.CpuMs[1];
        Row("Idle " + std::to_string(idle.Seconds) + " s: CPU time" + (linuxCpu ? " (Linux process)" : ""),
            Format("%.0f ms", tc), Format("%.0f ms", bc), bc > 0 ? tc / bc : -1, "0", tc == 0);
        if (idle.Switches[0] && idle.Switches[1]) {
            const std::int64_t t = idle.Switches[0]->Voluntary + idle.Switches[0]->Involuntary;
            const std::int64_t b = idle.Switches[1]->Voluntary + idle.Switches[1]->Involuntary;
            Row("Idle " + std::to_string(idle.Seconds) + " s: wake-ups (context switches)", std::to_string(t),
                std::to_string(b), b > 0 ? static_cast<double>(t) / static_cast<double>(b) : -1, "0", t == 0);
        }
        const std::int64_t tarvoSize = FileSize(paths.Tarvo), baselineSize = FileSize(paths.Baseline);
        Row("Program file size", Format("%.0f KiB", static_cast<double>(tarvoSize) / 1024),
            Format("%.0f KiB", static_cast<double>(baselineSize) / 1024),
            static_cast<double>(tarvoSize) / static_cast<double>(baselineSize), "≤ 1.5 MiB",
            tarvoSize <= 1536 * 1024);
        const double tp = Median(memory.Private.Tarvo), bp = Median(memory.Private.Baseline);
        // Wine leaves PrivateUsage at 0; the Linux figure below stands in for it there.
        if (tp > 0 || bp > 0)
            Row("Private memory after start with 800 (PrivateUsage)", Format("%.0f KiB", tp), Format("%.0f KiB", bp),
                bp > 0 ? tp / bp : -1, "–", std::nullopt);
        else
            Row("Private memory after start with 800 (PrivateUsage)", "0 (not filled in)", "0 (not filled in)", -1,
                "–", std::nullopt);
        if (!memory.Linux.Tarvo.empty() && !memory.Linux.Baseline.empty()) {
            const double tl = Median(memory.Linux.Tarvo), bl = Median(memory.Linux.Baseline);
            Row("Private memory after start with 800 (Linux process)", Format("%.0f KiB", tl), Format("%.0f KiB", bl),
                tl / bl, "–", std::nullopt);
        }
        const std::string problems = Problems.str();
        if (!problems.empty()) Note("problems:\n%s", problems.c_str());
        std::fputs(Table.str().c_str(), stdout);
        if (argc > 1) WriteFile(argv[1], Figures.str());
        if (argc > 2) WriteFile(argv[2], Table.str());
        return problems.empty() ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_program: %s\n", e.what());
        DeleteTree("Software\\Morvane");
        return 1;
    }
}
