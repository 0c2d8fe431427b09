#include "settings/BindingStore.h"

#include <algorithm>
#include <cstring>

#include "app/Keys.h"
#include "framework/Text.h"
#include "settings/KeyPaths.h"

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
// Set on the bindings key while legacy bindings are being moved into it: until the move has
// finished, a load reads the legacy key as well.
const char* const kMoving = "~Moving";

const char* const kValueNames[] = {"Address", "VirtualKey", "Ctrl", "Alt", "Shift", "Enabled"};

// Subkey names compare as the registry compares them: letter case does not count.
std::string Fold(const std::string& name) { return fw::UpperAscii(name); }

[[noreturn]] void Fail(const std::string& what, const std::string& name, LSTATUS code = ERROR_SUCCESS) {
    throw ERegistryException(RegistryErrorText(what, name, code));
}

void OpenOrFail(TRegistry& reg, const std::string& path, const std::string& name, bool create) {
    if (!reg.OpenKey(path + name, create))
        Fail(create ? "Failed to create key" : "Failed to open key", name.empty() ? path : name,
             reg.LastOpenError());
}

void DeleteKeyOrFail(TRegistry& reg, const std::string& path, const std::string& name) {
    if (!reg.DeleteKey(path + name) && reg.KeyExists(path + name)) Fail("Failed to delete key", name);
}

void WriteWhole(TRegistry& reg, const TBinding& b) {
    reg.WriteString("Address", b.Action);
    reg.WriteInteger("VirtualKey", b.VirtualKey());
    reg.WriteBool("Ctrl", b.Ctrl());
    reg.WriteBool("Alt", b.Alt());
    reg.WriteBool("Shift", b.Shift());
    reg.WriteBool("Enabled", b.Enabled);
}

int ChangedValues(const TBinding& a, const TBinding& b) {
    return (a.Action != b.Action) + (a.Key != b.Key) + (a.Ctrl() != b.Ctrl()) +
           (a.Alt() != b.Alt()) + (a.Shift() != b.Shift()) + (a.Enabled != b.Enabled);
}

// Writes the one value in which two stored forms of a binding differ: one atomic write.
void WriteChangedValue(TRegistry& reg, const TBinding& was, const TBinding& b) {
    if (was.Action != b.Action) reg.WriteString("Address", b.Action);
    if (was.Key != b.Key) reg.WriteInteger("VirtualKey", b.VirtualKey());
    if (was.Ctrl() != b.Ctrl()) reg.WriteBool("Ctrl", b.Ctrl());
    if (was.Alt() != b.Alt()) reg.WriteBool("Alt", b.Alt());
    if (was.Shift() != b.Shift()) reg.WriteBool("Shift", b.Shift());
    if (was.Enabled != b.Enabled) reg.WriteBool("Enabled", b.Enabled);
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

// Reads the current key of reg. Missing "Address" reads as empty text; every other value
// must be there with the type a save gives it, and the key code must be one a binding can use.
// All values come in one pass: a key with none costs one call, whatever it is.
TBindingKey ReadBindingKey(const TRegistry& reg) {
    TBindingKey key;
    std::vector<TRegValue> values;
    reg.ReadValues(values);
    // Value names compare as the registry compares them: letter case does not count.
    const TRegValue* found[6] = {};
    bool ours = true;  // only the values a save writes: anything else was put there by someone else
    for (const TRegValue& v : values) {
        const std::string name = Fold(v.Name);
        bool known = name == Fold(kUnfinished);
        key.Marked = key.Marked || known;
        for (int i = 0; i < 6; ++i)
            if (name == Fold(kValueNames[i])) found[i] = &v, known = true;
        ours = ours && known;
    }
    int missing = 0;
    bool wrongType = false;
    bool asWritten = true;
    std::string address;
    for (int i = 0; i < 6; ++i) {
        if (!found[i]) {
            ++missing;
            asWritten = false;
            continue;
        }
        const DWORD type = found[i]->Type;
        const std::string& data = found[i]->Data;
        key.Present[i] = true;
        if (i == 0) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                wrongType = true;
                continue;
            }
            asWritten = asWritten && type == REG_SZ;
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
            return key;
        }
        return key;  // a key code no binding can use
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

TBindingStore::TBindingStore(TQmReg* reg, std::string legacyCompany)
    : FReg(reg), FLegacyCompany(std::move(legacyCompany)) {}

std::string TBindingStore::HotKeysKeyPath() const {
    return MakeHotKeysKeyPath(FReg->Group(), FReg->Company(), FReg->Application(), FReg->User());
}

std::string TBindingStore::LegacyHotKeysKeyPath() const {
    return MakeHotKeysKeyPath(FReg->Group(), FLegacyCompany, FReg->Application(), FReg->User());
}

std::string TBindingStore::LegacyApplicationKeyPath() const {
    return "\\" + FReg->Group() + "\\" + FLegacyCompany + "\\" + FReg->Application();
}

bool TBindingStore::IsShortcutName(const std::string& folded) {
    // Every name a save can give a binding, folded, and the first-run marker's.
    static const std::set<std::string> names = [] {
        std::set<std::string> all{Fold(kFirstRun)};
        for (int m = 0; m < 16; ++m)
            for (int k = vkNone; k <= vkApps; ++k)
                all.insert(Fold(DisplayName(TModifiers::FromBits(static_cast<std::uint8_t>(m)), static_cast<TVirtKey>(k))));
        return all;
    }();
    return names.count(folded) != 0;
}

TBindingStore::TListing TBindingStore::ListTargets(const std::vector<std::string>& names) {
    TListing listing;
    std::set<std::string> listed;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        listing.Present.emplace(Fold(name), name);
        std::string target = Fold(name[0] == kStaging ? name.substr(1) : name);
        if (listed.insert(target).second) listing.Targets.push_back(std::move(target));
    }
    return listing;
}

