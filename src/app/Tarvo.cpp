// Program entry: the title, the five windows in their fixed order, the message loop, shutdown.
#include <windows.h>

#include "framework/Application.h"
#include "launch/Launch.h"
#include "shell/OneInstance.h"
#include "ui/About.h"
#include "ui/Accelerator.h"
#include "ui/Main.h"
#include "ui/Option.h"
#include "ui/Recorder.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The shell's verbs expect their caller in a single-threaded apartment.
    TShellApartment apartment;
    fw::TApplication app;
    try {
        fw::Application->Initialize();
        // While the title is still the program file's name, which names the mutex.
        CheckPreviousInstance();
        fw::Application->SetTitle("Tarvo2000");
        fw::Application->CreateForm(FormMain);
        fw::Application->CreateForm(FormRecorder);
        fw::Application->CreateForm(FormAccelerator);
        fw::Application->CreateForm(AboutBox);
        fw::Application->CreateForm(FormOption);
        // Only now that every window exists and start-up is over can a command open one.
        FormMain->Connect({*FormAccelerator, *FormOption, *AboutBox});
        fw::Application->Run();
    } catch (...) {
        fw::Application->HandleException(nullptr);
    }
    // Windows first, then their components, the last created first.
    fw::Application->DestroyForms();
    // Windows hidden by a binding never stay lost when the program ends.
    ShowAllHiddenWindows();
    FreePreviousInstance();
    return 0;
}
