#include "settings/BindingKeys.h"

#include <cstring>

#include "framework/Text.h"

namespace {

// A key without values: the bindings have been saved at least once.
const char* const kFirstRun = "_FirstRun";
// An existing binding is rewritten through a copy under this prefix first, so a save cut
// short never leaves it half old and half new: a complete copy wins over the binding.
const char kStaging = '~';
// A binding new to the registry is written straight under its own name, marked by this value
// until its six values are in: a load takes a marked key that lacks values for a save cut
// short, neither loads nor reports it, and the next save removes it.
const char* const kUnfinished = "~Unfinished";

const char* const kValueNames[] = {"Address", "VirtualKey", "Ctrl", "Alt", "Shift", "Enabled"};

// Subkey and value names compare as the registry compares them: letter case does not count.
std::string Fold(const std::string& name) { return fw::UpperAscii(name); }
// The names the load compares with, folded once.
const std::string kFoldedFirstRun = Fold(kFirstRun), kFoldedUnfinished = Fold(kUnfinished);
const std::string kFoldedValueNames[] = {Fold(kValueNames[0]), Fold(kValueNames[1]), Fold(kValueNames[2]),
                                         Fold(kValueNames[3]), Fold(kValueNames[4]), Fold(kValueNames[5])};

std::vector<TRegValue> Whole(const TBinding& b) {
    return {SzValue("Address", b.Action), DwordValue("VirtualKey", b.VirtualKey()), DwordValue("Ctrl", b.Ctrl()),
            DwordValue("Alt", b.Alt()),   DwordValue("Shift", b.Shift()),           DwordValue("Enabled", b.Enabled)};
}

// The values in which two stored forms of a binding differ, in the order a save writes them.
std::vector<TRegValue> Changed(const TBinding& was, const TBinding& b) {
    const std::vector<TRegValue> before = Whole(was);
    std::vector<TRegValue> after = Whole(b), changed;
    for (size_t i = 0; i < after.size(); ++i)
        if (!(before[i] == after[i])) changed.push_back(std::move(after[i]));
    return changed;
}

// One binding subkey as a load sees it.
struct TBindingKey {
    enum { Complete, Unfinished, Damaged } Kind = Damaged;
    TBinding Binding;        // when Complete
    bool AsWritten = false;  // exactly as a save writes it, so single values may be updated
    bool Marked = false;
    // Each value as read, in the order of kValueNames: there, of the type a save gives it,
    // and (for the five numbers) its number.
    bool Present[6] = {};
    bool Typed[6] = {};
    int Numbers[6] = {};
};

// Missing "Address" reads as empty text; every other value must be there with the type a save
// gives it, and the key code must be one a binding can use.
TBindingKey ReadBindingKey(const std::vector<TRegValue>& values) {
    TBindingKey key;
    const TRegValue* found[6] = {};
    bool ours = true;  // only the values a save writes: anything else was put there by someone else
    for (const TRegValue& v : values) {
        const std::string name = Fold(v.Name);
        bool known = name == kFoldedUnfinished;
        key.Marked = key.Marked || known;
        for (int i = 0; i < 6; ++i)
            if (name == kFoldedValueNames[i]) found[i] = &v, known = true;
        ours = ours && known;
    }
    int missing = 0;
    bool wrongType = false, asWritten = true;
    std::string address;
    for (int i = 0; i < 6; ++i) {
        if (!found[i]) {
            ++missing;
            asWritten = false;
            continue;
        }
        const std::uint32_t type = found[i]->Type;
        const std::string& data = found[i]->Data;
        key.Present[i] = true;
        if (i == 0) {
            if (type != kRegSz && type != kRegExpandSz) {
                wrongType = true;
                continue;
            }
            asWritten = asWritten && type == kRegSz;
            address.assign(data.c_str(), ::strnlen(data.data(), data.size()));
        } else {
            const std::optional<std::int32_t> number = DwordOf(type, data);
            if (!number) {
                wrongType = true;
                continue;
            }
            key.Numbers[i] = *number;
            if (i >= 2) asWritten = asWritten && (*number == 0 || *number == 1);
        }
        key.Typed[i] = true;
    }
    // A lone missing "Address" is an empty action; any other gap means the key is incomplete.
    const bool addressOnlyMissing = missing == 1 && !key.Present[0];
    const int* n = key.Numbers;
    if (!wrongType && (missing == 0 || addressOnlyMissing)) {
        if (std::optional<TBinding> b = MakeBinding(address, n[1], n[2] != 0, n[3] != 0, n[4] != 0, n[5] != 0)) {
            key.Kind = TBindingKey::Complete;
            key.Binding = *b;
            key.AsWritten = asWritten && !key.Marked;
        }
        return key;  // without a binding: a key code no binding can use
    }
    if (!wrongType && (key.Marked || missing == 6) && ours) key.Kind = TBindingKey::Unfinished;
    return key;
}

// Whether a staging copy can be what a save wrote for the binding whose folded subkey name
// is target: every value of the type a save gives it, none naming another shortcut, and no
// mark, which a save never puts on a copy. A copy cut short may lack any of its values.
bool CopyIsFor(const TBindingKey& copy, const std::string& target) {
    if (copy.Marked) return false;
    if (copy.Kind == TBindingKey::Complete) return copy.AsWritten && Fold(copy.Binding.SubkeyName()) == target;
    for (int i = 0; i < 6; ++i)
        if (copy.Present[i] && (!copy.Typed[i] || (i >= 2 && copy.Numbers[i] != 0 && copy.Numbers[i] != 1)))
            return false;
    if (!copy.Present[1]) return true;  // nothing says which shortcut it was for
    // The modifiers not yet written may be either: one choice must give the copy's name.
    for (int m = 0; m < 8; ++m) {
        bool on[3];
        for (int j = 0; j < 3; ++j) on[j] = copy.Present[2 + j] ? copy.Numbers[2 + j] != 0 : (m >> j & 1) != 0;
        if (std::optional<TBinding> b = MakeBinding("", copy.Numbers[1], on[0], on[1], on[2], true))
            if (Fold(b->SubkeyName()) == target) return true;
    }
    return false;
}

}  // namespace