TBindingStore::TFound TBindingStore::ReadBindingsKey(TRegistry& reg, const std::vector<std::string>& names) const {
    const TListing listing = ListTargets(names);
    std::set<std::string> shortcuts;
    return ReadTargets(reg, listing, listing.Targets.begin(), listing.Targets.end(), shortcuts);
}

TBindingStore::TFound TBindingStore::ReadTargets(TRegistry& reg, const TListing& listing, TTargetIt first,
                                                 TTargetIt last, std::set<std::string>& shortcuts) const {
    TFound found;
    const std::map<std::string, std::string>& present = listing.Present;
    // Subkeys are opened from the bindings key itself, not walked to from the root each time:
    // a second registry object rooted there while reg holds it open.
    TRegistry bindings;
    bindings.SetRootKey(reg.CurrentKey());
    auto read = [&](const std::string& name) -> std::optional<TBindingKey> {
        if (!bindings.OpenKeyReadOnly("\\" + name)) return std::nullopt;
        return ReadBindingKey(bindings);
    };
    auto hold = [&](const std::string& name) {
        found.Unreadable.push_back(name);
        found.Held.emplace(Fold(name), name);
    };
    for (; first != last; ++first) {
        const std::string& target = *first;
        if (target == Fold(kFirstRun) || target.empty()) continue;
        auto n = present.find(target);
        auto s = present.find(std::string(1, kStaging) + target);
        const bool hasKey = n != present.end();
        bool hasStaging = s != present.end();
        std::optional<TBindingKey> staged = hasStaging ? read(s->second) : std::nullopt;
        if (staged && !CopyIsFor(*staged, target)) {
            // Not what a save left for this binding: someone else's, kept as it is, and the
            // binding's own key is read as if the copy were not there.
            hold(s->second);
            if (staged->Kind == TBindingKey::Complete)
                found.HeldCopies.emplace(Fold(staged->Binding.SubkeyName()), s->second);
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
            known.Marked = own->Marked;
        }
        if (!b) {
            if (hasKey && (!own || own->Kind == TBindingKey::Damaged)) {
                hold(n->second);
                continue;
            }
            // What a save cut short left behind: ours to remove.
            if (hasKey) found.Owned.insert(target);
            if (hasStaging) found.Owned.insert(Fold(s->second));
            continue;
        }
        const std::string ownName = Fold(b->SubkeyName());
        const bool foreignName = ownName != target;
        if ((foreignName && present.count(ownName)) || !shortcuts.insert(ownName).second) {
            // A second binding for one shortcut can never run: reported and kept.
            hold(hasKey ? n->second : s->second);
            continue;
        }
        if (hasKey) found.Owned.insert(target);
        if (hasStaging) found.Owned.insert(Fold(s->second));
        // Under a name not its own it is written anew under its own name by the next save.
        if (!foreignName) found.Known[target] = known;
        found.Bindings.push_back(*b);
        found.Names.push_back(hasKey ? n->second : s->second.substr(1));
    }
    // A copy holding a shortcut that was loaded from elsewhere stands for nothing more.
    for (auto it = found.HeldCopies.begin(); it != found.HeldCopies.end();)
        it = shortcuts.count(it->first) ? found.HeldCopies.erase(it) : std::next(it);
    return found;
}

