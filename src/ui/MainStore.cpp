// What the program remembers, under the current user's registry hive.
#include <algorithm>
#include <map>
#include <set>

#include "app/Keys.h"
#include "app/Text.h"
#include "hotkeys/HotKeyNames.h"
#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"
#include "settings/KeyPaths.h"
#include "ui/Main.h"

using namespace fw;

namespace {

// The company under which an earlier edition stored its bindings.
const char* const kLegacyCompany = "morvane.example";
const char* const kHomePage = "http://www.morvane.example/tarvo/";
const char* const kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const char* const kRunValue = "Tarvo 2000";
const char* const kFirstRun = "_FirstRun";
// A binding is written under this prefix first and copied to its own name once complete,
// so a save cut short never leaves a binding half old and half new.
const char kStaging = '~';
// A binding new to the registry is written straight under its own name, marked by this
// value until it is complete: a load that finds it treats the binding as never stored.
const char* const kUnfinished = "~Unfinished";

// Active for one operation; inactive again however the operation ends.
class TRegistrySession {
public:
    explicit TRegistrySession(TQmReg* reg) : FReg(reg) { FReg->SetActive(true); }
    ~TRegistrySession() { FReg->SetActive(false); }
    TRegistrySession(const TRegistrySession&) = delete;
    TRegistrySession& operator=(const TRegistrySession&) = delete;
    TRegistry& operator*() const { return FReg->Registry(); }
    TRegistry* operator->() const { return &FReg->Registry(); }

private:
    TQmReg* FReg;
};

// Reads the current key as a binding; throws the registry's error for a missing or
// mistyped value, and for a key code that cannot be bound.
// asWritten tells whether the key holds the binding exactly as a save writes it (flags 0 or
// 1, the address a REG_SZ): only then may a later save rewrite single values of it.
TStoredBinding ReadBinding(TRegistry& reg, bool& asWritten) {
    TStoredBinding b;
    asWritten = true;
    auto flag = [&](const char* name) {
        const int v = reg.ReadInteger(name);  // read as a Boolean: any non-zero number is true
        asWritten = asWritten && (v == 0 || v == 1);
        return v != 0;
    };
    b.Ctrl = flag("Ctrl");
    b.Alt = flag("Alt");
    b.Shift = flag("Shift");
    b.Enabled = flag("Enabled");
    TRegDataInfo address;
    asWritten = asWritten && reg.GetDataInfo("Address", address) && address.RegData == TRegDataType::rdString;
    b.Address = reg.ReadString("Address");
    b.VirtualKey = reg.ReadInteger("VirtualKey");
    // NONE (0) is in the table but can never be registered.
    if (b.VirtualKey == 0 || KeyIndexOfCode(b.VirtualKey) < 0)
        throw ERegistryException("Invalid data type for 'VirtualKey'");
    return b;
}

void WriteBinding(TRegistry& reg, const TStoredBinding& b) {
    reg.WriteString("Address", b.Address);
    reg.WriteInteger("VirtualKey", b.VirtualKey);
    reg.WriteBool("Ctrl", b.Ctrl);
    reg.WriteBool("Alt", b.Alt);
    reg.WriteBool("Shift", b.Shift);
    reg.WriteBool("Enabled", b.Enabled);
}

// Key names compare as the registry compares them: letter case does not count.
std::string NameKey(const std::string& name) { return UpperAscii(name); }

int ChangedValues(const TStoredBinding& a, const TStoredBinding& b) {
    return (a.Address != b.Address) + (a.VirtualKey != b.VirtualKey) + (a.Ctrl != b.Ctrl) +
           (a.Alt != b.Alt) + (a.Shift != b.Shift) + (a.Enabled != b.Enabled);
}

// Writes the one value in which two stored forms of a binding differ.
void WriteChangedValue(TRegistry& reg, const TStoredBinding& was, const TStoredBinding& b) {
    if (was.Address != b.Address) reg.WriteString("Address", b.Address);
    if (was.VirtualKey != b.VirtualKey) reg.WriteInteger("VirtualKey", b.VirtualKey);
    if (was.Ctrl != b.Ctrl) reg.WriteBool("Ctrl", b.Ctrl);
    if (was.Alt != b.Alt) reg.WriteBool("Alt", b.Alt);
    if (was.Shift != b.Shift) reg.WriteBool("Shift", b.Shift);
    if (was.Enabled != b.Enabled) reg.WriteBool("Enabled", b.Enabled);
}

}  // namespace

std::string TFormMain::SettingsKeyPath() {
    return MakeSettingsKeyPath(QmR->Group(), QmR->Company(), QmR->Application(), QmR->User());
}

std::string TFormMain::HotKeysKeyPath() {
    return MakeHotKeysKeyPath(QmR->Group(), QmR->Company(), QmR->Application(), QmR->User());
}

