#include "launch/Launch.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "app/Text.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/WinText.h"

bool NewBrowserOption = false;
THiddenWindowStack<THiddenWindow> HiddenWindows;

namespace {

constexpr int ShellSuccess = 100;  // what the window commands report: above 32

const char* NullIfEmpty(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

// The clipboard's text in UTF-8, or nothing when it offers none or another program holds it.
// The Unicode text comes first: the system makes CF_TEXT from it in the clipboard locale's
// ANSI code page, which is not the UTF-8 this program speaks.
std::optional<std::string> ClipboardText() {
    const bool unicode = ::IsClipboardFormatAvailable(CF_UNICODETEXT);
    if ((!unicode && !::IsClipboardFormatAvailable(CF_TEXT)) || !::OpenClipboard(nullptr))
        return std::nullopt;
    struct TClose {
        ~TClose() { ::CloseClipboard(); }
    } close;
    HANDLE data = ::GetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT);
    const void* block = data ? ::GlobalLock(data) : nullptr;
    if (!block) return std::nullopt;
    struct TUnlock {
        HANDLE Data;
        ~TUnlock() { ::GlobalUnlock(Data); }
    } unlock{data};
    // Another program wrote this block: never read past its end, terminator or not.
    const SIZE_T size = ::GlobalSize(data);
    if (!unicode) {
        const auto* text = static_cast<const char*>(block);
        return std::string(text, ::strnlen(text, size));
    }
    const auto* text = static_cast<const wchar_t*>(block);
    return fw::Utf8FromWide(std::wstring_view(text, ::wcsnlen(text, size / sizeof(wchar_t))));
}

// Asks the shell's association for ".htm" directly: no file needed. The size comes
// first: Wine answers a short buffer with success and an unterminated text.
std::string AssociatedBrowser() {
    auto query = [](char* out, DWORD* size) {
        return ::AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, ".htm", "open", out,
                                   size);
    };
    DWORD size = 0;
    if (FAILED(query(nullptr, &size)) || size == 0) return {};
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> buffer(size + 1);  // one more: a full buffer means "grown meanwhile"
        DWORD capacity = static_cast<DWORD>(buffer.size());
        HRESULT hr = query(buffer.data(), &capacity);
        if (FAILED(hr) && hr != E_POINTER) return {};
        const std::size_t length = ::strnlen(buffer.data(), buffer.size());
        if (SUCCEEDED(hr) && length < buffer.size()) return std::string(buffer.data(), length);
        size = std::max<DWORD>(capacity, size * 2);
    }
    return {};
}

std::string TempFolder() {
    std::string path(MAX_PATH, '\0');
    DWORD length = ::GetTempPathA(static_cast<DWORD>(path.size()), path.data());
    if (length > path.size()) {
        path.resize(length);
        length = ::GetTempPathA(length, path.data());
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The window recorded when it was hidden, if it still exists as the same process's window.
bool StillThere(const THiddenWindow& hidden) {
    return ::IsWindow(hidden.Handle) && ProcessOf(hidden.Handle) == hidden.ProcessId;
}

// Deletes a file when the scope ends, however it ends.
struct TFileRemover {
    std::string Path;
    ~TFileRemover() {
        if (!Path.empty()) ::DeleteFileA(Path.c_str());
    }
};

}  // namespace

std::string FindBrowserByProbe() {
    const std::string folder = TempFolder();
    if (folder.empty()) return {};
    // GetTempFileNameA reserves a name nobody else has; ours gets ".htm" added.
    char reserved[MAX_PATH] = {};
    if (!::GetTempFileNameA(folder.c_str(), "trv", 0, reserved)) return {};
    TFileRemover reservation{reserved};
    TFileRemover probe;
    const std::string path = std::string(reserved) + ".htm";
    {
        fw::THandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!file) return {};
        probe.Path = path;
    }
    char result[MAX_PATH] = {};  // the size FindExecutableA itself demands
    if (reinterpret_cast<INT_PTR>(::FindExecutableA(path.c_str(), nullptr, result)) <= 32)
        return {};
    return result;
}

std::string FindDefaultBrowser() {
    std::string browser = AssociatedBrowser();
    return browser.empty() ? FindBrowserByProbe() : browser;
}

