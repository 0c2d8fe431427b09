// Text from the system, in buffers sized to fit whatever the user stored.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

std::string WindowText(HWND hwnd);
std::string ModuleFileName(HMODULE module = nullptr);
// The process's current folder, empty when it cannot be read.
std::string CurrentDirectory();
// The message text of a system error code.
std::string SystemErrorText(DWORD code);

}  // namespace fw
