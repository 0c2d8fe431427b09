#pragma once
// TQmHotKeys: a non-visual component that registers its items as global hotkeys on
// its owner form's window and turns the system's hotkey messages into events.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Window.h"
#include "hotkeys/HotKeyNames.h"

class THotKeys;
class TQmHotKeys;

// HotKeyIndex is the pressed item's current position in HotKeys.
using THotKeyEvent = std::function<void(fw::TObject* Sender, std::uint16_t HotKeyIndex)>;
// Index is the position of the item whose Registered or Refused state changed.
using TRegistrationEvent = std::function<void(fw::TObject* Sender, int Index)>;

// The two system calls behind registration. Replaceable so that tests can see the flags
// passed and make the system refuse an unregistration, which it never does on its own.
struct THotKeyApi {
    std::function<BOOL(HWND, int, UINT, UINT)> Register = ::RegisterHotKey;
    std::function<BOOL(HWND, int)> Unregister = ::UnregisterHotKey;
};

// One hotkey. Made by THotKeys::Add, destroyed by DeleteItem or with its collection.
class THotKeyItem : public fw::TObject {
public:
    ~THotKeyItem() override = default;
    std::string ClassName() const override { return "THotKeyItem"; }

    THotKeys* Collection() const { return FCollection; }
    // The id registered with the system; fixed for the item's life.
    int Identifier() const { return FIdentifier; }
    // Current position in the collection; later items move up when one is deleted.
    int Index() const { return FIndex; }

    bool Enabled() const { return FEnabled; }
    // Registers on true, unregisters on false; nothing happens when the value is unchanged.
    void SetEnabled(bool value);
    TModifiers Modifiers() const { return FModifiers; }
    // Ignored while the item has no key. Never touches the registration.
    void SetModifiers(TModifiers value);
    TVirtKey VirtKey() const { return FVirtKey; }
    // vkNone disables the item and clears its modifiers; other keys leave the registration
    // alone. Throws std::out_of_range for a value beyond the key table.
    void SetVirtKey(TVirtKey value);

    // True while the system holds a registration for the item.
    bool Registered() const { return FRegistered; }
    // True when the last registration attempt with a key failed; cleared by a successful
    // registration and by disabling. Enabled stays as it was.
    bool Refused() const { return FRefused; }

    void RegisterKey();
    void UnregisterKey();
    // Unregisters the item when registered, then destroys it: the pointer is dead afterwards.
    void DeleteItem();
    // The binding's registry key name, e.g. ControlAlt_F9.
    std::string DisplayName() const;

    fw::TNotifyEvent OnHotKey;

private:
    friend class THotKeys;
    THotKeyItem(THotKeys* collection, int identifier, int index)
        : FCollection(collection), FIdentifier(identifier), FIndex(index) {}
    // The window the item registers on, or nullptr when there is none (yet or any more).
    HWND OwnerWindow() const;
    const THotKeyApi* Api() const;
    void SetRegistration(bool registered, bool refused);

    THotKeys* FCollection;
    int FIdentifier;
    int FIndex;
    bool FEnabled = false;
    TModifiers FModifiers;
    bool FRegistered = false;
    bool FRefused = false;
    TVirtKey FVirtKey = vkNone;
};

// The component's items, in the order the binding list shows them.
class THotKeys : public fw::TObject {
public:
    // A collection without an owner never reaches a window, so it registers nothing.
    explicit THotKeys(TQmHotKeys* AOwner);
    // Destroys the items without unregistering them: the owner window has done that.
    ~THotKeys() override;
    std::string ClassName() const override { return "THotKeys"; }

    TQmHotKeys* Owner() const { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Throws std::out_of_range for a position outside 0 .. Count() - 1.
    THotKeyItem* Items(int Index) const;
    // Appends an item that is off and has no key. Throws std::length_error when every
    // identifier the system accepts is taken by a current item.
    THotKeyItem* Add();
    void Delete(int Index) { Items(Index)->DeleteItem(); }
    void Clear();
    // Replaces the items with copies of Source's; enabled copies with a key get registered.
    void Assign(const THotKeys& Source);

    // Moves the first from.size() items into a new order: position p takes the item that
    // was at from[p]. Items keep their identifiers and registrations.
    void Reorder(const std::vector<int>& from);

    // Position of an item of this collection, -1 for any other.
    int IndexOf(const THotKeyItem* Item) const;
    // The item registered under an identifier, or nullptr.
    THotKeyItem* FindItemID(int Identifier) const;

private:
    friend class THotKeyItem;
    void Remove(THotKeyItem* item);

    TQmHotKeys* FOwner;
    std::vector<std::unique_ptr<THotKeyItem>> FItems;
    std::unordered_map<int, THotKeyItem*> FById;
    THotKeyIdAllocator FIds;
};

class TQmHotKeys : public fw::TComponent {
public:
    // AOwner must be a form without another TQmHotKeys; creates the form's window if needed
    // and hooks in front of its procedure. Throws std::runtime_error otherwise.
    explicit TQmHotKeys(fw::TComponent* AOwner);
    ~TQmHotKeys() override;
    std::string ClassName() const override { return "TQmHotKeys"; }

    fw::TComponent* QmReg() const { return FQmReg; }
    void SetQmReg(fw::TComponent* value) { FQmReg = value; }
    THotKeys* HotKeys() const { return FHotKeys.get(); }
    void SetHotKeys(const THotKeys& value) { FHotKeys->Assign(value); }
    const std::string& IniFileName() const { return FIniFileName; }
    void SetIniFileName(const std::string& value) { FIniFileName = value; }
    TSaveLoad SaveLoadFrom() const { return FSaveLoadFrom; }
    void SetSaveLoadFrom(TSaveLoad value) { FSaveLoadFrom = value; }

    THotKeyEvent OnHotKeys;
    TRegistrationEvent OnRegistrationChanged;

    // Registers every enabled item that is not registered yet.
    void Loaded() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

    // The window hotkeys are registered on; nullptr once it has been destroyed.
    HWND OwnerWindow() const { return FHook.HookedWindow(); }
    const THotKeyApi& HotKeyApi() const { return FApi; }
    void SetHotKeyApi(THotKeyApi value) { FApi = std::move(value); }

private:
    friend class THotKeyItem;

    static fw::TComponent* CheckedOwner(fw::TComponent* AOwner);
    void HookOwner();
    void UnhookOwner();
    LRESULT HookedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void HotKeyPressed(int identifier);
    void UnregisterAll();
    void RegistrationChanged(const THotKeyItem* item);

    std::unique_ptr<THotKeys> FHotKeys;
    fw::TComponent* FQmReg = nullptr;
    std::string FIniFileName;
    TSaveLoad FSaveLoadFrom = slRegister;
    THotKeyApi FApi;
    fw::TWindowHook FHook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        return HookedWndProc(h, m, w, l);
    }};
};
