// Text helpers the driver's files share.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// UTF-16 text as UTF-8.
std::string Utf8(const wchar_t* text, size_t length);
// Text from a call that fills a buffer and tells the length it needs when the buffer is short.
std::string FetchText(const std::function<DWORD(char*, DWORD)>& fetch, const char* what);

}  // namespace e2e
