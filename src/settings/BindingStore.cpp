#include "settings/BindingStore.h"

#include <algorithm>
#include <cstring>

#include "app/Keys.h"
#include "app/Text.h"
#include "framework/WinText.h"
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
std::string Fold(const std::string& name) { return UpperAscii(name); }

[[noreturn]] void Fail(const std::string& what, const std::string& name, LSTATUS code = ERROR_SUCCESS) {
    std::string message = what + " '" + name + "'";
    if (code != ERROR_SUCCESS) {
        const std::string reason = fw::SystemErrorText(static_cast<DWORD>(code));
        if (!reason.empty()) message += ": " + reason;
    }
    throw ERegistryException(message);
}

void OpenOrFail(TRegistry& reg, const std::string& path, const std::string& name, bool create) {
    if (!reg.OpenKey(path + name, create))
        Fail(create ? "Failed to create key" : "Failed to open key", name.empty() ? path : name,
             reg.LastOpenError());
}

void DeleteKeyOrFail(TRegistry& reg, const std::string& path, const std::string& name) {
    if (!reg.DeleteKey(path + name) && reg.KeyExists(path + name)) Fail("Failed to delete key", name);
}

void DeleteValueOrFail(TRegistry& reg, const char* name) {
    if (!reg.DeleteValue(name) && reg.ValueExists(name)) Fail("Failed to delete value", name);
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
};

// Reads the current key of reg. Missing "Address" reads as empty text; every other value
// must be there with the type a save gives it, and the key code must be one a binding can use.
TBindingKey ReadBindingKey(const TRegistry& reg) {
    TBindingKey key;
    DWORD type = REG_NONE;
    std::string data;
    int missing = 0;
    bool addressMissing = false, wrongType = false;
    bool asWritten = true;
    int numbers[6] = {};
    std::string address;
    for (int i = 0; i < 6; ++i) {
        if (!reg.ReadRaw(kValueNames[i], type, data)) {
            ++missing;
            addressMissing = addressMissing || i == 0;
            asWritten = false;
            continue;
        }
        if (i == 0) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                wrongType = true;
                continue;
            }
            asWritten = asWritten && type == REG_SZ;
            address.assign(data.c_str(), ::strnlen(data.data(), data.size()));
        } else {
            if (type != REG_DWORD || data.size() != sizeof(DWORD)) {
                wrongType = true;
                continue;
            }
            std::memcpy(&numbers[i], data.data(), sizeof(DWORD));
            if (i >= 2) asWritten = asWritten && (numbers[i] == 0 || numbers[i] == 1);
        }
    }
    key.Marked = reg.ValueExists(kUnfinished);
    // A lone missing "Address" is an empty action; any other gap means the key is incomplete.
    const bool addressOnlyMissing = missing == 1 && addressMissing;
    if (!wrongType && (missing == 0 || addressOnlyMissing)) {
        if (std::optional<TBinding> b = MakeBinding(address, numbers[1], numbers[2] != 0,
                                                    numbers[3] != 0, numbers[4] != 0, numbers[5] != 0)) {
            key.Kind = TBindingKey::Complete;
            key.Binding = *b;
            key.AsWritten = asWritten && !key.Marked;
            return key;
        }
        return key;  // a key code no binding can use
    }
    if (!wrongType && (key.Marked || missing == 6)) {
        std::vector<std::string> values;
        reg.GetValueNames(values);
        // Only the values a save writes: anything else was put there by someone else.
        bool ours = true;
        for (const std::string& v : values) {
            bool known = v == kUnfinished;
            for (const char* n : kValueNames) known = known || v == n;
            ours = ours && known;
        }
        if (ours) key.Kind = TBindingKey::Unfinished;
    }
    return key;
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