// What one bindings key holds, as a load takes it.
struct TBindingKeys::TFound {
    std::vector<TBinding> Bindings;
    std::vector<std::string> Names;  // the subkey each binding was read from
    std::vector<std::string> Unreadable;
    std::map<std::string, TKnown> Known;
    std::set<std::string> Owned;
    std::map<std::string, std::string> Held;
    // Folded subkey name of a shortcut -> the staging copy that holds its values.
    std::map<std::string, std::string> HeldCopies;
};

TBindingKeys::TFound TBindingKeys::Read(const TStoredKey& stored) {
    TFound found;
    // The subkeys by folded name, and the folded names of the bindings they can hold (a
    // staging copy's without its prefix), in the order first listed.
    std::map<std::string, const TStoredSubkey*> present;
    std::vector<std::string> targets;
    std::set<std::string> listed, shortcuts;
    for (const TStoredSubkey& s : stored.Subkeys) {
        if (s.Name.empty()) continue;
        const std::string& folded = present.emplace(Fold(s.Name), &s).first->first;
        std::string target = folded[0] == kStaging ? folded.substr(1) : folded;
        if (listed.insert(target).second) targets.push_back(std::move(target));
    }
    auto read = [](const TStoredSubkey* s) { return s->Opened ? std::optional(ReadBindingKey(s->Values)) : std::nullopt; };
    auto hold = [&](const std::string& name) {
        found.Unreadable.push_back(name);
        found.Held.emplace(Fold(name), name);
    };
    for (const std::string& target : targets) {
        if (target == kFoldedFirstRun || target.empty()) continue;
        auto n = present.find(target);
        auto s = present.find(kStaging + target);
        const bool hasKey = n != present.end();
        bool hasStaging = s != present.end();
        std::optional<TBindingKey> staged = hasStaging ? read(s->second) : std::nullopt;
        if (staged && !CopyIsFor(*staged, target)) {
            // Not what a save left for this binding: someone else's, kept as it is, and the
            // binding's own key is read as if the copy were not there.
            hold(s->second->Name);
            if (staged->Kind == TBindingKey::Complete)
                found.HeldCopies.emplace(Fold(staged->Binding.SubkeyName()), s->second->Name);
            staged.reset();
            hasStaging = false;
        }
        std::optional<TBindingKey> own;
        TKnown known;
        std::optional<TBinding> b;
        if (staged && staged->Kind == TBindingKey::Complete) {
            b = staged->Binding;
            known.InStaging = b;
        } else if (hasKey && (own = read(n->second)) && own->Kind == TBindingKey::Complete) {
            b = own->Binding;
            if (own->AsWritten) known.InKey = b;
        }
        if (!b) {
            if (hasKey && (!own || own->Kind == TBindingKey::Damaged)) {
                hold(n->second->Name);
                continue;
            }
            // What a save cut short left behind: ours to remove.
            if (hasKey) found.Owned.insert(target);
            if (hasStaging) found.Owned.insert(s->first);
            continue;
        }
        const std::string ownName = Fold(b->SubkeyName());
        const bool foreignName = ownName != target;
        if ((foreignName && present.count(ownName)) || !shortcuts.insert(ownName).second) {
            // A second binding for one shortcut can never run: reported and kept.
            hold(hasKey ? n->second->Name : s->second->Name);
            continue;
        }
        if (hasKey) found.Owned.insert(target);
        if (hasStaging) found.Owned.insert(s->first);
        // Under a name not its own it is written anew under its own name by the next save.
        if (!foreignName) found.Known[target] = known;
        found.Bindings.push_back(*b);
        found.Names.push_back(hasKey ? n->second->Name : s->second->Name.substr(1));
    }
    // A copy holding a shortcut that was loaded from elsewhere stands for nothing more.
    for (auto it = found.HeldCopies.begin(); it != found.HeldCopies.end();)
        it = shortcuts.count(it->first) ? found.HeldCopies.erase(it) : std::next(it);
    return found;
}