void TFormMain::SaveBindings() {
    TRegistrySession reg(QmR);
    const std::string path = HotKeysKeyPath();
    reg->OpenKey(path + kFirstRun, true);

    std::vector<std::string> existingNames;
    if (reg->OpenKeyReadOnly(path)) reg->GetKeyNames(existingNames);
    std::set<std::string> existing;
    for (const std::string& name : existingNames) existing.insert(NameKey(name));

    struct TWanted {
        std::string Name;
        TStoredBinding Binding;
    };
    std::map<std::string, TWanted> wanted;  // by NameKey
    std::vector<std::string> order;
    for (int i = 0; i < BindingCount(); ++i) {
        THotKeyItem* item = QmHK->HotKeys()->Items(i);
        TStoredBinding b;
        b.Address = ListView1->ItemCaption(i);
        b.VirtualKey = VirtKeyCodes[item->VirtKey()];
        b.Ctrl = item->Modifiers().Contains(modControl);
        b.Alt = item->Modifiers().Contains(modAlt);
        b.Shift = item->Modifiers().Contains(modShift);
        b.Enabled = item->Enabled();
        const std::string name = item->DisplayName();
        if (wanted.emplace(NameKey(name), TWanted{name, b}).second) order.push_back(NameKey(name));
    }

    // Every binding is complete in the registry before anything that is gone is deleted:
    // a save cut short at any point loses nothing that was stored.
    std::map<std::string, TStoredBinding> stored;
    for (const std::string& key : order) {
        const std::string& name = wanted[key].Name;
        const TStoredBinding& b = wanted[key].Binding;
        const std::string staging = std::string(1, kStaging) + name;
        auto was = FLastStored.find(key);
        const bool known = existing.count(key) && !existing.count(NameKey(staging)) && was != FLastStored.end();
        if (known && was->second == b) {
            stored[key] = b;  // stored exactly like this already
            continue;
        }
        if (known && ChangedValues(was->second, b) == 1) {
            // One value is written at once: the binding is either as before or as after.
            if (!reg->OpenKey(path + name, false)) continue;
            WriteChangedValue(*reg, was->second, b);
            stored[key] = b;
            continue;
        }
        if (!existing.count(key)) {
            if (!reg->OpenKey(path + name, true)) continue;
            reg->WriteInteger(kUnfinished, 1);
            WriteBinding(*reg, b);
            reg->DeleteValue(kUnfinished);
            stored[key] = b;
            continue;
        }
        if (!reg->OpenKey(path + staging, true)) continue;
        WriteBinding(*reg, b);
        if (!reg->OpenKey(path + name, true)) continue;
        WriteBinding(*reg, b);
        reg->DeleteValue(kUnfinished);
        reg->DeleteKey(path + staging);
        stored[key] = b;
    }
    for (const std::string& name : existingNames) {
        const std::string key = NameKey(name);
        if (key == NameKey(kFirstRun) || wanted.count(key)) continue;
        if (std::find(FUnreadableBindings.begin(), FUnreadableBindings.end(), key) !=
            FUnreadableBindings.end())
            continue;  // kept as the user stored it
        reg->DeleteKey(path + name);
    }
    FLastStored = std::move(stored);
}

