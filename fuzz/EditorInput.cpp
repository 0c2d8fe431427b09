// The binding editor's input: the typed key, Save's check over the list's shortcuts, and the
// file names Browse starts from and gives back.
//
// Input lines: "<key selection> <row being edited> <modifiers C, A, S>", the key box's text,
// the action box's text, then one shortcut text per list row ("*" stands for the shortcut
// being saved, so that duplicates come easily).
#include <charconv>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "app/Keys.h"
#include "app/Text.h"
#include "launch/ActionCommand.h"
#include "ui/EditorInput.h"

namespace {

const std::string NotValidKey = " is not a valid key!\r\nPlease try again using valid key.";
const std::string UsedKeys = " is already been used!\r\nPlease try again using other keys.";

// The shortcut Save would store for this input and key.
std::string Shortcut(const TEditorInput& input, int key) {
    return MakeShortcutText(input.Ctrl, input.Alt, input.Shift, KeyNames[static_cast<std::size_t>(key)]);
}

int Number(std::string_view& s, int fallback) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    int value = fallback;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc()) value = fallback;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    return value;
}

void CheckTypedKey(std::string_view text, std::uint64_t mask) {
    const int k = TypedKeyIndex(text);
    FUZZ_CHECK(k >= -1 && k < KeyCount);
    // Letter case and blanks around the name do not matter.
    FUZZ_CHECK(TypedKeyIndex(fuzz::MixCase(text, mask)) == k);
    FUZZ_CHECK(TypedKeyIndex(" \t" + std::string(text) + "\r\n") == k);
    if (k >= 0) FUZZ_CHECK(TrimControl(text).size() == KeyNames[static_cast<std::size_t>(k)].size());
    // Every name of the table, however typed, selects its own key.
    const auto any = static_cast<std::size_t>(mask % KeyCount);
    const std::string typed = " " + fuzz::MixCase(KeyNames[any], mask) + "\t";
    FUZZ_CHECK(TypedKeyIndex(typed) == static_cast<int>(any));
}

void CheckSave(const TEditorInput& input) {
    const TEditorCheck check = CheckEditorInput(input);
    const int key = input.KeyIndex >= 0 ? input.KeyIndex : TypedKeyIndex(input.KeyText);
    FUZZ_CHECK(check.KeyIndex == key);
    FUZZ_CHECK(check.Action == TrimControl(input.ActionText));

    const bool keyValid = key >= 1 && key < KeyCount;  // NONE is no key
    const bool actionValid = !check.Action.empty() && check.Action != "http://";
    std::string shortcut;
    bool usedElsewhere = false;
    if (keyValid) {
        shortcut = Shortcut(input, key);
        for (std::size_t i = 0; i < input.Shortcuts.size(); ++i)
            usedElsewhere |= input.Shortcuts[i] == shortcut && static_cast<int>(i) != input.EditIndex;
    }
    // Save goes through exactly when the key and the action are there and no other row holds
    // the shortcut; otherwise one message says why, the key's before the action's.
    const bool accepted = keyValid && actionValid && !usedElsewhere;
    FUZZ_CHECK(check.Message.empty() == accepted);
    if (check.Message.empty())
        FUZZ_CHECK(check.KeyIndex >= 1 && check.KeyIndex < KeyCount && !check.Action.empty());
    if (accepted) return;
    // The duplicate message names a shortcut that another row holds, and only then.
    if (keyValid && actionValid) {
        FUZZ_CHECK(check.Message == shortcut + UsedKeys);
        return;
    }
    // Otherwise the first message that applies.
    const std::pair<bool, std::string> messages[] = {
        {input.KeyText == "(Choose Key)", "Choose or enter a valid key to be used as the accelerator."},
        {input.KeyText.empty(), "Accelerator key cannot be empty!\r\nPlease try again using valid key."},
        {!keyValid, input.KeyText + NotValidKey},
        {true, "Enter an action command to associate with the keys."},
    };
    for (const auto& [applies, message] : messages)
        if (applies) {
            FUZZ_CHECK(check.Message == message);
            break;
        }
}

void CheckBrowse(std::string_view action, std::string_view path) {
    const std::string start = BrowseStartName(action);
    FUZZ_CHECK(start.find('"') == std::string::npos);
    FUZZ_CHECK(start.empty() || start == fuzz::Without(TrimControl(action), '"'));
    if (start.size() > 3) FUZZ_CHECK(start.substr(1, 2) == ":\\" || start[start.size() - 4] == '.');

    // A chosen file (no quotes, no blanks at its ends) comes back as an action that runs that
    // file without parameters, and Browse starts from it again when it looks like a file.
    if (path.find('"') != std::string_view::npos || !fuzz::IsTrimmed(path)) return;
    const std::string chosen = BrowseAction(path);
    const TActionParts parts = SplitActionCommand(chosen);
    FUZZ_CHECK(parts.Program == path && parts.Parameters.empty());
    const bool looksLikeFile =
        path.size() <= 3 || path.substr(1, 2) == ":\\" || path[path.size() - 4] == '.';
    FUZZ_CHECK(BrowseStartName(chosen) == (looksLikeFile ? std::string(path) : std::string()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = fuzz::Lines(fuzz::AsText(data, size), 16);
    std::string_view options = lines[0];
    TEditorInput input;
    input.KeyIndex = Number(options, -1);
    input.EditIndex = Number(options, -1);
    input.Ctrl = options.find('C') != std::string_view::npos;
    input.Alt = options.find('A') != std::string_view::npos;
    input.Shift = options.find('S') != std::string_view::npos;
    // The key box can select nothing or one of its lines; one past them proves the check
    // never reads beyond the table.
    if (input.KeyIndex < -1 || input.KeyIndex > KeyCount) return -1;
    input.KeyText = lines.size() > 1 ? lines[1] : "";
    input.ActionText = lines.size() > 2 ? lines[2] : "";
    const int key = input.KeyIndex >= 0 ? input.KeyIndex : TypedKeyIndex(input.KeyText);
    const std::string own = key > 0 && key < KeyCount ? Shortcut(input, key) : "";
    for (std::size_t i = 3; i < lines.size(); ++i)
        input.Shortcuts.push_back(lines[i] == "*" ? own : std::string(lines[i]));

    const std::uint64_t mask = size * 0x9E3779B97F4A7C15u;
    CheckTypedKey(input.KeyText, mask);
    CheckSave(input);
    CheckBrowse(input.ActionText, input.KeyText);
    return 0;
}
