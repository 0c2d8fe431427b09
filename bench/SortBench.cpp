// How long the main window takes to add bindings one by one, each landing in its sorted place,
// shown and hidden, against what registering the same shortcuts costs on a bare window in the
// same run.
//   bench_sort.exe [output file]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "launch/Launch.h"
#include "ui/Main.h"

namespace {

constexpr int kRuns = 5;  // the median of these is reported
constexpr unsigned kSeed = 2000;

struct TCombo {
    int Key;  // index in the key table
    bool Ctrl, Alt, Shift;
    UINT Flags() const { return (Ctrl ? MOD_CONTROL : 0) | (Alt ? MOD_ALT : 0) | (Shift ? MOD_SHIFT : 0); }
    UINT Code() const { return static_cast<UINT>(KeyCodes[static_cast<size_t>(Key)]); }
};

// A window that only holds hotkeys: the baseline, and the probe for usable combinations.
class TBareWindow : public fw::TWndTarget {
public:
    TBareWindow() : FWindow(fw::AllocateHWnd(this)) {}
    LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override { return ::DefWindowProcA(h, m, w, l); }
    HWND Handle() const { return FWindow.Get(); }

private:
    fw::THWnd FWindow;
};

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// Lets the window system finish what the previous run left behind (destroyed windows, the
// tray, repaints), so it does not land in the next timing.
void Settle() {
    ::Sleep(200);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void CleanRegistry() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
    fw::THKey run;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                        KEY_SET_VALUE, run.Put()) == ERROR_SUCCESS)
        ::RegDeleteValueA(run.Get(), "Tarvo 2000");
}

// Every combination of a table key with Ctrl, Alt and Shift that the system lets us register
// right now, in a seeded random order.
std::vector<TCombo> UsableCombinations(HWND probe) {
    std::vector<TCombo> all;
    for (int key = 1; key < KeyCount; ++key)
        for (int mods = 0; mods < 8; ++mods) {
            const TCombo c{key, (mods & 1) != 0, (mods & 2) != 0, (mods & 4) != 0};
            if (!::RegisterHotKey(probe, 1, c.Flags(), c.Code())) continue;
            ::UnregisterHotKey(probe, 1);
            all.push_back(c);
        }
    std::shuffle(all.begin(), all.end(), std::mt19937(kSeed));
    return all;
}

// Adds the first n combinations to a freshly started main window, one AddBinding each;
// the repaint they leave behind is counted too. The first run leaves the window shown, as
// when a person adds bindings; hidden is how the stored bindings load at start-up. Returns
// milliseconds, or -1 when the list did not end up with n registered bindings.
double TimeTarvo(const std::vector<TCombo>& combos, size_t n, bool shown) {
    CleanRegistry();
    fw::TApplication app;
    // Nothing may wait for a person: every question is answered OK.
    app.MessageBoxFn = [](const std::string&, const std::string&, UINT) { return IDOK; };
    app.Initialize();
    app.SetTitle("Tarvo2000");
    app.CreateForm(FormMain);
    FormMain->Launcher = TLauncher({}, [](HWND, const char*, const char*, const char*) { return INT_PTR{42}; });
    NewBrowserOption = false;
    FormMain->ListView1->SetSelected(0);
    FormMain->DeleteSelected();  // the first run's demo binding
    if (!shown) FormMain->Hide();
    app.ProcessMessages();
    Settle();

    const double start = Now();
    for (size_t i = 0; i < n; ++i) {
        const TCombo& c = combos[i];
        FormMain->AddBinding("C:\\Programs\\tool" + std::to_string(i) + ".exe /run",
                             static_cast<std::uint16_t>(c.Code()), c.Ctrl, c.Alt, c.Shift, true);
    }
    ::UpdateWindow(FormMain->ListView1->Handle());
    app.ProcessMessages();
    const double elapsed = Now() - start;

    bool ok = FormMain->BindingCount() == static_cast<int>(n);
    for (int i = 0; ok && i < FormMain->BindingCount(); ++i) ok = FormMain->QmHK->HotKeys()->Items(i)->Registered();
    app.DestroyForms();
    FormMain = nullptr;
    CleanRegistry();
    return ok ? elapsed : -1;
}

// The bare cost: n RegisterHotKey and n UnregisterHotKey calls on a plain window.
double TimeBaseline(const std::vector<TCombo>& combos, size_t n) {
    TBareWindow window;
    Settle();
    const double start = Now();
    int refused = 0;
    for (size_t i = 0; i < n; ++i)
        refused += !::RegisterHotKey(window.Handle(), static_cast<int>(i) + 1, combos[i].Flags(), combos[i].Code());
    for (size_t i = 0; i < n; ++i) ::UnregisterHotKey(window.Handle(), static_cast<int>(i) + 1);
    const double elapsed = Now() - start;
    return refused ? -1 : elapsed;
}

}  // namespace

int main(int argc, char** argv) {

    std::vector<TCombo> combos;
    {
        TBareWindow probe;
        combos = UsableCombinations(probe.Handle());
    }
    std::ostringstream out;
    char line[160];
    out << "Adding n bindings one by one with AddBinding (list sorted by Hotkey, shortcuts in random\n"
        << "order), with the main window shown and hidden, against n RegisterHotKey + UnregisterHotKey\n"
        << "calls on a bare window. Median of " << kRuns << " runs; " << combos.size() << " of "
        << (KeyCount - 1) * 8 << " combinations were free to register.\n\n";
    std::snprintf(line, sizeof line, "%6s %14s %14s %12s %14s %14s\n", "n", "shown ms", "hidden ms",
                  "baseline ms", "ratio shown", "ratio hidden");
    out << line;
    bool failed = false;
    for (size_t n : {size_t{10}, size_t{100}, size_t{800}}) {
        if (n > combos.size()) {
            out << "n = " << n << ": not enough free combinations\n";
            failed = true;
            continue;
        }
        std::vector<double> shown, hidden, bare;
        for (int run = 0; run < kRuns; ++run) {
            bare.push_back(TimeBaseline(combos, n));
            hidden.push_back(TimeTarvo(combos, n, false));
            shown.push_back(TimeTarvo(combos, n, true));
        }
        if (std::min({*std::min_element(shown.begin(), shown.end()), *std::min_element(hidden.begin(), hidden.end()),
                      *std::min_element(bare.begin(), bare.end())}) < 0) {
            out << "n = " << n << ": a shortcut was not registered\n";
            failed = true;
            continue;
        }
        const double s = Median(shown), h = Median(hidden), b = std::max(Median(bare), 0.001);
        std::snprintf(line, sizeof line, "%6zu %14.1f %14.1f %12.2f %14.0f %14.0f\n", n, s, h, b, s / b, h / b);
        out << line;
    }

    const std::string text = out.str();
    std::fputs(text.c_str(), stdout);
    if (argc > 1) {
        std::ofstream file(argv[1], std::ios::binary);
        file << text;
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    }
    return failed ? 1 : 0;
}