void TFormMain::LoadBindings() {
    IsFirstRun = false;
    bool migrating = false;
    FUnreadableBindings.clear();
    FLastStored.clear();
    ListView1->Insert(0);
    ListView1->SetStateIndex(0, 0);

    const std::string company = QmR->Company();
    std::vector<std::string> names;
    std::vector<std::string> unreadable;
    std::map<std::string, TStoredBinding> loaded;
    {
        TRegistrySession reg(QmR);
        TListUpdate update(ListView1);
        reg->OpenKeyReadOnly(HotKeysKeyPath());
        reg->GetKeyNames(names);
        if (names.empty()) {
            migrating = true;
            QmR->SetCompany(kLegacyCompany);
            reg->OpenKeyReadOnly(HotKeysKeyPath());
            reg->GetKeyNames(names);
            if (names.empty()) {
                IsFirstRun = true;
                AddBinding(kHomePage, 120, false, false, false, true);
            }
        }
        std::set<std::string> present;  // by NameKey
        for (const std::string& name : names) present.insert(NameKey(name));
        // Binding subkeys are opened from the bindings key itself, not walked to from the root
        // each time: a second registry object rooted there, while the first holds it open.
        reg->OpenKeyReadOnly(HotKeysKeyPath());
        TRegistry bindings;
        bindings.SetRootKey(reg->CurrentKey());
        auto tryRead = [&](const std::string& name, TStoredBinding& b, bool& asWritten) {
            try {
                if (!reg->CurrentKey() || !bindings.OpenKeyReadOnly("\\" + name)) return false;
                b = ReadBinding(bindings, asWritten);
                return true;
            } catch (const std::exception&) {
                return false;
            }
        };
        // A new binding whose save was cut short: marked, or not even one value written yet.
        auto unfinished = [&](const std::string& name) {
            if (!bindings.OpenKeyReadOnly("\\" + name)) return false;
            std::vector<std::string> values;
            bindings.GetValueNames(values);
            return values.empty() || bindings.ValueExists(kUnfinished);
        };
        std::set<std::string> done, shortcuts;
        FDeferSort = true;
        struct TSortAfter {
            TFormMain* Form;
            ~TSortAfter() {
                Form->FDeferSort = false;
                GuardedCall([this] {
                    Form->SortList(SortColumn);
                    return LRESULT{0};
                });
            }
        } sortAfter{this};
        for (const std::string& name : names) {
            if (name.empty() || name == kFirstRun) continue;
            const bool isStaging = name[0] == kStaging;
            const std::string target = isStaging ? name.substr(1) : name;
            if (!done.insert(NameKey(target)).second) continue;
            const std::string staging = std::string(1, kStaging) + target;
            // A complete staged copy is newer than the binding itself; an incomplete one
            // was cut short, and the binding as stored before stands.
            TStoredBinding b;
            bool asWritten = false, fromStaging = false;
            bool ok = present.count(NameKey(staging)) && tryRead(staging, b, asWritten);
            fromStaging = ok;
            if (!ok && present.count(NameKey(target))) {
                ok = tryRead(target, b, asWritten);
                if (!ok && !unfinished(target)) unreadable.push_back(target);
            }
            if (!ok) continue;
            TModifiers mods;
            if (b.Ctrl) mods = mods.With(modControl);
            if (b.Alt) mods = mods.With(modAlt);
            if (b.Shift) mods = mods.With(modShift);
            const std::string own = DisplayName(mods, static_cast<TVirtKey>(KeyIndexOfCode(b.VirtualKey)));
            const bool foreignName = NameKey(own) != NameKey(target);
            if ((foreignName && present.count(NameKey(own))) || !shortcuts.insert(NameKey(own)).second) {
                // A second binding for one shortcut can never run: reported and kept.
                unreadable.push_back(target);
                continue;
            }
            // Only a binding stored under its own name exactly as a save writes it may later
            // be updated value by value; any other is written whole by the next save.
            if (!fromStaging && asWritten && !foreignName) loaded[NameKey(target)] = b;
            AddBinding(b.Address, static_cast<std::uint16_t>(b.VirtualKey), b.Ctrl, b.Alt, b.Shift,
                       b.Enabled);
        }
        QmR->SetCompany(company);

    }

    bool deleteLegacy = migrating;
    if (migrating && !IsFirstRun) {
        // Imported bindings are stored under the current key before the old one goes, and
        // the old one stays while it holds anything that could not be read.
        deleteLegacy = unreadable.empty();
        try {
            SaveBindings();
        } catch (...) {
            deleteLegacy = false;
            Application->HandleException(this);
        }
    } else if (!migrating) {
        FLastStored = std::move(loaded);
        for (const std::string& name : unreadable) FUnreadableBindings.push_back(NameKey(name));
    }
    if (deleteLegacy) {
        TRegistrySession reg(QmR);
        reg->DeleteKey("\\" + QmR->Group() + "\\" + kLegacyCompany + "\\" + QmR->Application());
    }

    QmHK->OnHotKeys = Bind(this, &TFormMain::QmHKHotKeys);

    if (!unreadable.empty()) {
        std::string list;
        for (const std::string& n : unreadable) list += "\r\n    " + n;
        ShowMessageBox("These stored bindings could not be read. They were not loaded and are "
                       "kept in the registry as they are:" + list,
                       "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
    }
}

void TFormMain::SetRunAtStartup(bool flag) {
    TRegistrySession reg(QmR);
    if (!reg->OpenKey(kRunKey, true)) return;
    if (flag)
        reg->WriteString(kRunValue, ModuleFileName());
    else
        reg->DeleteValue(kRunValue);
}

void TFormMain::SaveWindowPlacement() {
    TRegistrySession reg(QmR);
    if (!reg->OpenKey(SettingsKeyPath(), true)) return;
    const RECT r = BoundsRect();
    reg->WriteInteger("MainLeft", r.left);
    reg->WriteInteger("MainTop", r.top);
    reg->WriteInteger("MainWidth", r.right - r.left);
    reg->WriteInteger("MainHeight", r.bottom - r.top);
}

void TFormMain::LoadWindowPlacement() {
    TRegistrySession reg(QmR);
    if (!reg->OpenKeyReadOnly(SettingsKeyPath())) return;
    RECT r = BoundsRect();
    const int width = r.right - r.left, height = r.bottom - r.top;
    int values[4] = {r.left, r.top, width, height};
    const char* names[4] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    for (int i = 0; i < 4; ++i)
        if (reg->ValueExists(names[i])) values[i] = reg->ReadInteger(names[i]);
    SetBoundsRect({values[0], values[1], values[0] + values[2], values[1] + values[3]});
}

void TFormMain::SetNewBrowser(bool flag) {
    TRegistrySession reg(QmR);
    if (!reg->OpenKey(SettingsKeyPath(), true)) return;
    if (flag)
        reg->WriteInteger("NewBrowser", 1);
    else
        reg->DeleteValue("NewBrowser");
    NewBrowserOption = flag;
}

void TFormMain::LoadNewBrowser() {
    TRegistrySession reg(QmR);
    if (!reg->OpenKeyReadOnly(SettingsKeyPath())) return;
    NewBrowserOption = reg->ValueExists("NewBrowser") && reg->ReadBool("NewBrowser");
}
