// Start-up and save with 800 stored bindings, each against a bare program doing the same
// registry work with nothing else: report the ratios, measured in one Wine session.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/Keys.h"
#include "framework/Application.h"
#include "launch/Launch.h"
#include "ui/Main.h"

namespace {

constexpr int kBindings = 800;
constexpr int kRounds = 11;
// Junk subkeys beside the bindings, planted in two steps: a start-up that grows with them as
// the bare enumeration does keeps one ratio at both sizes.
constexpr int kJunkSizes[] = {25000, 100000};
constexpr int kJunkRounds = 5;

std::string UserName() {
    DWORD size = 0;
    ::GetUserNameA(nullptr, &size);
    std::string name(size, '\0');
    if (!::GetUserNameA(name.data(), &size)) return "Unknown";
    name.resize(size ? size - 1 : 0);
    return name;
}

const std::string kRoot = "Software\\Morvane";

std::string HotKeysPath() { return kRoot + "\\Tarvo\\" + UserName() + "\\HotKeys"; }

double Millis(const std::function<void()>& work) {
    LARGE_INTEGER f, a, b;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&a);
    work();
    ::QueryPerformanceCounter(&b);
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The 800 bindings: keys 1..100 of the table, each with the eight modifier sets.
struct TBenchBinding {
    std::string Name;
    int Code;
    bool Ctrl, Alt, Shift;
};

std::vector<TBenchBinding> Bindings() {
    std::vector<TBenchBinding> all;
    for (int k = 1; k <= kBindings / 8; ++k)
        for (int m = 0; m < 8; ++m) {
            TBenchBinding b{"", KeyCodes[static_cast<size_t>(k)], (m & 1) != 0, (m & 2) != 0, (m & 4) != 0};
            std::string prefix = std::string(b.Shift ? "Shift" : "") + (b.Ctrl ? "Control" : "") +
                                 (b.Alt ? "Alt" : "");
            std::string key(KeyComponentNames[static_cast<size_t>(k)]);
            b.Name = prefix.empty() ? key : prefix + "_" + key;
            all.push_back(b);
        }
    return all;
}

void SetDword(HKEY key, const char* name, DWORD value) {
    ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The bare writer: what storing 800 bindings costs with nothing around it.
void BareWrite(const std::vector<TBenchBinding>& bindings) {
    HKEY root = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, HotKeysPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &root, nullptr);
    HKEY first = nullptr;
    ::RegCreateKeyExA(root, "_FirstRun", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &first, nullptr);
    ::RegCloseKey(first);
    for (const TBenchBinding& b : bindings) {
        HKEY key = nullptr;
        ::RegCreateKeyExA(root, b.Name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        const std::string address = "notepad c:\\notes\\" + b.Name + ".txt";
        ::RegSetValueExA(key, "Address", 0, REG_SZ, reinterpret_cast<const BYTE*>(address.c_str()),
                         static_cast<DWORD>(address.size() + 1));
        SetDword(key, "VirtualKey", static_cast<DWORD>(b.Code));
        SetDword(key, "Ctrl", b.Ctrl);
        SetDword(key, "Alt", b.Alt);
        SetDword(key, "Shift", b.Shift);
        SetDword(key, "Enabled", 1);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
}

// The bare reader: enumerate the subkeys and read the six values of each.
int BareRead() {
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, HotKeysPath().c_str(), 0, KEY_READ, &root)) return 0;
    DWORD count = 0, longest = 0;
    ::RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    std::vector<std::string> names;
    for (DWORD i = 0; i < count; ++i) {
        std::string name(longest + 1, '\0');
        DWORD length = longest + 1;
        if (::RegEnumKeyExA(root, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == 0) {
            name.resize(length);
            names.push_back(name);
        }
    }
    int read = 0;
    for (const std::string& name : names) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, &key)) continue;
        for (const char* v : {"Ctrl", "Alt", "Shift", "Enabled", "VirtualKey"}) {
            DWORD value = 0, size = sizeof value, type = 0;
            if (::RegQueryValueExA(key, v, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == 0)
                ++read;
        }
        DWORD size = 0;
        ::RegQueryValueExA(key, "Address", nullptr, nullptr, nullptr, &size);
        std::string address(size, '\0');
        ::RegQueryValueExA(key, "Address", nullptr, nullptr, reinterpret_cast<BYTE*>(address.data()), &size);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
    return read;
}

// Subkeys that are no bindings, numbered from..to-1: half of them empty, half holding a value
// of someone else's.
void PlantJunk(int from, int to) {
    HKEY root = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, HotKeysPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &root, nullptr);
    for (int i = from; i < to; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Junk%06d", i);
        HKEY key = nullptr;
        ::RegCreateKeyExA(root, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (i % 2) ::RegSetValueExA(key, "Note", 0, REG_SZ, reinterpret_cast<const BYTE*>("junk"), 5);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
}

// Every subkey's name under an open key.
std::vector<std::string> SubkeyNames(HKEY root) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0, n = sizeof name; !::RegEnumKeyExA(root, i, name, &n, nullptr, nullptr, nullptr, nullptr);
         ++i, n = sizeof name)
        names.emplace_back(name, n);
    return names;
}