TLoadedBindings TBindingKeys::Load(const TStoredKey& current, const TStoredKey& legacy) {
    TFound found = Read(current);
    TLoadedBindings result;
    result.Bindings = std::move(found.Bindings);
    result.Unreadable = std::move(found.Unreadable);
    FKnown = std::move(found.Known);
    FOwned = std::move(found.Owned);
    FHeld = std::move(found.Held);
    FHeldCopies = std::move(found.HeldCopies);
    FMove = {};
    FMove.Unmark = current.Moving;
    if (ReadsLegacy(current)) {
        result.NothingStored = current.Subkeys.empty() && legacy.Subkeys.empty();
        const TFound old = Read(legacy);
        std::set<std::string> stored;
        for (const TBinding& b : result.Bindings) stored.insert(Fold(b.SubkeyName()));
        std::vector<std::string> movedFrom;
        for (size_t i = 0; i < old.Bindings.size(); ++i) {
            if (!stored.insert(Fold(old.Bindings[i].SubkeyName())).second) continue;
            FMove.Verify.push_back(old.Bindings[i]);
            movedFrom.push_back(old.Names[i]);
        }
        result.Bindings.insert(result.Bindings.end(), FMove.Verify.begin(), FMove.Verify.end());
        result.Unreadable.insert(result.Unreadable.end(), old.Unreadable.begin(), old.Unreadable.end());
        FMove.Move = !legacy.Subkeys.empty();
        FMove.Unmark = FMove.Unmark || FMove.Move;
        // The whole legacy application key goes, as the earlier edition left it, unless it
        // holds what could not be read: then only what moved leaves it.
        FMove.DeleteLegacyApplication = FMove.Move && old.Held.empty();
        if (!old.Held.empty())
            for (const std::string& name : movedFrom) {
                if (!old.Held.count(Fold(kStaging + name))) FMove.LegacyDeletes.push_back(kStaging + name);
                FMove.LegacyDeletes.push_back(name);
            }
    }
    FLoadCompleted = true;
    return result;
}

std::optional<std::string> TBindingKeys::HeldBy(const TBinding& b) const {
    const std::string name = Fold(b.SubkeyName());
    for (const auto* held : {&FHeldCopies, &FHeld})
        if (auto it = held->find(name); it != held->end()) return it->second;
    return std::nullopt;
}

bool TBindingKeys::HoldsExactly(const std::vector<TRegValue>& values, const TBinding& b) {
    const TBindingKey key = ReadBindingKey(values);
    return key.Kind == TBindingKey::Complete && !key.Marked && key.Binding == b;
}

TSavePlan TBindingKeys::PlanSave(const std::vector<TBinding>& bindings, const std::vector<std::string>& listed) const {
    TSavePlan plan;
    std::set<std::string> present, wanted;
    for (const std::string& name : listed) present.insert(Fold(name));
    plan.Ops.push_back({TSaveOp::Write, kFirstRun, true, {}, "", TSaveOp::Nothing, "", {}});
    for (const TBinding& b : bindings) {
        // Two bindings for one shortcut cannot both be stored; the list never holds such a pair.
        if (!wanted.insert(Fold(b.SubkeyName())).second) continue;
        if (auto held = FHeld.find(Fold(b.SubkeyName())); held != FHeld.end()) {
            plan.Refused += (plan.Refused.empty() ? "" : "\r\n") + std::string("The binding for ") + b.ShortcutText() +
                            " was not stored: the stored binding '" + held->second +
                            "' could not be read and is kept in the registry as it is.";
            continue;
        }
        PlanBinding(plan, b, present);
    }
    // Only once every binding is complete may anything go, and only what this run knows
    // to be its own: never a subkey it could not read, nor one when the load did not finish.
    if (!FLoadCompleted) return plan;
    for (const std::string& name : listed) {
        const std::string key = Fold(name);
        // A wanted binding's staging copy goes with the binding's own save.
        const bool wantedStaging = !key.empty() && key[0] == kStaging && wanted.count(key.substr(1));
        if (key == kFoldedFirstRun || wanted.count(key) || wantedStaging || !FOwned.count(key)) continue;
        plan.Ops.push_back({TSaveOp::Delete, name, false, {}, "", TSaveOp::NoLeftover, key, {}});
    }
    return plan;
}

