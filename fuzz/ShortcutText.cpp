// Shortcut text as the editor reads it back from a list row: "Ctrl+Alt+Shift+F9".
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "app/Binding.h"
#include "app/Keys.h"

namespace {

std::string_view Name(int key) { return KeyNames[static_cast<std::size_t>(key)]; }
int Code(int key) { return KeyCodes[static_cast<std::size_t>(key)]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const TShortcut s = ParseShortcutText(text);

    // The key is what follows the last '+', and only a name of the table gives one.
    FUZZ_CHECK(s.keyIndex >= -1 && s.keyIndex < KeyCount);
    const auto plus = text.rfind('+');
    const std::string_view tail = plus == std::string_view::npos ? text : text.substr(plus + 1);
    if (s.keyIndex >= 0) FUZZ_CHECK(Name(s.keyIndex) == tail);
    else
        for (std::string_view name : KeyNames) FUZZ_CHECK(name != tail);

    // A modifier is set exactly when its word stands as a whole token before some '+'.
    const std::string tokens = "+" + std::string(text);
    auto token = [&](const std::string& word) { return tokens.find("+" + word + "+") != std::string::npos; };
    FUZZ_CHECK(s.ctrl == token("Ctrl"));
    FUZZ_CHECK(s.alt == token("Alt"));
    FUZZ_CHECK(s.shift == token("Shift"));

    if (s.keyIndex < 0) return 0;
    // Round trip: the text built from what was read gives the same shortcut, and is itself
    // the one text of that shortcut.
    const std::string made = MakeShortcutText(s.ctrl, s.alt, s.shift, Name(s.keyIndex));
    const TShortcut again = ParseShortcutText(made);
    FUZZ_CHECK(again.ctrl == s.ctrl && again.alt == s.alt && again.shift == s.shift);
    FUZZ_CHECK(again.keyIndex == s.keyIndex);
    FUZZ_CHECK(MakeShortcutText(again.ctrl, again.alt, again.shift, Name(again.keyIndex)) == made);

    // The binding of that shortcut shows the same text; NONE never makes a binding.
    const auto binding = MakeBinding("x", Code(s.keyIndex), s.ctrl, s.alt, s.shift, true);
    FUZZ_CHECK(binding.has_value() == (s.keyIndex != 0));
    if (binding) FUZZ_CHECK(binding->ShortcutText() == made && binding->VirtualKey() == Code(s.keyIndex));
    return 0;
}
