// The application object: the application window, the forms, the message loop.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Component.h"
#include "framework/Window.h"

namespace fw {

class TForm;

class TApplication : public TComponent, public TWndTarget {
public:
    TApplication();
    ~TApplication() override;
    std::string ClassName() const override { return "TApplication"; }

    // Creates the application window, titled after the executable file.
    void Initialize();
    HWND Handle() const { return FHandle; }
    std::string Title() const;
    void SetTitle(const std::string& value);

    // Constructs a form, sets the caller's reference, then builds it.
    template <class T>
    void CreateForm(T*& reference) {
        auto* form = new T(this);
        reference = form;
        FForms.push_back(form);
        if (!FMainForm) FMainForm = form;
        form->Initialize();
    }
    TForm* MainForm() const { return FMainForm; }

    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool value) { FShowMainForm = value; }

    void Run();
    // Asks the message loop to end; the request is queued, not acted on at once.
    void Terminate();
    // True from the moment Terminate is called, before the loop has reached the request:
    // work still to come can see that the program is on its way out.
    bool TerminateRequested() const { return FTerminateRequested; }
    bool Terminated() const { return FTerminated; }
    // Takes and dispatches one message, waiting for it when the queue is empty.
    void HandleMessage();
    void ProcessMessages();
    void Minimize();
    void Restore();

    // The one way the program shows a message: a modal box over its windows; returns the button
    // pressed. While any box is open every window of the program is disabled, hidden ones
    // included, and the box watchers are told; afterwards exactly what was changed is undone.
    // Boxes nest: a box opened from inside another one's loop works the same way.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    // The number of boxes open right now.
    int OpenBoxes() const { return FOpenBoxes; }
    // Brings the box the user must answer now (the innermost, when boxes nest) in front of
    // every window and makes it the foreground window; false when no box is open.
    bool BringBoxToFront();
    // watcher(true) when the first box opens, watcher(false) when the last one has closed.
    void AddBoxWatcher(const TObject* owner, std::function<void(bool open)> watcher);
    void RemoveBoxWatchers(const TObject* owner);
    // Takes the place of the system's box when assigned (tests): it gets what the box would
    // show, with the program's windows disabled and the watchers told, and answers for it.
    std::function<int(const std::string& text, const std::string& caption, UINT flags)> MessageBoxFn;
    // The standard error box: the message under the application's title, with the stop icon.
    // A failure told while an error box is open waits for it and is shown next, never dropped.
    void ShowError(const std::string& message);
    // Shows an error's message in the standard error box, or hands it to OnException when that
    // is assigned. Safe to call anywhere: without an error at hand it says "Unknown error".
    void HandleException(TObject* Sender, std::exception_ptr error = std::current_exception());
    std::function<void(TObject* Sender, const std::string& Message)> OnException;
    // Destroys the forms: windows first, then the components, the last created first.
    void DestroyForms();

    // The modal form in front, nullptr when none is open.
    TForm* ModalForm() const { return FModalForms.empty() ? nullptr : FModalForms.back(); }
    void PushModal(TForm* form) { FModalForms.push_back(form); }
    void PopModal(TForm* form);

    // The key just taken, and every modifier held with it, is heard no more until released:
    // their repeats and key-ups are dropped, so they cannot act a second time elsewhere.
    void SwallowHeldKeys(UINT virtualKey);

    // Disables the thread's visible, enabled top-level windows but `except` (all of its
    // enabled ones, hidden too, with hiddenToo) and returns them for EnableTaskWindows.
    std::vector<HWND> DisableTaskWindows(HWND except, bool hiddenToo = false);
    void EnableTaskWindows(const std::vector<HWND>& windows);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Another program posts this registered message to the application window, with a window
    // of its own in wParam, to learn when everything it sent before has been handled: the same
    // message, with the same lParam, is posted back once nothing sent earlier is waiting.
    static constexpr const char* RoundTripMessageName = "TApplication.RoundTrip";

private:
    void TellBoxWatchers(bool open);
    bool ProcessMessage(MSG& msg);
    bool Swallowed(const MSG& msg);
    void AnswerRoundTrips();

    HWND FHandle = nullptr;
    TForm* FMainForm = nullptr;
    std::vector<TForm*> FForms;
    std::vector<TForm*> FModalForms;
    std::vector<UINT> FSwallowed;
    UINT FRoundTripMessage = 0;
    std::vector<std::pair<HWND, LPARAM>> FRoundTrips;  // who asked, and their token
    bool FShowMainForm = true;
    bool FTerminateRequested = false;
    bool FTerminated = false;
    int FOpenBoxes = 0;
    std::vector<std::pair<const TObject*, std::function<void(bool)>>> FBoxWatchers;
    // Error messages told while an error box was open, shown one after another.
    std::vector<std::string> FPendingErrors;
    bool FShowingError = false;
};

// The one application object of the process.
extern TApplication* Application;

// The title an application takes from its executable: the file name up to its first dot
// (the whole file name when that is empty), its first character upper case and the rest
// lower case, so every spelling of one file gives the same title.
std::string TitleFromModulePath(const std::string& path);

}  // namespace fw
