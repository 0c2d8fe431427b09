#include "framework/WinText.h"

#include "framework/Text.h"

namespace fw {

std::string WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(n > 0 ? n : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), n, nullptr, nullptr);
    return result;
}

bool WindowNameIs(HWND window, TWindowName which, std::string_view expected) {
    // Room for one byte past `expected` and the terminating zero.
    std::string text(expected.size() + 2, '\0');
    const int size = static_cast<int>(text.size());
    const int got = which == TWindowName::ClassName ? ::GetClassNameA(window, text.data(), size)
                                                     : ::GetWindowTextA(window, text.data(), size);
    if (got < 0 || static_cast<size_t>(got) != expected.size()) return false;
    text.resize(static_cast<size_t>(got));
    return which == TWindowName::ClassName ? UpperAscii(text) == UpperAscii(expected)
                                           : text == expected;
}

std::string ModuleFileName(HMODULE module) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD got = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return {};
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

std::string CurrentDirectory() {
    std::string dir(MAX_PATH, '\0');
    for (;;) {
        DWORD got = ::GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), dir.data());
        if (got == 0) return {};
        if (got < dir.size()) {
            dir.resize(got);
            return dir;
        }
        dir.resize(got);  // too small: got is the size needed
    }
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

}  // namespace fw