void TBindingKeys::PlanBinding(TSavePlan& plan, const TBinding& b, const std::set<std::string>& present) const {
    const std::string name = b.SubkeyName(), key = Fold(name), staging = kStaging + name;
    // A staging copy that is not ours stays: the binding is then rewritten where it is.
    const bool stagingHeld = FHeld.count(Fold(staging)) != 0;
    const bool hasKey = present.count(key), hasStaging = !stagingHeld && present.count(Fold(staging));
    TKnown known;
    if (auto k = FKnown.find(key); k != FKnown.end()) known = k->second;
    // What is known of a subkey that has gone since is known no more.
    if (!hasKey) known.InKey.reset(), plan.KeysGone.push_back(key);
    if (!hasStaging) known.InStaging.reset(), plan.CopiesGone.push_back(key);
    auto op = [&](TSaveOp::TKind kind, const std::string& subkey, bool create, std::vector<TRegValue> values,
                  TSaveOp::TLeaves leaves) {
        plan.Ops.push_back({kind, subkey, create, std::move(values), "", leaves, key, b});
    };

    if (hasKey && !hasStaging && known.InKey) {
        if (*known.InKey == b) return;
        // One value written at once: the binding reads either as before or as after.
        if (std::vector<TRegValue> one = Changed(*known.InKey, b); one.size() == 1)
            return op(TSaveOp::Write, name, false, std::move(one), TSaveOp::Key);
    }
    if (hasKey && stagingHeld) {
        // Value by value: whatever the moment a save is cut short, the key holds a whole
        // binding, if perhaps one with some of its values already new.
        op(TSaveOp::Write, name, false, known.InKey ? Changed(*known.InKey, b) : Whole(b), TSaveOp::Key);
    } else if (!hasKey && !hasStaging) {
        std::vector<TRegValue> values = Whole(b);
        values.insert(values.begin(), DwordValue(kUnfinished, 1));
        op(TSaveOp::Write, name, true, std::move(values), TSaveOp::Key);
    } else {
        if (!known.InStaging) {
            // The binding as stored stands until its staging copy is complete; a stale copy
            // from a save cut short must not lend the new one values it was never given.
            if (hasStaging) op(TSaveOp::Delete, staging, false, {}, TSaveOp::NoCopy);
            op(TSaveOp::Write, staging, true, Whole(b), TSaveOp::Copy);
        }
        // The complete staging copy stands while the binding's own key is rewritten.
        op(TSaveOp::Write, name, true, Whole(b), TSaveOp::Key);
        plan.Ops.back().Unset = kUnfinished;
        return op(TSaveOp::Delete, staging, false, {}, TSaveOp::NoCopy);
    }
    plan.Ops.back().Unset = kUnfinished;
}

void TBindingKeys::Finished(const TSavePlan& plan, std::size_t done) {
    for (const std::string& key : plan.KeysGone) FKnown[key].InKey.reset();
    for (const std::string& key : plan.CopiesGone) FKnown[key].InStaging.reset();
    for (std::size_t i = 0; i < plan.Ops.size() && i <= done; ++i) {
        const TSaveOp& op = plan.Ops[i];
        const bool whole = i < done;
        if (op.Leaves == TSaveOp::Nothing) continue;
        if (op.Leaves == TSaveOp::NoLeftover) {
            if (whole) FOwned.erase(op.Target), FKnown.erase(op.Target);
            continue;
        }
        // Every op for a binding makes its subkey this run's own, done or not.
        FOwned.insert(op.Target);
        TKnown& known = FKnown[op.Target];
        if (op.Leaves == TSaveOp::Key) {
            // A single value is written or not; of several, some may be new.
            if (whole)
                known.InKey = op.Binding;
            else if (op.Values.size() > 1)
                known.InKey.reset();
        } else if (op.Leaves == TSaveOp::Copy) {
            FOwned.insert(Fold(op.Subkey));
            known.InStaging = whole ? std::optional(op.Binding) : std::nullopt;
        } else if (whole) {
            known.InStaging.reset();  // NoCopy
        }
    }
}
