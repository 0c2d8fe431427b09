// What the binding editor and the key recorder decide without a window: the example
// actions, the typed-key rule, Save's checks and messages, Browse's file names and the keys
// the recorder passes over.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The lines of the action box's list. The first two are a heading and a rule, not actions:
// choosing one leaves the action box empty.
extern const std::array<std::string_view, 13> ExampleActions;
bool IsExampleHeading(int line);

// The key box's text as the user may type it: any letter case, blanks around it.
// The key table index of the name it gives, or -1.
int TypedKeyIndex(std::string_view text);

// What Save looks at.
struct TEditorInput {
    int KeyIndex = -1;        // the key box's selection; -1 for none
    std::string KeyText;      // the key box's text as shown
    std::string ActionText;   // the action box's text as typed
    bool Ctrl = false, Alt = false, Shift = false;
    int EditIndex = -1;       // the row being edited; the blank row's index when adding
    std::vector<std::string> Shortcuts;  // the shortcut text of every binding row, in order
};

// What Save decides: the key (a typed name selects its key), the trimmed action, and the
// one message to show; an empty message means the binding may be saved.
struct TEditorCheck {
    int KeyIndex = -1;
    std::string Action;
    std::string Message;
};
TEditorCheck CheckEditorInput(const TEditorInput& input);

// The file name Browse starts the file dialog with: the action without blanks around it and
// without quotes, when it looks like a file name; empty otherwise.
std::string BrowseStartName(std::string_view actionText);
// The chosen file as an action: a path that holds a space comes back in double quotes.
std::string BrowseAction(std::string_view path);

// Keys the recorder waits past: Shift, Ctrl and Alt themselves, the Windows and menu keys and
// the punctuation keys.
bool RecorderIgnoresKey(int virtualKey);
