// Small checks shared by the registry tests.
#pragma once

#include <windows.h>

#include <string>

// True when the handle no longer names an open key.
inline bool KeyIsClosed(HKEY key) {
    DWORD n = 0;
    return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr) == ERROR_INVALID_HANDLE;
}

// The message of the exception of type E that f throws, or "<no error>".
template <class E, class F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<no error>";
}