TLoadedBindings TBindingStore::Load() {
    FKnown.clear();
    FOwned.clear();
    FHeld.clear();
    FHeldShortcuts.clear();
    FLoadCompleted = false;
    TLoadedBindings result;
    std::vector<TBinding> moved;
    std::vector<std::string> movedFrom;
    bool marked = false, moving = false;
    std::map<std::string, std::string> legacyHeld;
    {
        TQmRegSession reg(FReg);
        std::vector<std::string> names;
        if (reg->OpenKeyReadOnly(HotKeysKeyPath())) {
            reg->GetKeyNames(names);
            marked = reg->ValueExists(kMoving);
        }
        // Subkeys under names no shortcut has are someone else's or damaged, as a rule: past
        // the first few they are read after start-up, so that the shortcuts work at once. A
        // move in progress needs every binding now.
        FListing = ListTargets(names);
        FLater.clear();
        FLaterAt = 0;
        FLaterUnreadable.clear();
        std::vector<std::string> now;
        size_t foreign = 0;
        for (std::string& target : FListing.Targets)
            (marked || IsShortcutName(target) || foreign++ < kForeignAtLoad ? now : FLater).push_back(std::move(target));
        FListing.Targets.clear();
        std::set<std::string> shortcuts;
        TFound current = ReadTargets(*reg, FListing, now.begin(), now.end(), shortcuts);
        if (FLater.empty()) FListing = {};
        result.Pending = FLater.size();
        result.Bindings = std::move(current.Bindings);
        result.Unreadable = std::move(current.Unreadable);
        FKnown = std::move(current.Known);
        FOwned = std::move(current.Owned);
        FHeld = current.Held;
        FHeldShortcuts = std::move(current.HeldCopies);
        FHeldShortcuts.insert(current.Held.begin(), current.Held.end());
        if (names.empty() || marked) {
            std::vector<std::string> legacyNames;
            if (reg->OpenKeyReadOnly(LegacyHotKeysKeyPath())) reg->GetKeyNames(legacyNames);
            result.NothingStored = names.empty() && legacyNames.empty();
            TFound legacy = ReadBindingsKey(*reg, legacyNames);
            std::set<std::string> stored;
            for (const TBinding& b : result.Bindings) stored.insert(Fold(b.SubkeyName()));
            for (size_t i = 0; i < legacy.Bindings.size(); ++i) {
                if (!stored.insert(Fold(legacy.Bindings[i].SubkeyName())).second) continue;
                moved.push_back(legacy.Bindings[i]);
                movedFrom.push_back(legacy.Names[i]);
            }
            result.Bindings.insert(result.Bindings.end(), moved.begin(), moved.end());
            result.Unreadable.insert(result.Unreadable.end(), legacy.Unreadable.begin(),
                                     legacy.Unreadable.end());
            legacyHeld = std::move(legacy.Held);
            moving = !legacyNames.empty();
        }
    }
    FLoadCompleted = true;
    try {
        if (moving)
            Move(result.Bindings, moved, movedFrom, legacyHeld);
        else if (marked)
            FinishMove();  // cut short after the legacy key had gone
    } catch (const std::exception& e) {
        result.MoveError = e.what();
    }
    return result;
}

