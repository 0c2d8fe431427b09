// The application object: the application window, the forms, the message loop.
#pragma once

#include <windows.h>

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

    // A modal message box over the program's windows; returns the button pressed.
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    // The standard error box: the message under the application's title, with the stop icon.
    void ShowError(const std::string& message);
    // Shows the exception being handled in the standard error box, or hands its
    // message to OnException when that is assigned.
    void HandleException(TObject* Sender);
    std::function<void(TObject* Sender, const std::string& Message)> OnException;
    // Takes the place of the standard error box when assigned (tests).
    std::function<void(const std::string& Message)> OnError;
    // Destroys the forms: windows first, then the components, the last created first.
    void DestroyForms();

    // The modal form in front, nullptr when none is open.
    TForm* ModalForm() const { return FModalForms.empty() ? nullptr : FModalForms.back(); }
    void PushModal(TForm* form) { FModalForms.push_back(form); }
    void PopModal(TForm* form);

    // The key just taken, and every modifier held with it, is heard no more until released:
    // their repeats and key-ups are dropped, so they cannot act a second time elsewhere.
    void SwallowHeldKeys(UINT virtualKey);

    std::vector<HWND> DisableTaskWindows(HWND except);
    void EnableTaskWindows(const std::vector<HWND>& windows);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Another program posts this registered message to the application window, with a window
    // of its own in wParam, to learn when everything it sent before has been handled: the same
    // message, with the same lParam, is posted back once nothing sent earlier is waiting.
    static constexpr const char* RoundTripMessageName = "TApplication.RoundTrip";

private:
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
    bool FHandlingException = false;
};

// The one application object of the process.
extern TApplication* Application;

// The title an application takes from its executable: the file name up to its first dot
// (the whole file name when that is empty), its first character upper case and the rest
// lower case, so every spelling of one file gives the same title.
std::string TitleFromModulePath(const std::string& path);

}  // namespace fw