TBindingStore::TFound TBindingStore::ReadBindingsKey(TRegistry& reg,
                                                      const std::vector<std::string>& names) const {
    TFound found;
    // A binding's subkey and its staging copy, by folded name, in the order first listed.
    std::map<std::string, std::string> present;
    std::vector<std::string> targets;
    for (const std::string& name : names) {
        present.emplace(Fold(name), name);
        const std::string target = Fold(name[0] == kStaging ? name.substr(1) : name);
        if (std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(target);
    }
    // Subkeys are opened from the bindings key itself, not walked to from the root each time:
    // a second registry object rooted there while reg holds it open.
    TRegistry bindings;
    bindings.SetRootKey(reg.CurrentKey());
    auto read = [&](const std::string& name) -> std::optional<TBindingKey> {
        if (!bindings.OpenKeyReadOnly("\\" + name)) return std::nullopt;
        return ReadBindingKey(bindings);
    };
    std::set<std::string> shortcuts;  // folded subkey names of the bindings loaded
    for (const std::string& target : targets) {
        if (target == Fold(kFirstRun) || target.empty()) continue;
        auto n = present.find(target);
        auto s = present.find(std::string(1, kStaging) + target);
        const bool hasKey = n != present.end(), hasStaging = s != present.end();
        std::optional<TBindingKey> staged = hasStaging ? read(s->second) : std::nullopt;
        std::optional<TBindingKey> own;
        TKnown known;
        std::optional<TBinding> b;
        if (staged && staged->Kind == TBindingKey::Complete && !staged->Marked) {
            b = staged->Binding;
            known.InStaging = b;
        } else if (hasKey && (own = read(n->second)) && own->Kind == TBindingKey::Complete) {
            b = own->Binding;
            if (own->AsWritten) known.InKey = b;
            known.Marked = own->Marked;
        }
        const std::string shownName = hasKey ? n->second : s->second;
        if (!b) {
            if (hasKey && (!own || own->Kind == TBindingKey::Damaged)) {
                found.Unreadable.push_back(shownName);
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
            found.Unreadable.push_back(shownName);
            continue;
        }
        if (hasKey) found.Owned.insert(target);
        if (hasStaging) found.Owned.insert(Fold(s->second));
        // Under a name not its own it is written anew under its own name by the next save.
        if (!foreignName) found.Known[target] = known;
        found.Bindings.push_back(*b);
        found.Names.push_back(hasKey ? n->second : s->second.substr(1));
    }
    return found;
}

TLoadedBindings TBindingStore::Load() {
    FKnown.clear();
    FOwned.clear();
    FLoadCompleted = false;
    TLoadedBindings result;
    std::vector<TBinding> moved;
    std::vector<std::string> movedFrom;
    bool marked = false, moving = false, legacyHasUnreadable = false;
    {
        TQmRegSession reg(FReg);
        std::vector<std::string> names;
        if (reg->OpenKeyReadOnly(HotKeysKeyPath())) {
            reg->GetKeyNames(names);
            marked = reg->ValueExists(kMoving);
        }
        TFound current = ReadBindingsKey(*reg, names);
        result.Bindings = std::move(current.Bindings);
        result.Unreadable = std::move(current.Unreadable);
        FKnown = std::move(current.Known);
        FOwned = std::move(current.Owned);
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
            legacyHasUnreadable = !legacy.Unreadable.empty();
            moving = !legacyNames.empty();
        }
    }
    FLoadCompleted = true;
    try {
        if (moving)
            Move(result.Bindings, moved, movedFrom, legacyHasUnreadable);
        else if (marked)
            FinishMove();  // cut short after the legacy key had gone
    } catch (const std::exception& e) {
        result.MoveError = e.what();
    }
    return result;
}

void TBindingStore::Move(const std::vector<TBinding>& all, const std::vector<TBinding>& moved,
                         const std::vector<std::string>& movedFrom, bool legacyHasUnreadable) {
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
        if (!legacyHasUnreadable) {
            // The whole legacy application key goes, as the earlier edition left it.
            const std::string legacy = LegacyApplicationKeyPath();
            if (!reg->DeleteKey(legacy) && reg->KeyExists(legacy)) Fail("Failed to delete key", legacy);
        } else {
            // The legacy key keeps what could not be read; what moved leaves it.
            const std::string legacyPath = LegacyHotKeysKeyPath();
            for (const std::string& name : movedFrom) {
                DeleteKeyOrFail(*reg, legacyPath, std::string(1, kStaging) + name);
                DeleteKeyOrFail(*reg, legacyPath, name);
            }
        }
    }
    FinishMove();
}

void TBindingStore::FinishMove() {
    TQmRegSession reg(FReg);
    OpenOrFail(*reg, HotKeysKeyPath(), "", false);
    DeleteValueOrFail(*reg, kMoving);
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
    for (const TBinding& b : bindings) {
        // Two bindings for one shortcut cannot both be stored; the list never holds such a pair.
        if (!wanted.insert(Fold(b.SubkeyName())).second) continue;
        SaveBinding(keys, path, b, present);
    }
    // Only once every binding is complete may anything go, and only what this run knows
    // to be its own: never a subkey it could not read, nor one when the load did not finish.
    if (!FLoadCompleted) return;
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

void TBindingStore::SaveBinding(TRegistry& reg, const std::string& path, const TBinding& b,
                                const std::set<std::string>& present) {
    const std::string name = b.SubkeyName();
    const std::string key = Fold(name);
    const std::string staging = std::string(1, kStaging) + name;
    const bool hasKey = present.count(key), hasStaging = present.count(Fold(staging));
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
    if (!hasKey && !hasStaging) {
        OpenOrFail(reg, path, name, true);
        known.Marked = true;
        reg.WriteInteger(kUnfinished, 1);
        WriteWhole(reg, b);
        DeleteValueOrFail(reg, kUnfinished);
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
    DeleteValueOrFail(reg, kUnfinished);
    known.Marked = false;
    known.InKey = b;
    DeleteKeyOrFail(reg, path, staging);
    known.InStaging.reset();
}
