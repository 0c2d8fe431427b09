// The bare program Tarvo is measured against: it reads the stored bindings from the same
// registry key (every subkey, its six values), registers each enabled one with
// RegisterHotKey on one window and runs the binding's address with ShellExecuteA when its
// hotkey comes. Nothing else: no list, no tray icon, no other windows.
// For the save benchmark it also answers one private message by disabling every binding
// and writing each one's "Enabled" as 0, as a save of Disable All would.
//   bench_baseline.exe [key under HKEY_CURRENT_USER]   (default: Tarvo's bindings key)
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The class the benchmark finds this program's window by.
const char* const kWindowClass = "TarvoBaselineWindow";
// Posted by the benchmark: disable every binding and store that.
constexpr UINT WM_DISABLE_ALL = WM_APP + 1;

struct TStored {
    std::string Name;  // the subkey
    std::string Address;
    DWORD VirtualKey = 0, Ctrl = 0, Alt = 0, Shift = 0, Enabled = 0;
    bool Registered = false;
};

std::vector<TStored> Bindings;
std::string KeyPath;

std::string UserName() {
    DWORD size = 0;
    ::GetUserNameA(nullptr, &size);
    std::string name(size + 1, '\0');
    size = static_cast<DWORD>(name.size());
    if (!::GetUserNameA(name.data(), &size)) return "Unknown";
    name.resize(size > 0 ? size - 1 : 0);
    return name;
}

bool ReadDword(HKEY key, const char* name, DWORD& value) {
    DWORD size = sizeof value, type = 0;
    return ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool ReadString(HKEY key, const char* name, std::string& value) {
    DWORD size = 0, type = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    value.assign(size, '\0');
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    value.resize(::strnlen(value.c_str(), value.size()));
    return true;
}

void Load() {
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, KEY_READ, &root) != ERROR_SUCCESS) return;
    DWORD count = 0, longest = 0;
    ::RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    std::string name(longest + 1, '\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(root, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        TStored b;
        b.Name.assign(name.data(), length);
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, b.Name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        // A subkey without the six values (the first-run marker) holds no binding.
        const bool complete = ReadString(key, "Address", b.Address) &&
                              ReadDword(key, "VirtualKey", b.VirtualKey) && ReadDword(key, "Ctrl", b.Ctrl) &&
                              ReadDword(key, "Alt", b.Alt) && ReadDword(key, "Shift", b.Shift) &&
                              ReadDword(key, "Enabled", b.Enabled);
        ::RegCloseKey(key);
        if (complete) Bindings.push_back(std::move(b));
    }
    ::RegCloseKey(root);
}

void RegisterAll(HWND window) {
    for (size_t i = 0; i < Bindings.size(); ++i) {
        TStored& b = Bindings[i];
        if (!b.Enabled) continue;
        const UINT modifiers = (b.Ctrl ? MOD_CONTROL : 0) | (b.Alt ? MOD_ALT : 0) |
                               (b.Shift ? MOD_SHIFT : 0) | MOD_NOREPEAT;
        b.Registered = ::RegisterHotKey(window, static_cast<int>(i), modifiers, b.VirtualKey) != FALSE;
    }
}

void DisableAll(HWND window) {
    for (size_t i = 0; i < Bindings.size(); ++i) {
        TStored& b = Bindings[i];
        if (b.Registered) ::UnregisterHotKey(window, static_cast<int>(i));
        b.Registered = false;
        b.Enabled = 0;
    }
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, KEY_WRITE, &root) != ERROR_SUCCESS) return;
    const DWORD off = 0;
    for (const TStored& b : Bindings) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root, b.Name.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
        ::RegSetValueExA(key, "Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEY:
        if (wParam < Bindings.size())
            ::ShellExecuteA(window, "open", Bindings[wParam].Address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
    case WM_DISABLE_ALL:
        DisableAll(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    KeyPath = __argc > 1 ? __argv[1] : "Software\\Morvane\\Tarvo\\" + UserName() + "\\HotKeys";
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&wc)) return 1;
    // A hidden top-level window, as Tarvo's own main window is at start.
    HWND window = ::CreateWindowExA(0, kWindowClass, "Tarvo baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    Load();
    RegisterAll(window);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
    for (size_t i = 0; i < Bindings.size(); ++i)
        if (Bindings[i].Registered) ::UnregisterHotKey(window, static_cast<int>(i));
    ::DestroyWindow(window);
    return 0;
}
