// What the driver does to the running program: start and end it, find its windows, click its
// tray icon, make round trips, read its list and boxes, type keys and read dialog controls.
// What it does to the registry is in DriverRegistry.cpp, to the recording helper in
// DriverRecord.cpp.
#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "DriverText.h"
#include "framework/Application.h"

namespace e2e {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

std::string Utf8(const wchar_t* text, size_t length) {
    if (length == 0) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                  nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), n, nullptr,
                          nullptr);
    return result;
}

// Text from a call that fills a buffer and tells the length it needs when the buffer is short.
std::string FetchText(const std::function<DWORD(char*, DWORD)>& fetch, const char* what) {
    std::string text(MAX_PATH + 1, '\0');
    DWORD n = fetch(text.data(), static_cast<DWORD>(text.size()));
    if (n > text.size()) {
        text.resize(n);
        n = fetch(text.data(), n);
    }
    if (n == 0 || n >= text.size()) throw std::runtime_error(what);
    text.resize(n);
    return text;
}

namespace {

// An environment variable, or the fallback when it is not set.
std::string Environment(const char* name, const char* fallback) {
    if (::GetEnvironmentVariableA(name, nullptr, 0) == 0) return fallback;
    return FetchText([&](char* b, DWORD n) { return ::GetEnvironmentVariableA(name, b, n); },
                     (std::string(name) + " is not set").c_str());
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(20);
    }
}

std::string TarvoPath() { return Environment("TARVO_EXE_WIN", TARVO_EXE_DEFAULT); }
std::string RecordArgsPath() { return Environment("RECORD_ARGS_WIN", RECORD_ARGS_DEFAULT); }

std::string WindowTextUtf8(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int n = ::GetWindowTextW(hwnd, text.data(), length + 1);
    return Utf8(text.data(), static_cast<size_t>(n));
}

// --- The process ------------------------------------------------------------------------

TTarvo::~TTarvo() {
    if (Running()) Kill();
    if (FProcess) ::CloseHandle(FProcess);
}

void TTarvo::Start(bool waitForAllWindows) { StartFrom(TarvoPath(), waitForAllWindows); }

void TTarvo::StartFrom(const std::string& path, bool waitForAllWindows) {
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Right after a copy was killed, Wine now and then refuses the next start of the same file
    // for a moment; a start is tried again a few times before it counts as failed.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt, ::Sleep(200)) {
        if (::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi)) {
            error = 0;
            break;
        }
        error = ::GetLastError();
    }
    if (error) throw std::runtime_error("cannot start " + path + ": error " + std::to_string(error));
    ::CloseHandle(pi.hThread);
    if (FProcess) ::CloseHandle(FProcess);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
    if (waitForAllWindows)
        WaitFor([&] { return StartupDone() || !Running(); }, 20000);
    else
        WaitFor([&] { return MainWindow() != nullptr || !Running(); }, 20000);
}

bool TTarvo::StartupDone() const { return WindowTitled("Tarvo2000 Options") != nullptr; }

bool TTarvo::Running() const {
    return FProcess && ::WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT;
}

bool TTarvo::WaitForExit(DWORD timeoutMs) {
    return WaitFor([&] { return !Running(); }, timeoutMs);
}

void TTarvo::Kill() {
    if (!FProcess) return;
    ::TerminateProcess(FProcess, 99);
    ::WaitForSingleObject(FProcess, 10000);
}

DWORD TTarvo::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (FProcess) ::GetExitCodeProcess(FProcess, &code);
    return code;
}

std::vector<HWND> TTarvo::WindowsTitled(const std::string& caption) const {
    return TopLevelWindows(FPid, [&](HWND h) { return WindowCaption(h) == caption; });
}

HWND TTarvo::WindowTitled(const std::string& caption) const {
    auto all = WindowsTitled(caption);
    return all.empty() ? nullptr : all.front();
}

std::vector<HWND> TTarvo::WindowsOfClass(const std::string& className) const {
    return TopLevelWindows(FPid, [&](HWND h) { return ClassOf(h) == className; });
}

// --- Tray and menus ---------------------------------------------------------------------

void TTarvo::PostTray(UINT mouseMessage) const {
    for (HWND h : WindowsOfClass("TarvoUtilWindow"))
        ::PostMessageA(h, WM_TRAYNOTIFY, 1, static_cast<LPARAM>(mouseMessage));
}

