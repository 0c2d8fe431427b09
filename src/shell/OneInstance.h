// One copy of the program at a time. The start-up check takes a mutex named after the
// program file; the component on the main window then sends a later copy's user to the
// copy that runs already, and ends the later copy before it touches anything.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Component.h"
#include "framework/Handles.h"

// What the start-up check found. The mutex of the first copy stays open until the end.
class TPreviousInstance : public fw::TObject {
public:
    // Gives up the mutex when this copy holds it, so the name is free for the next start.
    ~TPreviousInstance() override;
    std::string ClassName() const override { return "TPreviousInstance"; }

    fw::THandle MutexHandle;
    // True when a copy of the same program file was running already.
    bool Found = false;
};

// Set by CheckPreviousInstance, freed by FreePreviousInstance.
extern std::unique_ptr<TPreviousInstance> PreviousInstance;

// Runs once the application window exists, while its title is still the one derived from
// the program file, and before that title changes.
void CheckPreviousInstance();
// Runs once when the program ends, after the message loop.
void FreePreviousInstance();

// The application window of another running copy of this program file whose title is
// `title`, or nullptr. Reads only what the system keeps for every window, so a copy that
// hangs cannot hang the search.
HWND FindPreviousInstanceWindow(const std::string& title);

// On the main window: in a later copy it brings the earlier copy forward and ends this one.
class TOneInstance : public fw::TComponent {
public:
    explicit TOneInstance(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TOneInstance"; }
};
