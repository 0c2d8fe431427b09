// The stored bindings: one subkey per binding under the settings key's "HotKeys", loaded once
// at start-up and written whole after every change. This is the registry's side: it reads a
// bindings key into the form TBindingKeys decides on, and carries out what it decides. A save
// cut short at any point, by a failing write or a killed process, loses nothing that was
// stored: each binding is always readable either as it was or as the save meant to leave it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Binding.h"
#include "settings/BindingKeys.h"
#include "settings/QmReg.h"

class TBindingStore {
public:
    // The key paths come from the component's naming properties each time they are needed.
    // legacyCompany names the company under which an earlier edition kept its bindings.
    TBindingStore(TQmReg* reg, std::string legacyCompany);

    // Reads the stored bindings, every subkey in one pass. When the current key holds none,
    // those of the legacy company are read and moved: saved under the current key, read back,
    // and only then removed.
    TLoadedBindings Load();
    // Stores exactly these bindings. Throws the registry's error when a write fails; the save
    // stops there and nothing is deleted. A binding whose subkey the load reported is left
    // out, and once the rest is stored the save throws ERegistryException naming it.
    void Save(const std::vector<TBinding>& bindings);
    bool LoadCompleted() const { return FKeys.LoadCompleted(); }
    std::optional<std::string> HeldBy(const TBinding& b) const { return FKeys.HeldBy(b); }

    // The settings key, \Group\Company\Application\<user part>\, and the keys below it.
    std::string SettingsKeyPath() const;
    std::string HotKeysKeyPath() const;
    std::string LegacyHotKeysKeyPath() const;
    std::string LegacyApplicationKeyPath() const;

private:
    // The one place the component's naming properties become a path.
    std::string SettingsKeyPathOf(const std::string& company) const;
    void Move(const std::vector<TBinding>& all);
    void Unmark();

    TQmReg* FReg;
    std::string FLegacyCompany;
    TBindingKeys FKeys;
};