bool OpenInNewBrowser(const std::string& target) {
    if (!NewBrowserOption || !IsWebAddress(target)) return false;
    const std::string browser = FindDefaultBrowser();
    if (browser.empty()) return false;
    const std::string line = NewBrowserCommandLine(browser, target);
    return ::WinExec(line.c_str(), SW_SHOWNORMAL) > 32;
}

bool MayHideWindow(HWND window) {
    if (!window || !::IsWindow(window)) return false;
    // The program's own windows, its message boxes among them: hiding one would leave
    // the program (and a modal box the user must answer) out of reach.
    if (ProcessOf(window) == ::GetCurrentProcessId()) return false;
    // Without the desktop and the taskbar the user has nothing left to click on.
    if (window == ::GetDesktopWindow() || window == ::GetShellWindow()) return false;
    // A class name is at most 256 characters long.
    std::string className(257, '\0');
    className.resize(static_cast<size_t>(std::max(
        0, ::GetClassNameA(window, className.data(), static_cast<int>(className.size())))));
    return !IsShellWindowClass(className);
}

int HideForegroundWindow() {
    HWND window = ::GetForegroundWindow();
    if (!MayHideWindow(window)) return ShellSuccess;
    const DWORD pid = ProcessOf(window);
    // A window that was not visible is not recorded: showing it later would be wrong.
    if (::ShowWindow(window, SW_HIDE)) HiddenWindows.Push({window, pid});
    return ShellSuccess;
}

int ShowLastHiddenWindow() {
    // Windows closed since they were hidden are passed over for the next one down.
    while (std::optional<THiddenWindow> hidden = HiddenWindows.Pop()) {
        if (!StillThere(*hidden)) continue;
        ::ShowWindow(hidden->Handle, SW_SHOW);
        ::SetForegroundWindow(hidden->Handle);
        break;
    }
    return ShellSuccess;
}

void ShowAllHiddenWindows() {
    for (const THiddenWindow& hidden : HiddenWindows.TakeAll())
        if (StillThere(hidden) && !::IsWindowVisible(hidden.Handle))
            ::ShowWindow(hidden.Handle, SW_SHOWNA);
}

int ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
    if (fw::Application)
        return fw::Application->MessageBox(text, caption, static_cast<UINT>(flags));
    return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), static_cast<UINT>(flags));
}

INT_PTR TLauncher::Shell(const char* operation, const char* file, const char* parameters) const {
    HWND owner = FOwnerWindow ? FOwnerWindow() : nullptr;
    if (FShellExecute) return FShellExecute(owner, operation, file, parameters);
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(owner, operation, file, parameters, nullptr, SW_SHOWNORMAL));
}

bool TLauncher::ExecuteAction(const std::string& command) const {
    TActionParts parts = SplitActionCommand(command);
    const bool clipboardCommand = ClassifyProgramPart(parts.Program) == TBuiltInWord::Clipboard;
    if (clipboardCommand) {
        // Without text there is nothing to run; never hand the word itself to the shell.
        std::optional<std::string> text = ClipboardText();
        if (!text || TrimControl(*text).empty()) return true;
        parts.Program = TrimControl(*text);
    }
    if (OpenInNewBrowser(parts.Program)) return true;

    INT_PTR result = 0;
    switch (ClassifyProgramPart(parts.Program)) {
    case TBuiltInWord::HideWindow:
        result = HideForegroundWindow();
        break;
    case TBuiltInWord::ShowWindow:
        result = ShowLastHiddenWindow();
        break;
    case TBuiltInWord::Explore:
        result = Shell("Explore", NullIfEmpty(parts.Parameters), nullptr);
        break;
    default:
        result = Shell("Open", NullIfEmpty(parts.Program), NullIfEmpty(parts.Parameters));
        break;
    }
    if (result <= 32 && !clipboardCommand) {
        ShowMessageBox(InvalidActionMessage(parts.Program, parts.Parameters), "Tarvo Error",
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

TShellApartment::TShellApartment()
    : FInitialized(SUCCEEDED(
          ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

TShellApartment::~TShellApartment() {
    if (FInitialized) ::CoUninitialize();
}