TLoadedBindings TBindingStore::LoadMore(size_t count, const std::vector<TBinding>& listed) {
    TLoadedBindings result;
    if (Pending() == 0) return result;
    TQmRegSession reg(FReg);
    const auto first = FLater.cbegin() + static_cast<std::ptrdiff_t>(FLaterAt);
    const auto last = first + static_cast<std::ptrdiff_t>(std::min(count, Pending()));
    FLaterAt += static_cast<size_t>(last - first);
    if (reg->OpenKeyReadOnly(HotKeysKeyPath())) {
        // What the list holds now wins: the user may have bound a shortcut meanwhile.
        std::set<std::string> shortcuts;
        for (const TBinding& b : listed) shortcuts.insert(Fold(b.SubkeyName()));
        TFound found = ReadTargets(*reg, FListing, first, last, shortcuts);
        for (const TBinding& b : found.Bindings) FHeldShortcuts.erase(Fold(b.SubkeyName()));
        FOwned.insert(found.Owned.begin(), found.Owned.end());
        FKnown.insert(found.Known.begin(), found.Known.end());
        FHeld.insert(found.Held.begin(), found.Held.end());
        FHeldShortcuts.insert(found.HeldCopies.begin(), found.HeldCopies.end());
        FHeldShortcuts.insert(found.Held.begin(), found.Held.end());
        result.Bindings = std::move(found.Bindings);
        FLaterUnreadable.insert(FLaterUnreadable.end(), found.Unreadable.begin(), found.Unreadable.end());
    }
    result.Pending = Pending();
    if (result.Pending == 0) {
        result.Unreadable = std::move(FLaterUnreadable);
        FListing = {};
        FLater = {};
        FLaterAt = 0;
        FLaterUnreadable = {};
    }
    return result;
}

void TBindingStore::Move(const std::vector<TBinding>& all, const std::vector<TBinding>& moved,
                         const std::vector<std::string>& movedFrom,
                         const std::map<std::string, std::string>& legacyHeld) {
    {
        TQmRegSession reg(FReg);
        OpenOrFail(*reg, HotKeysKeyPath(), "", true);
        reg->WriteInteger(kMoving, 1);
    }
    Save(all);
    {
        TQmRegSession reg(FReg);
        const std::string path = HotKeysKeyPath();
        // Only what reads back, complete, from the current key may leave the legacy one.
        for (const TBinding& b : moved) {
            const std::string name = b.SubkeyName();
            if (!reg->OpenKeyReadOnly(path + name)) Fail("Failed to open key", name, reg->LastOpenError());
            const TBindingKey stored = ReadBindingKey(*reg);
            if (stored.Kind != TBindingKey::Complete || stored.Marked || !(stored.Binding == b))
                Fail("Failed to move the binding", name);
        }
        if (legacyHeld.empty()) {
            // The whole legacy application key goes, as the earlier edition left it.
            const std::string legacy = LegacyApplicationKeyPath();
            if (!reg->DeleteKey(legacy) && reg->KeyExists(legacy)) Fail("Failed to delete key", legacy);
        } else {
            // The legacy key keeps what could not be read; what moved leaves it.
            const std::string legacyPath = LegacyHotKeysKeyPath();
            for (const std::string& name : movedFrom) {
                const std::string staging = std::string(1, kStaging) + name;
                if (!legacyHeld.count(Fold(staging))) DeleteKeyOrFail(*reg, legacyPath, staging);
                DeleteKeyOrFail(*reg, legacyPath, name);
            }
        }
    }
    FinishMove();
}

void TBindingStore::FinishMove() {
    TQmRegSession reg(FReg);
    OpenOrFail(*reg, HotKeysKeyPath(), "", false);
    reg->DeleteValueOrFail(kMoving);
}

void TBindingStore::Save(const std::vector<TBinding>& bindings) {
    TQmRegSession reg(FReg);
    OpenOrFail(*reg, HotKeysKeyPath(), "", true);
    std::vector<std::string> names;
    reg->GetKeyNames(names);
    std::set<std::string> present;
    for (const std::string& name : names) present.insert(Fold(name));
    // Binding subkeys are reached from the bindings key itself, held open by reg, rather
    // than walked to from the root every time.
    TRegistry keys;
    keys.SetApi(&reg->Api());
    keys.SetRootKey(reg->CurrentKey());
    const std::string path = "\\";
    OpenOrFail(keys, path, kFirstRun, true);

    std::set<std::string> wanted;
    std::string refused;
    for (const TBinding& b : bindings) {
        // Two bindings for one shortcut cannot both be stored; the list never holds such a pair.
        if (!wanted.insert(Fold(b.SubkeyName())).second) continue;
        if (auto held = FHeld.find(Fold(b.SubkeyName())); held != FHeld.end()) {
            refused += (refused.empty() ? "" : "\r\n") + std::string("The binding for ") + b.ShortcutText() +
                       " was not stored: the stored binding '" + held->second +
                       "' could not be read and is kept in the registry as it is.";
            continue;
        }
        SaveBinding(keys, path, b, present);
    }
    // Only once every binding is complete may anything go, and only what this run knows
    // to be its own: never a subkey it could not read, nor one when the load did not finish.
    if (FLoadCompleted) DeleteLeftovers(keys, path, names, wanted);
    if (!refused.empty()) throw ERegistryException(refused);
}

