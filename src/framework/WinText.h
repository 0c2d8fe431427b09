// Text from the system, in buffers sized to fit whatever the user stored.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

std::string WindowText(HWND hwnd);
// UTF-16 from the system (the clipboard's Unicode text, say) as UTF-8.
std::string Utf8FromWide(std::wstring_view text);

// Which of a window's names WindowNameIs reads.
enum class TWindowName { ClassName, Caption };
// Whether a window's class name or caption is `expected`: a class name as the system
// matches classes (ASCII letters in either case), a caption exactly. It reads at most one
// byte more than `expected`, so a longer name never passes; another process's caption is
// read from what the system keeps, so a hung program cannot stall the caller.
bool WindowNameIs(HWND window, TWindowName which, std::string_view expected);
std::string ModuleFileName(HMODULE module = nullptr);
// The process's current folder, empty when it cannot be read.
std::string CurrentDirectory();
// The message text of a system error code.
std::string SystemErrorText(DWORD code);

}  // namespace fw
