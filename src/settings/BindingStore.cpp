#include "settings/BindingStore.h"

#include "settings/KeyPaths.h"

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& name, LSTATUS code = ERROR_SUCCESS) {
    throw ERegistryException(RegistryErrorText(what, name, code));
}

void OpenOrFail(TRegistry& reg, const std::string& path, bool create, const std::string& name) {
    if (!reg.OpenKey(path, create)) Fail(create ? "Failed to create key" : "Failed to open key", name, reg.LastOpenError());
}

void DeleteKeyOrFail(TRegistry& reg, const std::string& path, const std::string& name) {
    if (!reg.DeleteKey(path) && reg.KeyExists(path)) Fail("Failed to delete key", name);
}

// Every subkey of the key at path with all its values, in one pass: each subkey opened once
// and its values read together. Nothing when the key cannot be opened.
TStoredKey ReadKey(TRegistry& reg, const std::string& path) {
    TStoredKey key;
    if (!reg.OpenKeyReadOnly(path)) return key;
    std::vector<std::string> names;
    reg.GetKeyNames(names);
    key.Moving = reg.ValueExists(kMovingValue);
    // Subkeys are opened from the bindings key itself, not walked to from the root each time:
    // a second registry object rooted there while reg holds it open.
    TRegistry subkeys;
    subkeys.SetRootKey(reg.CurrentKey());
    key.Subkeys.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        TStoredSubkey& s = key.Subkeys[i];
        s.Name = std::move(names[i]);
        s.Opened = subkeys.OpenKeyReadOnly("\\" + s.Name);
        subkeys.ReadValues(s.Values);
    }
    return key;
}

// One op of a save plan on the bindings key, which keys is rooted at.
void Carry(TRegistry& keys, const TSaveOp& op) {
    const std::string path = "\\" + op.Subkey;
    if (op.Kind == TSaveOp::Delete) return DeleteKeyOrFail(keys, path, op.Subkey);
    OpenOrFail(keys, path, op.Create, op.Subkey);
    for (const TRegValue& value : op.Values) keys.WriteRaw(value);
    if (!op.Unset.empty()) keys.DeleteValueOrFail(op.Unset);
}

}  // namespace

TBindingStore::TBindingStore(TQmReg* reg, std::string legacyCompany)
    : FReg(reg), FLegacyCompany(std::move(legacyCompany)) {}

std::string TBindingStore::SettingsKeyPathOf(const std::string& company) const {
    return MakeSettingsKeyPath(FReg->Group(), company, FReg->Application(), FReg->User());
}

std::string TBindingStore::SettingsKeyPath() const { return SettingsKeyPathOf(FReg->Company()); }

std::string TBindingStore::HotKeysKeyPath() const { return SettingsKeyPath() + kHotKeysKey; }

std::string TBindingStore::LegacyHotKeysKeyPath() const { return SettingsKeyPathOf(FLegacyCompany) + kHotKeysKey; }

std::string TBindingStore::LegacyApplicationKeyPath() const {
    return "\\" + FReg->Group() + "\\" + FLegacyCompany + "\\" + FReg->Application();
}

TLoadedBindings TBindingStore::Load() {
    TStoredKey current, legacy;
    {
        TQmRegSession reg(FReg);
        current = ReadKey(*reg, HotKeysKeyPath());
        if (TBindingKeys::ReadsLegacy(current)) legacy = ReadKey(*reg, LegacyHotKeysKeyPath());
    }
    TLoadedBindings result = FKeys.Load(current, legacy);
    try {
        if (FKeys.Move().Move) Move(result.Bindings);
        if (FKeys.Move().Unmark) Unmark();
    } catch (const std::exception& e) {
        result.MoveError = e.what();
    }
    return result;
}

void TBindingStore::Move(const std::vector<TBinding>& all) {
    const TMovePlan& move = FKeys.Move();
    {
        TQmRegSession reg(FReg);
        OpenOrFail(*reg, HotKeysKeyPath(), true, HotKeysKeyPath());
        reg->WriteInteger(kMovingValue, 1);
    }
    Save(all);
    TQmRegSession reg(FReg);
    const std::string path = HotKeysKeyPath();
    // Only what reads back, complete, from the current key may leave the legacy one.
    std::vector<TRegValue> values;
    for (const TBinding& b : move.Verify) {
        const std::string name = b.SubkeyName();
        if (!reg->OpenKeyReadOnly(path + name)) Fail("Failed to open key", name, reg->LastOpenError());
        reg->ReadValues(values);
        if (!TBindingKeys::HoldsExactly(values, b)) Fail("Failed to move the binding", name);
    }
    if (move.DeleteLegacyApplication) DeleteKeyOrFail(*reg, LegacyApplicationKeyPath(), LegacyApplicationKeyPath());
    for (const std::string& name : move.LegacyDeletes) DeleteKeyOrFail(*reg, LegacyHotKeysKeyPath() + name, name);
}

void TBindingStore::Unmark() {
    TQmRegSession reg(FReg);
    OpenOrFail(*reg, HotKeysKeyPath(), false, HotKeysKeyPath());
    reg->DeleteValueOrFail(kMovingValue);
}

void TBindingStore::Save(const std::vector<TBinding>& bindings) {
    TQmRegSession reg(FReg);
    OpenOrFail(*reg, HotKeysKeyPath(), true, HotKeysKeyPath());
    std::vector<std::string> names;
    reg->GetKeyNames(names);
    const TSavePlan plan = FKeys.PlanSave(bindings, names);
    // Binding subkeys are reached from the bindings key itself, held open by reg, rather
    // than walked to from the root every time.
    TRegistry keys;
    keys.SetApi(&reg->Api());
    keys.SetRootKey(reg->CurrentKey());
    size_t done = 0;
    try {
        for (; done < plan.Ops.size(); ++done) Carry(keys, plan.Ops[done]);
    } catch (...) {
        FKeys.Finished(plan, done);
        throw;
    }
    FKeys.Finished(plan, done);
    if (!plan.Refused.empty()) throw ERegistryException(plan.Refused);
}
