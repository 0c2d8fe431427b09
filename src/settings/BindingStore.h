// The stored bindings: one subkey per binding under the settings key's "HotKeys", loaded once
// at start-up and written whole after every change. A save cut short at any point, by a
// failing write or a killed process, loses nothing that was stored: each binding is always
// readable either as it was or as the save meant to leave it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Binding.h"
#include "settings/QmReg.h"

// What one load found.
struct TLoadedBindings {
    std::vector<TBinding> Bindings;       // in the order the registry lists them
    // Subkeys that hold no usable binding, and staging copies whose values are not of the
    // binding their name is for: kept as they are by every save.
    std::vector<std::string> Unreadable;
    bool NothingStored = false;           // neither key holds a binding nor a save: a first run
    std::string MoveError;                // why moving the legacy bindings failed, if it did
    size_t Pending = 0;                   // subkeys left for LoadMore
};

class TBindingStore {
public:
    // The key paths come from the component's naming properties each time they are needed.
    // legacyCompany names the company under which an earlier edition kept its bindings.
    TBindingStore(TQmReg* reg, std::string legacyCompany);

    // Reads the stored bindings. When the current key holds none, those of the legacy company
    // are read and moved: saved under the current key, read back, and only then removed.
    // The subkeys under names no shortcut has, past the first kForeignAtLoad, are left for
    // LoadMore, to be read once the program is running.
    TLoadedBindings Load();
    // Reads up to count of the subkeys the load left. A binding among them whose shortcut one
    // of listed already has is kept, as are those that cannot be read: all of these come in
    // Unreadable together, with the last subkey read. Saves meanwhile leave every subkey not
    // yet read as it is.
    TLoadedBindings LoadMore(size_t count, const std::vector<TBinding>& listed);
    size_t Pending() const { return FLater.size() - FLaterAt; }
    size_t LeftAtLoad() const { return FLater.size(); }  // 0 once all are read
    static constexpr size_t kForeignAtLoad = 1000;
    // Stores exactly these bindings. Throws the registry's error when a write fails; the save
    // stops there and nothing is deleted. Deletes only subkeys that this run loaded or wrote,
    // and none at all unless a load has completed. Never touches a subkey the load reported
    // as unreadable: a binding whose subkey is one of them is left out, and once the rest is
    // stored the save throws ERegistryException naming it.
    void Save(const std::vector<TBinding>& bindings);
    bool LoadCompleted() const { return FLoadCompleted; }
    // The stored subkey, as the registry spells it, that the last load could not read and
    // that stands for b's shortcut: b's own subkey, or a staging copy holding that shortcut
    // when no binding for it was loaded. Such a shortcut cannot be stored without losing it.
    std::optional<std::string> HeldBy(const TBinding& b) const;

    std::string HotKeysKeyPath() const;
    std::string LegacyHotKeysKeyPath() const;
    std::string LegacyApplicationKeyPath() const;

private:
    // What this run knows one binding's subkeys to hold.
    struct TKnown {
        std::optional<TBinding> InKey;      // the subkey holds exactly this, as a save writes it
        bool Marked = false;                // the subkey still carries the unfinished mark
        std::optional<TBinding> InStaging;  // a complete staging copy holds this; it wins
    };
    // What one bindings key holds.
    struct TFound {
        std::vector<TBinding> Bindings;
        std::vector<std::string> Names;  // the subkey each binding was read from
        std::vector<std::string> Unreadable;
        std::map<std::string, TKnown> Known;  // by folded subkey name
        std::set<std::string> Owned;          // folded names of the subkeys read as ours
        // Folded subkey name -> the name as stored, of every subkey reported unreadable.
        std::map<std::string, std::string> Held;
        // Folded subkey name of a shortcut -> the staging copy that holds its values.
        std::map<std::string, std::string> HeldCopies;
    };

    // A bindings key's subkeys by folded name, and the folded names of the bindings they can
    // hold (a staging copy's without its prefix), in the order first listed.
    struct TListing {
        std::map<std::string, std::string> Present;
        std::vector<std::string> Targets;
    };
    using TTargetIt = std::vector<std::string>::const_iterator;

    static bool IsShortcutName(const std::string& folded);
    static TListing ListTargets(const std::vector<std::string>& names);
    TFound ReadBindingsKey(TRegistry& reg, const std::vector<std::string>& names) const;
    // Reads the bindings [first, last) of the listing. shortcuts holds the folded names of the
    // bindings there already and gains those read.
    TFound ReadTargets(TRegistry& reg, const TListing& listing, TTargetIt first, TTargetIt last,
                       std::set<std::string>& shortcuts) const;
    void DeleteLeftovers(TRegistry& keys, const std::string& path, const std::vector<std::string>& names,
                         const std::set<std::string>& wanted);
    void SaveBinding(TRegistry& reg, const std::string& path, const TBinding& b,
                     const std::set<std::string>& present);
    void Move(const std::vector<TBinding>& all, const std::vector<TBinding>& moved,
              const std::vector<std::string>& movedFrom,
              const std::map<std::string, std::string>& legacyHeld);
    void FinishMove();

    TQmReg* FReg;
    std::string FLegacyCompany;
    std::map<std::string, TKnown> FKnown;
    std::set<std::string> FOwned;
    std::map<std::string, std::string> FHeld;       // as TFound::Held, of the current key
    std::map<std::string, std::string> FHeldShortcuts;  // what HeldBy answers, by folded name
    bool FLoadCompleted = false;
    TListing FListing;                  // of the current key, while subkeys are left to read
    std::vector<std::string> FLater;    // the targets left for LoadMore
    size_t FLaterAt = 0;                // how many of them it has read
    std::vector<std::string> FLaterUnreadable;  // found by LoadMore, told when it is done
};
