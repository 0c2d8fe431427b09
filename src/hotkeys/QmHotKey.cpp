#include "hotkeys/QmHotKey.h"

#include <stdexcept>

#include "framework/Form.h"

static_assert(HotKeyModAlt == MOD_ALT && HotKeyModControl == MOD_CONTROL &&
              HotKeyModShift == MOD_SHIFT && HotKeyModWin == MOD_WIN &&
              HotKeyModNoRepeat == MOD_NOREPEAT);

// ---- THotKeyItem ----

HWND THotKeyItem::OwnerWindow() const {
    const TQmHotKeys* owner = FCollection->Owner();
    return owner ? owner->OwnerWindow() : nullptr;
}

const THotKeyApi* THotKeyItem::Api() const {
    const TQmHotKeys* owner = FCollection->Owner();
    return owner ? &owner->HotKeyApi() : nullptr;
}

void THotKeyItem::SetRegistration(bool registered, bool refused) {
    if (registered == FRegistered && refused == FRefused) return;
    FRegistered = registered;
    FRefused = refused;
    if (TQmHotKeys* owner = FCollection->Owner()) owner->RegistrationChanged(this);
}

void THotKeyItem::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    if (value)
        RegisterKey();
    else
        UnregisterKey();
}

void THotKeyItem::SetModifiers(TModifiers value) {
    if (value != FModifiers && FVirtKey != vkNone) FModifiers = value;
}

void THotKeyItem::SetVirtKey(TVirtKey value) {
    // The key indexes the code table: a stray byte must not read past it.
    if (!IsVirtKey(value)) throw std::out_of_range("Invalid hotkey key index");
    if (value == FVirtKey) return;
    FVirtKey = value;
    if (value == vkNone) {
        SetEnabled(false);
        FModifiers = TModifiers{};
    }
}

void THotKeyItem::RegisterKey() {
    // A registration the system still holds under this id would make the new attempt
    // fail as a duplicate and then be forgotten; let go of it first.
    if (FRegistered) {
        UnregisterKey();
        if (FRegistered) return;
    }
    bool registered = false;
    bool refused = false;
    if (FVirtKey != vkNone) {
        const HWND window = OwnerWindow();
        // A held shortcut runs its action once, not once per key repeat.
        const UINT flags = ModifiersToHotKeyFlags(FModifiers) | HotKeyModNoRepeat;
        registered = window && Api()->Register(window, FIdentifier, flags,
                                               static_cast<UINT>(VirtKeyCodes[FVirtKey]));
        refused = !registered;
    }
    SetRegistration(registered, refused);
}

void THotKeyItem::UnregisterKey() {
    bool registered = FRegistered;
    if (registered) {
        const HWND window = OwnerWindow();
        // Without its window the system has dropped the registration already.
        registered = window && !Api()->Unregister(window, FIdentifier);
    }
    SetRegistration(registered, false);
}

void THotKeyItem::DeleteItem() {
    if (FRegistered) {
        // A stuck item is disabled already; try to let go of it once more.
        if (FEnabled)
            SetEnabled(false);
        else
            UnregisterKey();
    }
    FCollection->Remove(this);
}

std::string THotKeyItem::DisplayName() const { return ::DisplayName(FModifiers, FVirtKey); }

// ---- THotKeys ----

THotKeys::THotKeys(TQmHotKeys* AOwner) : FOwner(AOwner) {}

THotKeys::~THotKeys() = default;

THotKeyItem* THotKeys::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw std::out_of_range("Hotkey index out of range");
    return FItems[static_cast<size_t>(Index)].get();
}

THotKeyItem* THotKeys::Add() {
    const int id = FIds.Acquire();
    try {
        FItems.push_back(std::unique_ptr<THotKeyItem>(new THotKeyItem(this, id, Count())));
        FById.emplace(id, FItems.back().get());
    } catch (...) {
        if (!FItems.empty() && FItems.back()->Identifier() == id) FItems.pop_back();
        FIds.Release(id);
        throw;
    }
    return FItems.back().get();
}

void THotKeys::Clear() {
    while (!FItems.empty()) FItems.back()->DeleteItem();
}

void THotKeys::Assign(const THotKeys& Source) {
    if (&Source == this) return;
    Clear();
    for (const auto& source : Source.FItems) {
        THotKeyItem* item = Add();
        // Key before modifiers: modifiers do not stick to an item without a key.
        item->SetVirtKey(source->VirtKey());
        item->SetModifiers(source->Modifiers());
        item->OnHotKey = source->OnHotKey;
        item->SetEnabled(source->Enabled());
    }
}