void TTarvo::ClickTray() const {
    // Sent, not posted: a click still queued would otherwise be handled after whatever the
    // test sends next (sent messages go first), and show the window again after it.
    for (UINT mouseMessage : {WM_LBUTTONDOWN, WM_LBUTTONUP})
        for (HWND h : WindowsOfClass("TarvoUtilWindow")) {
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(h, WM_TRAYNOTIFY, 1, static_cast<LPARAM>(mouseMessage), SMTO_NORMAL,
                                  10000, &result);
        }
}

HWND TTarvo::OpenMenu() const { return ::OpenMenu(FPid); }

HWND TTarvo::OpenTrayMenu() const {
    PostTray(WM_RBUTTONDOWN);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenu()) != nullptr; }, 5000);
    return menu;
}

bool TTarvo::ChooseFromTrayMenu(char mnemonic, bool waitUntilClosed) const {
    if (!OpenTrayMenu()) return false;
    PressShortcut(static_cast<WORD>(::toupper(static_cast<unsigned char>(mnemonic))));
    return !waitUntilClosed || WaitFor([&] { return OpenMenu() == nullptr; }, 5000);
}

namespace {

UINT RoundTripMessage() { return ::RegisterWindowMessageA(fw::TApplication::RoundTripMessageName); }

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == RoundTripMessage()) {
        auto* answered = reinterpret_cast<LPARAM*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (answered && lParam > *answered) *answered = lParam;
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateReceiver(LPARAM* answered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarvoE2eRoundTrip";
    ::RegisterClassA(&wc);  // refused once the class exists, which is as good
    HWND hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!hwnd) throw std::runtime_error("cannot create the round trip's window");
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(answered));
    return hwnd;
}

}  // namespace

bool TTarvo::RoundTrip(DWORD timeoutMs) const {
    // The application window is the one window of the framework's class that nothing owns.
    const std::vector<HWND> apps = TopLevelWindows(FPid, [](HWND h) {
        return ClassOf(h) == "TarvoWindow" && ::GetWindow(h, GW_OWNER) == nullptr;
    });
    if (!Running()) return false;
    if (apps.empty()) {
        ADD_FAILURE() << "round trip: the program has no application window";
        return false;
    }
    if (!FReceiver) FReceiver.Reset(CreateReceiver(&FAnswered));
    const LPARAM token = ++FToken;
    if (!::PostMessageA(apps.front(), RoundTripMessage(), reinterpret_cast<WPARAM>(FReceiver.Get()), token)) {
        if (Running()) ADD_FAILURE() << "round trip: cannot post to the program";
        return false;
    }
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (FAnswered >= token) return true;
        if (!Running()) return false;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            ADD_FAILURE() << "round trip: the running program gave no answer within " << timeoutMs << " ms";
            return false;
        }
        ::MsgWaitForMultipleObjects(1, &FProcess, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// --- The binding list -------------------------------------------------------------------

namespace {

// A block of memory inside another process, for messages whose arguments point at memory.
class TRemoteBlock {
public:
    TRemoteBlock(HANDLE process, size_t size)
        : FProcess(process), FSize(size),
          FAddress(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
        if (!FAddress) throw std::runtime_error("VirtualAllocEx failed");
    }
    ~TRemoteBlock() { ::VirtualFreeEx(FProcess, FAddress, 0, MEM_RELEASE); }
    TRemoteBlock(const TRemoteBlock&) = delete;
    TRemoteBlock& operator=(const TRemoteBlock&) = delete;
    void* Address() const { return FAddress; }
    void Write(const void* data, size_t size, size_t offset = 0) const {
        if (offset + size > FSize || !::WriteProcessMemory(FProcess, static_cast<char*>(FAddress) + offset, data, size, nullptr))
            throw std::runtime_error("WriteProcessMemory failed");
    }
    std::string Read(size_t size, size_t offset = 0) const {
        std::string data(size, '\0');
        if (offset + size > FSize || !::ReadProcessMemory(FProcess, static_cast<char*>(FAddress) + offset, data.data(), size, nullptr))
            throw std::runtime_error("ReadProcessMemory failed");
        return data;
    }

private:
    HANDLE FProcess;
    size_t FSize;
    void* FAddress;
};

}  // namespace

void PrintTo(const TTarvo::TRow& row, std::ostream* out) {
    *out << "{\"" << row.Action.substr(0, 60) << "\", " << row.Hotkey << ", image " << row.StateImage << "}";
}

HWND TTarvo::ListWindow() const {
    return ::FindWindowExA(MainWindow(), nullptr, "SysListView32", nullptr);
}

std::vector<TTarvo::TRow> TTarvo::ListRows() const {
    std::vector<TRow> rows;
    const HWND list = ListWindow();
    if (!list) return rows;
    const auto count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr size_t kText = 4096;
    TRemoteBlock block(FProcess, sizeof(LVITEMA) + kText);
    const char* remoteText = static_cast<const char*>(block.Address()) + sizeof(LVITEMA);
    auto text = [&](int row, int column) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(remoteText);
        item.cchTextMax = kText;
        block.Write(&item, sizeof item);
        const auto length = static_cast<size_t>(::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block.Address())));
        return block.Read(std::min(length, kText - 1), sizeof(LVITEMA));
    };
    for (int i = 0; i < count; ++i) {
        TRow row{text(i, 0), text(i, 1), 0};
        row.StateImage = static_cast<int>(::SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12) - 1;
        rows.push_back(row);
    }
    return rows;
}

