// What the subkeys of a bindings key mean and what a save must do to them, without the
// registry. Given the names and values a bindings key holds, a load decides which bindings it
// takes, which subkeys it reports and keeps as they are (held), and which are this run's own
// to remove (owned). Given a list to store, a save plan says what to write, mark and delete,
// in an order that leaves every binding readable, as it was or as the save meant it, whatever
// the call at which the save stops. TBindingStore reads the registry into this form and
// carries the plans out.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Binding.h"
#include "settings/RegValue.h"

// Set on the bindings key while legacy bindings are being moved into it: until the move has
// finished, a load reads the legacy key as well.
inline constexpr const char* kMovingValue = "~Moving";

// One subkey of a bindings key: its name as the registry spells it and every value it holds.
struct TStoredSubkey {
    std::string Name;
    std::vector<TRegValue> Values;
    bool Opened = true;  // false: it could not be opened for reading
};

// A bindings key as read: its subkeys in the order the registry lists them.
struct TStoredKey {
    std::vector<TStoredSubkey> Subkeys;
    bool Moving = false;  // it carries kMovingValue
};

// What one load found.
struct TLoadedBindings {
    std::vector<TBinding> Bindings;       // in the order the registry lists them
    // Subkeys that hold no usable binding, and staging copies whose values are not of the
    // binding their name is for: kept as they are by every save.
    std::vector<std::string> Unreadable;
    bool NothingStored = false;           // neither key holds a binding nor a save: a first run
    std::string MoveError;                // why moving the legacy bindings failed, if it did
};

// What a load leaves to do for legacy bindings, in this order: mark the current key, store the
// whole list, check that each moved binding reads back, delete from the legacy key, unmark.
struct TMovePlan {
    bool Move = false;                 // legacy bindings are to be moved
    std::vector<TBinding> Verify;      // must read back exactly from the current key first
    bool DeleteLegacyApplication = false;     // the whole legacy application key goes, or
    std::vector<std::string> LegacyDeletes;   // these subkeys of the legacy bindings key
    bool Unmark = false;               // kMovingValue goes from the current key at the end
};

// One registry operation of a save on a subkey of the bindings key.
struct TSaveOp {
    enum TKind { Write, Delete } Kind = Write;
    std::string Subkey;
    bool Create = false;            // Write: the subkey is created when missing
    std::vector<TRegValue> Values;  // Write: written in this order
    std::string Unset;              // Write: a value deleted after them, when named
    // What the subkey holds once the op is done, for what the run knows afterwards.
    enum TLeaves { Nothing, Key, Copy, NoCopy, NoLeftover } Leaves = Nothing;
    std::string Target;  // the folded subkey name of the binding, or of the leftover
    TBinding Binding;    // Key and Copy: the binding written
};

struct TSavePlan {
    std::vector<TSaveOp> Ops;
    // Bindings left out because a subkey the load could not read stands for their shortcut,
    // a line each: told once every op is done.
    std::string Refused;
    std::vector<std::string> KeysGone, CopiesGone;  // folded targets the listing lacks
};

class TBindingKeys {
public:
    // Whether the legacy key must be read beside this one.
    static bool ReadsLegacy(const TStoredKey& current) { return current.Subkeys.empty() || current.Moving; }
    // Takes what the current key holds, and the legacy key's contents when ReadsLegacy.
    TLoadedBindings Load(const TStoredKey& current, const TStoredKey& legacy = {});
    const TMovePlan& Move() const { return FMove; }
    bool LoadCompleted() const { return FLoadCompleted; }
    // The stored subkey, as the registry spells it, that the load could not read and that
    // stands for b's shortcut: b's own subkey, or a staging copy holding that shortcut when no
    // binding for it was loaded. Such a shortcut cannot be stored without losing it.
    std::optional<std::string> HeldBy(const TBinding& b) const;
    // Whether a subkey's values are exactly b as a save writes it, with no mark.
    static bool HoldsExactly(const std::vector<TRegValue>& values, const TBinding& b);

    // The plan that stores exactly these bindings in a bindings key whose subkeys are listed.
    // Deletes only subkeys that this run loaded or wrote, none unless a load has completed,
    // and never one that the load reported.
    TSavePlan PlanSave(const std::vector<TBinding>& bindings, const std::vector<std::string>& listed) const;
    // What the run knows once a save has carried out the first done ops of the plan; the op
    // after them, if any, stopped part-way.
    void Finished(const TSavePlan& plan, std::size_t done);

private:
    // What this run knows one binding's subkeys to hold.
    struct TKnown {
        std::optional<TBinding> InKey;      // the subkey holds exactly this, as a save writes it
        std::optional<TBinding> InStaging;  // a complete staging copy holds this; it wins
    };
    struct TFound;
    static TFound Read(const TStoredKey& key);
    void PlanBinding(TSavePlan& plan, const TBinding& b, const std::set<std::string>& present) const;

    std::map<std::string, TKnown> FKnown;  // by folded subkey name
    std::set<std::string> FOwned;          // folded names of the subkeys read or written as ours
    // Folded name -> the name as stored, of every subkey of the current key reported.
    std::map<std::string, std::string> FHeld;
    // Folded name of a shortcut no binding loaded for -> a reported staging copy holding it.
    std::map<std::string, std::string> FHeldCopies;
    TMovePlan FMove;
    bool FLoadCompleted = false;
};
