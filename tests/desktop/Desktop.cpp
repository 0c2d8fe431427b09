#include "Desktop.h"

#include <stdexcept>

std::string WindowCaption(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

std::string ClassOf(HWND window) {
    std::string name(256, '\0');  // longer class names do not exist
    name.resize(static_cast<size_t>(::GetClassNameA(window, name.data(), static_cast<int>(name.size()))));
    return name;
}

namespace {

struct TFind {
    DWORD Pid;
    std::function<bool(HWND)> Match;
    std::vector<HWND> Found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<TFind*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == find->Pid && find->Match(window)) find->Found.push_back(window);
    return TRUE;
}

// Keys of the block between the letters and the number pad: without the flag the system
// takes them for the number pad's keys, which NumLock turns into digits.
DWORD ExtendedFlag(WORD vk) {
    switch (vk) {
    case VK_END: case VK_HOME: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE: case VK_APPS:
        return KEYEVENTF_EXTENDEDKEY;
    default:
        return 0;
    }
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | ExtendedFlag(vk);
    return in;
}

void Send(std::vector<INPUT>& inputs) {
    if (::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        throw std::runtime_error("SendInput failed");
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, std::function<bool(HWND)> match) {
    TFind find{pid, std::move(match), {}};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

HWND OpenMenu(DWORD pid) {
    auto menus = TopLevelWindows(pid, [](HWND h) { return ClassOf(h) == "#32768" && ::IsWindowVisible(h); });
    return menus.empty() ? nullptr : menus.front();
}

bool ShortcutTaken(UINT virtualKey, bool ctrl, bool alt, bool shift) {
    const UINT modifiers = (ctrl ? MOD_CONTROL : 0) | (alt ? MOD_ALT : 0) | (shift ? MOD_SHIFT : 0);
    const int id = 0x7E2E;
    if (::RegisterHotKey(nullptr, id, modifiers, virtualKey)) {
        ::UnregisterHotKey(nullptr, id);
        return false;
    }
    return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

void PressKey(WORD virtualKey, const std::vector<WORD>& held) {
    std::vector<INPUT> inputs;
    for (WORD vk : held) inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    Send(inputs);
}

void PressShortcut(WORD virtualKey, bool ctrl, bool alt, bool shift) {
    std::vector<WORD> held;
    if (ctrl) held.push_back(VK_CONTROL);
    if (alt) held.push_back(VK_MENU);
    if (shift) held.push_back(VK_SHIFT);
    PressKey(virtualKey, held);
}

void KeyDown(WORD virtualKey) {
    std::vector<INPUT> in{KeyInput(virtualKey, false)};
    Send(in);
}

void KeyUp(WORD virtualKey) {
    std::vector<INPUT> in{KeyInput(virtualKey, true)};
    Send(in);
}