void TTarvo::SelectRow(int row) const {
    const HWND list = ListWindow();
    TRemoteBlock block(FProcess, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    block.Write(&item, sizeof item);
    ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.Address()));
}

int TTarvo::SelectedRow() const {
    return static_cast<int>(::SendMessageA(ListWindow(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TTarvo::ClickHeader(int column) const {
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(ListWindow(), LVM_GETHEADER, 0, 0));
    TRemoteBlock block(FProcess, sizeof(RECT));
    if (!::SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(block.Address())))
        throw std::runtime_error("no such column");
    RECT r{};
    const std::string bytes = block.Read(sizeof r);
    std::memcpy(&r, bytes.data(), sizeof r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(header, WM_LBUTTONUP, 0, at);
}

// --- Message boxes ----------------------------------------------------------------------

std::optional<TMessageBox> TTarvo::MessageBox() const {
    auto boxes = TopLevelWindows(FPid, [](HWND h) {
        return ClassOf(h) == "#32770" && ::IsWindowVisible(h);
    });
    if (boxes.empty()) return std::nullopt;
    TMessageBox box;
    box.Handle = boxes.front();
    box.Caption = WindowTextUtf8(box.Handle);
    std::vector<HWND> children;
    ::EnumChildWindows(box.Handle, CollectChild, reinterpret_cast<LPARAM>(&children));
    // The message is the box's one static control with text; the icon has none.
    for (HWND child : children) {
        if (ClassOf(child) != "Static") continue;
        std::string text = WindowTextUtf8(child);
        if (text.size() > box.Text.size()) box.Text = text;
    }
    return box;
}

std::optional<TMessageBox> TTarvo::WaitForMessageBox(DWORD timeoutMs) const {
    std::optional<TMessageBox> box;
    WaitFor([&] { return (box = MessageBox()).has_value() || !Running(); }, timeoutMs);
    return box;
}

bool TTarvo::DismissMessageBox(const TMessageBox& box) const {
    HWND ok = ::GetDlgItem(box.Handle, IDOK);
    if (!ok) return false;
    ::PostMessageA(box.Handle, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return WaitFor([&] { return !::IsWindow(box.Handle) || !::IsWindowVisible(box.Handle); }, 5000);
}

// --- Keyboard ---------------------------------------------------------------------------


void TypeText(const std::string& text) {
    for (char c : text) {
        const SHORT scan = ::VkKeyScanA(c);
        if (scan == -1) throw std::runtime_error(std::string("cannot type ") + c);
        PressShortcut(static_cast<WORD>(scan & 0xFF), false, false, (scan & 0x100) != 0);
        ::Sleep(5);  // as fast as a person never types, but one key after the other
    }
}

HWND ChildWithText(HWND parent, const std::string& text) {
    std::vector<HWND> children;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (WindowTextUtf8(child) == text) return child;
    return nullptr;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
    std::vector<HWND> children, found;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (ClassOf(child) == className) found.push_back(child);
    auto top = [](HWND h) {
        RECT r{};
        ::GetWindowRect(h, &r);
        return std::pair{r.top, r.left};
    };
    std::sort(found.begin(), found.end(), [&](HWND a, HWND b) { return top(a) < top(b); });
    return found;
}

std::string ControlText(HWND control) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                          5000, &got);
    return Utf8(text.data(), static_cast<size_t>(got));
}

bool IsChecked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool InMenuMode(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

std::optional<TMessageBox> TTarvo::StartPastMessageBox(const std::string& exePath) {
    StartFrom(exePath, false);
    std::optional<TMessageBox> box = WaitForMessageBox();
    if (!box || !DismissMessageBox(*box) || !WaitFor([&] { return StartupDone(); })) return std::nullopt;
    return box;
}

}  // namespace e2e
