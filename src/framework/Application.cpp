#include "framework/Application.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "framework/Form.h"
#include "framework/WinText.h"

namespace fw {

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) { Application = this; }

TApplication::~TApplication() {
    DestroyForms();
    if (FHandle) ::DestroyWindow(FHandle);
    if (Application == this) Application = nullptr;
}

namespace {

// Text in the code page of the A functions, to UTF-16 and back.
std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

std::string AnsiFromWide(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), n,
                          nullptr, nullptr);
    return result;
}

}  // namespace

std::string TitleFromModulePath(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string name = file.substr(0, file.find('.'));
    if (name.empty()) name = file;  // ".tool.exe" still needs a name
    // Case is changed in UTF-16: in UTF-8 a letter and its other case may differ in length.
    std::wstring wide = WideFromAnsi(name);
    if (wide.empty()) return name;
    const DWORD first = IS_HIGH_SURROGATE(wide[0]) && wide.size() > 1 ? 2 : 1;
    ::CharUpperBuffW(wide.data(), first);
    ::CharLowerBuffW(wide.data() + first, static_cast<DWORD>(wide.size() - first));
    return AnsiFromWide(wide);
}

void TApplication::Initialize() {
    if (FHandle) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    TWindowParams p;
    // Hidden until a form shows it: a button that flashed up at every start would be wrong
    // for a program that starts in the tray.
    p.Style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
    p.Caption = TitleFromModulePath(ModuleFileName());
    p.Icon = ::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON");
    // A zero-size window in the middle of the screen: it only carries the taskbar button.
    p.X = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    p.Y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    p.Width = 0;
    p.Height = 0;
    FHandle = CreateBoundWindow(p, this);
    if (!FHandle) throw std::runtime_error("Error creating the application window");
    FRoundTripMessage = ::RegisterWindowMessageA(RoundTripMessageName);
}

std::string TApplication::Title() const { return FHandle ? WindowText(FHandle) : std::string(); }

void TApplication::SetTitle(const std::string& value) {
    if (FHandle) ::SetWindowTextA(FHandle, value.c_str());
}

void TApplication::Run() {
    // An end asked for before the loop (during start-up, say) ends it at once: a modal loop
    // that ran meanwhile may have taken the quit message without putting it back.
    if (FTerminateRequested) ::PostQuitMessage(0);
    if (FMainForm && FShowMainForm && !FTerminateRequested) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
    FTerminateRequested = true;
    ::PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        FTerminateRequested = true;
        FTerminated = true;
        return true;
    }
    if (!FSwallowed.empty() && Swallowed(msg)) return true;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (auto* form = dynamic_cast<TForm*>(TargetOf(root))) {
            bool handled = false;
            GuardedCall([&] {
                handled = form->PreProcessMessage(msg);
                return LRESULT{0};
            });
            if (handled) return true;
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

void TApplication::SwallowHeldKeys(UINT virtualKey) {
    FSwallowed.clear();
    FSwallowed.push_back(virtualKey);
    for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
        if (vk != virtualKey && ::GetKeyState(static_cast<int>(vk)) < 0) FSwallowed.push_back(vk);
}

bool TApplication::Swallowed(const MSG& msg) {
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if (!down && !up) return false;
    auto it = std::find(FSwallowed.begin(), FSwallowed.end(), static_cast<UINT>(msg.wParam));
    if (it == FSwallowed.end()) return false;
    // A fresh press (not a repeat) means the release went elsewhere: hear this one.
    const bool repeat = (msg.lParam & (1L << 30)) != 0;
    if (up || !repeat) FSwallowed.erase(it);
    return up || repeat;
}

void TApplication::HandleMessage() {
    // Taken as UTF-16, so that a character typed reaches the key handlers whole; the system
    // turns it into the code page of a window that wants that.
    MSG msg;
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return;
    if (got == 0) {
        FTerminateRequested = true;
        FTerminated = true;
        return;
    }
    ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (!FTerminated && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
}

void TApplication::Minimize() {
    if (TForm* modal = ModalForm()) {
        modal->BringToFront();
        return;
    }
    if (FHandle && !::IsIconic(FHandle)) ::ShowWindow(FHandle, SW_MINIMIZE);
}

void TApplication::Restore() {
    if (FHandle && ::IsIconic(FHandle)) ::ShowWindow(FHandle, SW_RESTORE);
}

namespace {

struct TEnumState {
    HWND Except;
    bool HiddenToo;
    std::vector<HWND> Disabled;
};

BOOL CALLBACK DisableProc(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<TEnumState*>(lParam);
    if (hwnd != state->Except && (state->HiddenToo || ::IsWindowVisible(hwnd)) && ::IsWindowEnabled(hwnd)) {
        state->Disabled.push_back(hwnd);
        ::EnableWindow(hwnd, FALSE);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> TApplication::DisableTaskWindows(HWND except, bool hiddenToo) {
    TEnumState state{except, hiddenToo, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableProc, reinterpret_cast<LPARAM>(&state));
    return state.Disabled;
}

void TApplication::EnableTaskWindows(const std::vector<HWND>& windows) {
    for (HWND h : windows)
        if (::IsWindow(h)) ::EnableWindow(h, TRUE);
}

void TApplication::AddBoxWatcher(const TObject* owner, std::function<void(bool open)> watcher) {
    FBoxWatchers.emplace_back(owner, std::move(watcher));
}

void TApplication::RemoveBoxWatchers(const TObject* owner) {
    std::erase_if(FBoxWatchers, [owner](const auto& w) { return w.first == owner; });
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = ::GetActiveWindow();
    if (!owner || !::IsWindowVisible(owner)) owner = FHandle;
    // Undone in reverse, also when the box fails: the windows this box disabled, then the
    // watchers, told only by the outermost box.
    struct TOpenBox {
        TApplication& App;
        std::vector<HWND> Disabled;
        explicit TOpenBox(TApplication& app) : App(app) {
            if (App.FOpenBoxes++ == 0) App.TellBoxWatchers(true);
            Disabled = App.DisableTaskWindows(nullptr, true);
        }
        ~TOpenBox() {
            App.EnableTaskWindows(Disabled);
            if (--App.FOpenBoxes == 0) App.TellBoxWatchers(false);
        }
        TOpenBox(const TOpenBox&) = delete;
        TOpenBox& operator=(const TOpenBox&) = delete;
    } box(*this);
    if (MessageBoxFn) return MessageBoxFn(text, caption, flags);
    // In front of whatever the user works in: a box that opened behind it would leave the
    // program looking hung. Windows may refuse (its foreground lock); a click on the tray
    // icon brings the box then.
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags | MB_SETFOREGROUND);
}

namespace {

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM lParam) {
    // Every other window of the program is disabled while a box is open, the boxes it
    // opened from before included.
    if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd) ||
        !WindowNameIs(hwnd, TWindowName::ClassName, "#32770"))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

}  // namespace

bool TApplication::BringBoxToFront() {
    if (FOpenBoxes == 0) return false;
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBoxProc, reinterpret_cast<LPARAM>(&box));
    if (!box) return false;
    ::SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(box);
    return true;
}

void TApplication::TellBoxWatchers(bool open) {
    // A watcher may add or remove watchers: work on a copy.
    const auto watchers = FBoxWatchers;
    for (const auto& w : watchers) GuardedCall([&] {
            w.second(open);
            return LRESULT{0};
        });
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr error) {
    std::string message = "Unknown error";
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
        }
    }
    if (OnException) {
        OnException(Sender, message);
        return;
    }
    ShowError(message);
}