void TBindingStore::DeleteLeftovers(TRegistry& keys, const std::string& path,
                                    const std::vector<std::string>& names, const std::set<std::string>& wanted) {
    for (const std::string& name : names) {
        const std::string key = Fold(name);
        // A wanted binding's staging copy went with the binding's own save.
        const bool wantedStaging = key[0] == kStaging && wanted.count(key.substr(1));
        if (key == Fold(kFirstRun) || wanted.count(key) || wantedStaging || !FOwned.count(key)) continue;
        DeleteKeyOrFail(keys, path, name);
        FOwned.erase(key);
        FKnown.erase(key);
    }
}

std::optional<std::string> TBindingStore::HeldBy(const TBinding& b) const {
    auto held = FHeldShortcuts.find(Fold(b.SubkeyName()));
    if (held == FHeldShortcuts.end()) return std::nullopt;
    return held->second;
}

void TBindingStore::SaveBinding(TRegistry& reg, const std::string& path, const TBinding& b,
                                const std::set<std::string>& present) {
    const std::string name = b.SubkeyName();
    const std::string key = Fold(name);
    const std::string staging = std::string(1, kStaging) + name;
    // A staging copy that is not ours stays: the binding is then rewritten where it is.
    const bool stagingHeld = FHeld.count(Fold(staging)) != 0;
    const bool hasKey = present.count(key), hasStaging = !stagingHeld && present.count(Fold(staging));
    TKnown& known = FKnown[key];
    // What is known of a subkey that has gone since is known no more.
    if (!hasKey) {
        known.InKey.reset();
        known.Marked = false;
    }
    if (!hasStaging) known.InStaging.reset();

    if (hasKey && !hasStaging && !known.Marked && known.InKey) {
        if (*known.InKey == b) return;
        if (ChangedValues(*known.InKey, b) == 1) {
            // One value written at once: the binding reads either as before or as after.
            OpenOrFail(reg, path, name, false);
            WriteChangedValue(reg, *known.InKey, b);
            known.InKey = b;
            return;
        }
    }
    FOwned.insert(key);
    if (hasKey && stagingHeld) {
        // Value by value: whatever the moment a save is cut short, the key holds a whole
        // binding, if perhaps one with some of its values already new.
        OpenOrFail(reg, path, name, false);
        if (known.InKey && !known.Marked)
            WriteChangedValue(reg, *known.InKey, b);
        else
            WriteWhole(reg, b);
        reg.DeleteValueOrFail(kUnfinished);
        known.Marked = false;
        known.InKey = b;
        return;
    }
    if (!hasKey && !hasStaging) {
        OpenOrFail(reg, path, name, true);
        known.Marked = true;
        reg.WriteInteger(kUnfinished, 1);
        WriteWhole(reg, b);
        reg.DeleteValueOrFail(kUnfinished);
        known.Marked = false;
        known.InKey = b;
        return;
    }
    if (!known.InStaging) {
        // The binding as stored stands until its staging copy is complete; a stale copy from
        // a save cut short must not lend the new one values it was never given.
        if (hasStaging) DeleteKeyOrFail(reg, path, staging);
        FOwned.insert(Fold(staging));
        OpenOrFail(reg, path, staging, true);
        WriteWhole(reg, b);
        known.InStaging = b;
    }
    // The complete staging copy stands while the binding's own key is rewritten.
    OpenOrFail(reg, path, name, true);
    known.InKey.reset();
    WriteWhole(reg, b);
    reg.DeleteValueOrFail(kUnfinished);
    known.Marked = false;
    known.InKey = b;
    DeleteKeyOrFail(reg, path, staging);
    known.InStaging.reset();
}
