#include "app/Binding.h"

#include <stdexcept>

#include "app/Keys.h"

int TBinding::VirtualKey() const { return IsVirtKey(Key) ? VirtKeyCodes[Key] : 0; }

std::string TBinding::ShortcutText() const {
    const std::string_view name = IsVirtKey(Key) ? KeyNames[Key] : std::string_view{};
    return MakeShortcutText(Ctrl(), Alt(), Shift(), name);
}

std::string TBinding::SubkeyName() const { return DisplayName(Modifiers, Key); }

TModifiers MakeModifiers(bool ctrl, bool alt, bool shift) {
    TModifiers m;
    if (ctrl) m = m.With(modControl);
    if (alt) m = m.With(modAlt);
    if (shift) m = m.With(modShift);
    return m;
}

std::optional<TBinding> MakeBinding(std::string action, int keyCode, bool ctrl, bool alt,
                                    bool shift, bool enabled) {
    const int k = KeyIndexOfCode(keyCode);
    if (k <= 0) return std::nullopt;
    return TBinding{std::move(action), static_cast<TVirtKey>(k), MakeModifiers(ctrl, alt, shift),
                    enabled};
}

TBinding BindingOfCode(std::string action, int keyCode, bool ctrl, bool alt, bool shift, bool enabled) {
    // NONE is in the table but can never be registered: no binding may use it.
    std::optional<TBinding> b = MakeBinding(std::move(action), keyCode, ctrl, alt, shift, enabled);
    if (!b) throw std::invalid_argument("Key code " + std::to_string(keyCode) + " cannot be bound");
    return *b;
}