void TApplication::ShowError(const std::string& message) {
    // One error box at a time: what fails meanwhile is shown when it closes.
    FPendingErrors.push_back(message);
    if (FShowingError) return;
    FShowingError = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{FShowingError};
    while (!FPendingErrors.empty()) {
        const std::string next = FPendingErrors.front();
        FPendingErrors.erase(FPendingErrors.begin());
        MessageBox(next, Title(), MB_OK | MB_ICONSTOP);
    }
}

void TApplication::PopModal(TForm* form) {
    auto it = std::find(FModalForms.begin(), FModalForms.end(), form);
    if (it != FModalForms.end()) FModalForms.erase(it);
}

void TApplication::DestroyForms() {
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it) {
        TForm* form = *it;
        form->BeforeDestruction();
        form->DestroyHandle();
        delete form;
    }
    FForms.clear();
    FMainForm = nullptr;
}

namespace {

constexpr UINT_PTR kRoundTripTimer = 1;

}  // namespace

void TApplication::AnswerRoundTrips() {
    // Input that came in after the timer message was taken is still to be handled first.
    if (HIWORD(::GetQueueStatus(QS_INPUT)) != 0) return;
    ::KillTimer(FHandle, kRoundTripTimer);
    for (const auto& [caller, token] : FRoundTrips) ::PostMessageA(caller, FRoundTripMessage, 0, token);
    FRoundTrips.clear();
}

LRESULT TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == FRoundTripMessage && msg != 0) {
        // Answered from a timer: the system hands out a timer message only once no posted
        // message and no input is waiting. Posting the answer, or the request again, would
        // come before input still queued.
        FRoundTrips.emplace_back(reinterpret_cast<HWND>(wParam), lParam);
        ::SetTimer(hwnd, kRoundTripTimer, USER_TIMER_MINIMUM, nullptr);
        return 0;
    }
    switch (msg) {
    case WM_TIMER:
        if (wParam != kRoundTripTimer) break;
        AnswerRoundTrips();
        return 0;
    case WM_CLOSE:
        // Closing the program from its taskbar button never goes past an open dialog.
        if (TForm* modal = ModalForm())
            modal->BringToFront();
        else if (FMainForm)
            FMainForm->Close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_SYSCOMMAND:
        // Minimising would hide an open dialog with its owner: the dialog comes forward instead.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && ModalForm()) {
            ModalForm()->BringToFront();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_RESTORE && FMainForm && !FMainForm->Visible()) {
            LRESULT r = ::DefWindowProcA(hwnd, msg, wParam, lParam);
            FMainForm->Show();
            return r;
        }
        break;
    case WM_ACTIVATE:
        // Activation of the taskbar button goes on to the main window.
        if (LOWORD(wParam) != WA_INACTIVE && FMainForm && FMainForm->Visible() &&
            ::IsWindowEnabled(FMainForm->Handle()))
            FMainForm->RestoreFocus();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace fw