// The bare enumeration: every subkey's name, nothing read.
size_t BareEnumerate() {
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, HotKeysPath().c_str(), 0, KEY_READ, &root)) return 0;
    const size_t count = SubkeyNames(root).size();
    ::RegCloseKey(root);
    return count;
}

// The least the registry's documented calls do to learn every subkey's values: list the names,
// then open each, ask its value count, list its values, close it.
size_t BareReadAll() {
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, HotKeysPath().c_str(), 0, KEY_READ, &root)) return 0;
    size_t values = 0;
    for (const std::string& subkey : SubkeyNames(root)) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key)) continue;
        DWORD count = 0;
        ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr);
        for (DWORD i = 0; i < count; ++i) {
            char value[256];
            BYTE data[1024];
            DWORD n = sizeof value, size = sizeof data, type = 0;
            values += ::RegEnumValueA(key, i, value, &n, nullptr, &type, data, &size) == ERROR_SUCCESS;
        }
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
    return values;
}

void DeleteAll() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRoot.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kRoot.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<TBenchBinding> bindings = Bindings();

    std::vector<double> bareWrite, bareRead, start, emptyStart, saveAll, saveRewrite, saveOne;
    for (int round = 0; round < kRounds; ++round) {
        // What a start costs with nothing stored (but not a first run): windows, tray, menus.
        DeleteAll();
        BareWrite({});
        {
            auto* app = new fw::TApplication();
            app->MessageBoxFn = [](const std::string&, const std::string&, UINT) { return IDOK; };
            app->Initialize();
            emptyStart.push_back(Millis([&] { app->CreateForm(FormMain); }));
            delete app;
        }

        DeleteAll();
        bareWrite.push_back(Millis([&] { BareWrite(bindings); }));
        bareRead.push_back(Millis([&] { BareRead(); }));

        auto* app = new fw::TApplication();
        app->MessageBoxFn = [](const std::string&, const std::string&, UINT) { return IDOK; };
        app->Initialize();
        start.push_back(Millis([&] { app->CreateForm(FormMain); }));
        if (FormMain->BindingCount() != kBindings) {
            std::fprintf(stderr, "loaded %d bindings, expected %d\n", FormMain->BindingCount(), kBindings);
            return 1;
        }
        // Disable All: every binding changes one value.
        saveAll.push_back(Millis([&] { FormMain->cmdDisableAll1Click(nullptr); }));
        // One binding changes: the usual save after an edit.
        FormMain->ListView1->SetSelected(0);
        saveOne.push_back(Millis([&] { FormMain->cmdEnableSelected1Click(nullptr); }));
        // The whole key gone from under the program: every binding written anew.
        ::RegDeleteTreeA(HKEY_CURRENT_USER, HotKeysPath().c_str());
        saveRewrite.push_back(Millis([&] { FormMain->SaveBindings(); }));
        delete app;
    }
    // The whole start-up beside the junk, its report included, against listing the names
    // alone, in the same rounds.
    DeleteAll();
    BareWrite(bindings);
    std::vector<std::vector<double>> junkStart, junkEnumerate, junkRead;
    for (int planted = 0; int junk : kJunkSizes) {
        PlantJunk(planted, junk);
        planted = junk;
        junkStart.emplace_back();
        junkEnumerate.emplace_back();
        junkRead.emplace_back();
        for (int round = 0; round < kJunkRounds; ++round) {
            size_t listed = 0;
            junkEnumerate.back().push_back(Millis([&] { listed = BareEnumerate(); }));
            junkRead.back().push_back(Millis([&] { BareReadAll(); }));
            auto* app = new fw::TApplication();
            std::string told;
            app->MessageBoxFn = [&](const std::string& text, const std::string&, UINT) { return told += text, IDOK; };
            app->Initialize();
            junkStart.back().push_back(Millis([&] { app->CreateForm(FormMain); }));
            const int loaded = FormMain->BindingCount();
            delete app;
            const std::string more = "... and " + std::to_string(junk / 2 - 20) + " more";
            if (listed != static_cast<size_t>(kBindings + 1 + junk) || loaded != kBindings ||
                told.find(more) == std::string::npos) {
                std::fprintf(stderr, "junk: listed %zu subkeys, loaded %d bindings, told: %.200s\n", listed, loaded,
                             told.c_str());
                return 1;
            }
        }
    }
    DeleteAll();

    // Ratios of the medians, and the median of the ratios taken round by round: each round
    // measures Tarvo and the bare program within a second of each other, so a machine that
    // slows down for a while moves both.
    std::vector<double> load;
    for (size_t i = 0; i < start.size(); ++i) load.push_back(start[i] - emptyStart[i]);
    auto row = [](const char* name, const std::vector<double>& ours, const std::vector<double>& bare) {
        std::vector<double> ratios;
        for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / bare[i]);
        char line[160];
        std::snprintf(line, sizeof line, "%-44s %9.1f %9.1f %7.2f %7.2f\n", name, Median(ours),
                      Median(bare), Median(ours) / Median(bare), Median(ratios));
        return std::string(line);
    };
    char head[160];
    std::snprintf(head, sizeof head, "800 stored bindings, median of %d rounds (ms)\n%-44s %9s %9s %7s %7s\n",
                  kRounds, "operation", "Tarvo", "bare", "ratio", "rounds");
    const std::string report =
        std::string(head) + row("start-up with 800 (everything) vs read", start, bareRead) +
        row("  of which load, register, sort vs read", load, bareRead) +
        row("save, all 800 changed (Disable All) vs write", saveAll, bareWrite) +
        row("save, one binding changed vs write", saveOne, bareWrite) +
        row("save, every binding written anew vs write", saveRewrite, bareWrite) +
        "ratio: of the medians; rounds: median of the ratios round by round\n";
    std::string junkReport;
    for (size_t i = 0; i < std::size(kJunkSizes); ++i) {
        char head[200], name[60];
        std::snprintf(head, sizeof head,
                      "\n800 bindings beside %d junk subkeys (half empty, half with a value), median of %d rounds (ms)\n",
                      kJunkSizes[i], kJunkRounds);
        std::snprintf(name, sizeof name, "start-up beside %d vs bare enumeration", kJunkSizes[i]);
        junkReport += head + row(name, junkStart[i], junkEnumerate[i]) +
                      row("  bare read of every subkey vs the same", junkRead[i], junkEnumerate[i]) +
                      row("  start-up vs that bare read", junkStart[i], junkRead[i]);
    }
    junkReport += "target: start-up beside 100000 within 5 times the bare enumeration, at both sizes alike;\n"
                  "the bare read is what opening, asking and closing each subkey costs on its own\n";
    std::fputs((report + junkReport).c_str(), stdout);
    if (argc > 1)
        if (FILE* f = std::fopen(argv[1], "w")) {
            std::fputs((report + junkReport).c_str(), f);
            std::fclose(f);
        }
    return 0;
}