void THotKeys::Reorder(const std::vector<int>& from) {
    const size_t n = from.size();
    if (n > FItems.size()) throw std::out_of_range("Hotkey index out of bounds");
    std::vector<bool> used(n, false);
    for (int i : from) {
        if (i < 0 || static_cast<size_t>(i) >= n || used[static_cast<size_t>(i)])
            throw std::invalid_argument("Not a reordering of the hotkey items");
        used[static_cast<size_t>(i)] = true;
    }
    std::vector<std::unique_ptr<THotKeyItem>> moved(n);
    for (size_t p = 0; p < n; ++p) moved[p] = std::move(FItems[static_cast<size_t>(from[p])]);
    for (size_t p = 0; p < n; ++p) {
        FItems[p] = std::move(moved[p]);
        FItems[p]->FIndex = static_cast<int>(p);
    }
}

int THotKeys::IndexOf(const THotKeyItem* Item) const {
    return Item && Item->FCollection == this ? Item->FIndex : -1;
}

THotKeyItem* THotKeys::FindItemID(int Identifier) const {
    auto it = FById.find(Identifier);
    return it == FById.end() ? nullptr : it->second;
}

void THotKeys::Remove(THotKeyItem* item) {
    const int index = IndexOf(item);
    if (index < 0) return;
    const int id = item->Identifier();
    // An id the system still holds for our window must not go to a new item.
    const bool idFree = !item->Registered();
    FById.erase(id);
    FItems.erase(FItems.begin() + index);  // destroys the item
    for (size_t i = static_cast<size_t>(index); i < FItems.size(); ++i)
        FItems[i]->FIndex = static_cast<int>(i);
    if (idFree) FIds.Release(id);
}

// ---- TQmHotKeys ----

fw::TComponent* TQmHotKeys::CheckedOwner(fw::TComponent* AOwner) {
    if (AOwner) {
        for (int i = 0; i < AOwner->ComponentCount(); ++i)
            if (dynamic_cast<TQmHotKeys*>(AOwner->Components(i)))
                throw std::runtime_error("No more than one TQmHotKeys-component on a form");
    }
    if (!dynamic_cast<fw::TForm*>(AOwner))
        throw std::runtime_error("The owner of TQmHotKeys must be a form");
    return AOwner;
}

// The owner is checked before the base class joins it, so a refused component never
// appears among the owner's components.
TQmHotKeys::TQmHotKeys(fw::TComponent* AOwner)
    : fw::TComponent(CheckedOwner(AOwner)), FHotKeys(std::make_unique<THotKeys>(this)) {
    HookOwner();
}

TQmHotKeys::~TQmHotKeys() {
    FHotKeys.reset();
    UnhookOwner();
}

void TQmHotKeys::HookOwner() {
    auto* form = static_cast<fw::TForm*>(Owner());
    // Asking for the handle creates the window when it does not exist yet.
    if (!FHook.Hook(form->Handle()))
        throw std::runtime_error("Cannot hook the owner window of TQmHotKeys");
}

void TQmHotKeys::UnhookOwner() {
    // Leaves a destroyed window alone rather than creating it again.
    FHook.Unhook();
}

void TQmHotKeys::Loaded() {
    fw::TComponent::Loaded();
    for (int i = 0; i < FHotKeys->Count(); ++i) {
        THotKeyItem* item = FHotKeys->Items(i);
        if (item->Enabled() && !item->Registered()) item->RegisterKey();
    }
}

void TQmHotKeys::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == FQmReg) FQmReg = nullptr;
}

void TQmHotKeys::RegistrationChanged(const THotKeyItem* item) {
    fw::Fire(OnRegistrationChanged, this, item->Index());
}

LRESULT TQmHotKeys::HookedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (FHotKeys) {
        if (msg == WM_HOTKEY)
            HotKeyPressed(LOWORD(wParam));
        else if (msg == WM_DESTROY)
            UnregisterAll();
    }
    return fw::TWindowHook::CallPrevious(hwnd, msg, wParam, lParam);
}

void TQmHotKeys::HotKeyPressed(int identifier) {
    // An id without an item is normal: a press queued before its item was deleted.
    // So is a press queued just before its item was switched off (the editor opening):
    // only a registered item is live.
    THotKeyItem* item = FHotKeys->FindItemID(identifier);
    if (!item || !item->Registered()) return;
    const auto position = static_cast<std::uint16_t>(item->Index());
    // A copy: the handler may delete the item it runs for.
    const fw::TNotifyEvent onHotKey = item->OnHotKey;
    fw::Fire(onHotKey, this);
    fw::Fire(OnHotKeys, this, position);
}

void TQmHotKeys::UnregisterAll() {
    for (int i = 0; i < FHotKeys->Count(); ++i) {
        THotKeyItem* item = FHotKeys->Items(i);
        if (!item->Registered()) continue;
        // One failing event handler must not leave the remaining items registered.
        fw::GuardedCall([item] {
            if (item->Enabled())
                item->SetEnabled(false);
            else
                item->UnregisterKey();  // stuck: one more try while the window exists
            return LRESULT{0};
        });
    }
}
