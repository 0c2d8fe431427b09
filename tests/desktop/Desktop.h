// What the end-to-end tests and the whole-program benchmarks do to a program from outside,
// as a person or another program would: find its windows, press keys, probe shortcuts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

std::string WindowCaption(HWND window);
std::string ClassOf(HWND window);
// The top-level windows of a process (hidden ones too) that match, in z-order.
std::vector<HWND> TopLevelWindows(DWORD pid, std::function<bool(HWND)> match);
// The visible pop-up menu of a process, if one is open.
HWND OpenMenu(DWORD pid);

// True when another window holds this shortcut: this process's attempt to register it is
// refused as already registered. A free shortcut is let go at once.
bool ShortcutTaken(UINT virtualKey, bool ctrl = false, bool alt = false, bool shift = false);

// Presses and releases a key with the modifiers held, in one SendInput call; throws
// std::runtime_error when the system takes not all of it.
void PressKey(WORD virtualKey, const std::vector<WORD>& held = {});
void PressShortcut(WORD virtualKey, bool ctrl = false, bool alt = false, bool shift = false);
// One key going down (a second down before the up is a repeat) or up.
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
