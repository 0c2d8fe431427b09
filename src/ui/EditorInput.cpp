#include "ui/EditorInput.h"

#include <algorithm>

#include "app/Keys.h"
#include "app/Text.h"

const std::array<std::string_view, 13> ExampleActions = {
    "examples of valid inputs:",
    "--------------------------------------",
    "http://www.morvane.example/~kaisa/",
    "mailto:kaisa@morvane.example",
    "telnet bbs.morvane.example",
    "notepad c:\\readme.txt",
    "notepad \"c:\\program files\\readme.txt\"",
    "c:\\contact\\email.txt",
    "c:\\winamp\\winamp.exe",
    "\"c:\\my documents\\my essay.doc\"",
    "USER_SHOW_WINDOW",
    "USER_HIDE_WINDOW",
    "USER_CLIPBOARD",
};

bool IsExampleHeading(int line) { return line == 0 || line == 1; }

int TypedKeyIndex(std::string_view text) { return KeyIndexOfName(TrimControl(UpperAscii(text))); }

TEditorCheck CheckEditorInput(const TEditorInput& input) {
    TEditorCheck check;
    check.KeyIndex = input.KeyIndex >= 0 ? input.KeyIndex : TypedKeyIndex(input.KeyText);
    check.Action = TrimControl(input.ActionText);
    // NONE names no key: it can never be registered.
    const bool keyValid = check.KeyIndex > 0 && check.KeyIndex < KeyCount;
    const bool actionValid = !check.Action.empty() && check.Action != "http://";
    if (keyValid && actionValid) {
        const std::string text = MakeShortcutText(input.Ctrl, input.Alt, input.Shift,
                                                  KeyNames[static_cast<size_t>(check.KeyIndex)]);
        for (size_t i = 0; i < input.Shortcuts.size(); ++i)
            if (input.Shortcuts[i] == text && static_cast<int>(i) != input.EditIndex) {
                check.Message = text + " is already been used!\r\nPlease try again using other keys.";
                break;
            }
    } else if (input.KeyText == "(Choose Key)") {
        check.Message = "Choose or enter a valid key to be used as the accelerator.";
    } else if (input.KeyText.empty()) {
        check.Message = "Accelerator key cannot be empty!\r\nPlease try again using valid key.";
    } else if (!keyValid) {
        check.Message = input.KeyText + " is not a valid key!\r\nPlease try again using valid key.";
    } else {
        check.Message = "Enter an action command to associate with the keys.";
    }
    return check;
}

std::string BrowseStartName(std::string_view actionText) {
    std::string s = TrimControl(actionText);
    s.erase(std::remove(s.begin(), s.end(), '"'), s.end());
    const bool drivePath = s.size() >= 3 && s[1] == ':' && s[2] == '\\';
    const bool extension = s.size() >= 4 && s[s.size() - 4] == '.';
    return s.size() <= 3 || drivePath || extension ? s : std::string();
}

std::string BrowseAction(std::string_view path) {
    std::string action(path);
    if (action.find(' ') != std::string::npos) action = '"' + action + '"';
    return action;
}

bool RecorderIgnoresKey(int vk) {
    return (vk >= 16 && vk <= 18) || (vk >= 91 && vk <= 93) || (vk >= 186 && vk <= 192) ||
           (vk >= 219 && vk <= 222);
}
