#pragma once
// One binding: an action command, a shortcut and its enabled flag. The list shows it in a
// row, its hotkey item registers it, the registry stores it under one subkey and the editor
// edits it. Every other form a binding takes (the shortcut text, the subkey name, the
// virtual-key code) is computed here and nowhere else.

#include <optional>
#include <string>

#include "hotkeys/HotKeyNames.h"

struct TBinding {
    std::string Action;
    TVirtKey Key = vkNone;  // index in the key table; a stored binding never has vkNone
    TModifiers Modifiers;   // Control, Alt and Shift; bindings never use the Windows key
    bool Enabled = true;

    bool Ctrl() const { return Modifiers.Contains(modControl); }
    bool Alt() const { return Modifiers.Contains(modAlt); }
    bool Shift() const { return Modifiers.Contains(modShift); }
    // The Windows virtual-key code the registry stores and the system registers.
    int VirtualKey() const;
    // As the "Hotkey" column shows it: Ctrl+Alt+F9.
    std::string ShortcutText() const;
    // The registry subkey that holds it: ControlAlt_F9.
    std::string SubkeyName() const;

    friend bool operator==(const TBinding&, const TBinding&) = default;
};

TModifiers MakeModifiers(bool ctrl, bool alt, bool shift);

// The binding of a virtual-key code as the registry or the editor gives it; nothing for a
// code the key table lacks and for NONE, which can never be registered.
std::optional<TBinding> MakeBinding(std::string action, int keyCode, bool ctrl, bool alt,
                                    bool shift, bool enabled);
// As MakeBinding, for a code that must be bindable: std::invalid_argument when it is not.
TBinding BindingOfCode(std::string action, int keyCode, bool ctrl, bool alt, bool shift, bool enabled);
