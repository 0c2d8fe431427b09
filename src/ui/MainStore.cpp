// What the program remembers, under the current user's registry hive: the main window's side.
// The bindings themselves are the binding store's; these operations hand the list to it and
// take what it loads.
#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"
#include "settings/KeyPaths.h"
#include "settings/RunEntry.h"
#include "settings/Settings.h"
#include "ui/Main.h"
#include "ui/Placement.h"

using namespace fw;

namespace {

// The company under which an earlier edition stored its bindings.
const char* const kLegacyCompany = "morvane.example";
const char* const kHomePage = "http://www.morvane.example/tarvo/";
const char* const kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const char* const kRunValue = "Tarvo 2000";

// A key the user asked to write to: one that cannot be opened is a failed write.
void OpenForWriting(TRegistry& reg, const std::string& path) {
    if (!reg.OpenKey(path, true)) {
        std::string message = "Failed to create key '" + path + "'";
        const std::string reason = SystemErrorText(static_cast<DWORD>(reg.LastOpenError()));
        throw ERegistryException(reason.empty() ? message : message + ": " + reason);
    }
}

void DeleteValueOrFail(TRegistry& reg, const std::string& name) {
    if (!reg.DeleteValue(name) && reg.ValueExists(name))
        throw ERegistryException("Failed to delete value '" + name + "'");
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

}  // namespace

std::string TFormMain::SettingsKeyPath() {
    return MakeSettingsKeyPath(QmR->Group(), QmR->Company(), QmR->Application(), QmR->User());
}

std::string TFormMain::HotKeysKeyPath() { return Store().HotKeysKeyPath(); }

TBindingStore& TFormMain::Store() {
    if (!FStore) FStore = std::make_unique<TBindingStore>(QmR, kLegacyCompany);
    return *FStore;
}

void TFormMain::SaveBindings() { Store().Save(Bindings()); }

void TFormMain::LoadBindings() {
    IsFirstRun = false;
    ListView1->Insert(0);
    ListView1->SetStateIndex(0, 0);
    TLoadedBindings loaded = Store().Load();
    AddBindings(loaded.Bindings);
    if (loaded.NothingStored) {
        IsFirstRun = true;
        AddBinding(kHomePage, VK_F9, false, false, false, true);
    }
    QmHK->OnHotKeys = Bind(this, &TFormMain::QmHKHotKeys);

    if (!loaded.Unreadable.empty()) {
        std::string list;
        for (const std::string& n : loaded.Unreadable) list += "\r\n    " + n;
        ShowMessageBox("These stored bindings could not be read. They were not loaded and are "
                       "kept in the registry as they are:" + list,
                       "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
    }
    if (!loaded.MoveError.empty()) Application->ShowError(loaded.MoveError);
}

void TFormMain::SetRunAtStartup(bool flag) {
    TQmRegSession reg(QmR);
    OpenForWriting(*reg, kRunKey);
    if (flag) {
        reg->WriteString(kRunValue, RunEntryFor(ModuleFileName()));
    } else {
        // Only text names this program: a value of another type is left to its owner.
        const TRegDataType type = reg->GetDataType(kRunValue);
        if (type == TRegDataType::rdString || type == TRegDataType::rdExpandString)
            DeleteValueOrFail(*reg, kRunValue);
    }
}

namespace {

TRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    if (::GetMonitorInfoA(monitor, &mi)) reinterpret_cast<std::vector<TRect>*>(areas)->push_back(ToRect(mi.rcWork));
    return TRUE;
}

}  // namespace

void TFormMain::SaveWindowPlacement() {
    // The window's normal place, also when it is minimised or maximised; the system gives it
    // in work-area coordinates, which the stored values are not.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!::GetWindowPlacement(Handle(), &wp)) return;
    RECT r = wp.rcNormalPosition;
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    if (::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi))
        ::OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
    TQmRegSession reg(QmR);
    if (!reg->OpenKey(SettingsKeyPath(), true)) return;
    WriteStoredPlacement(*reg, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TFormMain::LoadWindowPlacement() {
    std::vector<std::string> errors;
    {
        TQmRegSession reg(QmR);
        if (!reg->OpenKeyReadOnly(SettingsKeyPath())) return;
        const TStoredPlacement p = ReadStoredPlacement(*reg, errors);
        const RECT r = BoundsRect();
        const int left = p.Left.value_or(r.left), top = p.Top.value_or(r.top);
        RECT wanted{left, top, left + p.Width.value_or(r.right - r.left), top + p.Height.value_or(r.bottom - r.top)};
        // A place that no screen shows now (a monitor since taken away) is moved onto the
        // nearest one, where the window can be reached.
        std::vector<TRect> workAreas;
        ::EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
        if (!workAreas.empty() && !CanReach(ToRect(wanted), workAreas, ScaleForWindow(Handle(), 20))) {
            MONITORINFO mi{sizeof mi, {}, {}, 0};
            if (::GetMonitorInfoA(::MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &mi)) {
                const TRect moved = MoveInto(ToRect(wanted), ToRect(mi.rcWork));
                wanted = {moved.Left, moved.Top, moved.Right, moved.Bottom};
            }
        }
        SetBoundsRect(wanted);
    }
    // Start-up goes on with the designed placement; the value stays until the next hide.
    if (!errors.empty()) Application->ShowError(JoinLines(errors));
}

void TFormMain::SetNewBrowser(bool flag) {
    TQmRegSession reg(QmR);
    OpenForWriting(*reg, SettingsKeyPath());
    if (flag)
        reg->WriteInteger("NewBrowser", 1);
    else
        DeleteValueOrFail(*reg, "NewBrowser");
    NewBrowserOption = flag;
}

void TFormMain::LoadNewBrowser() {
    std::vector<std::string> errors;
    {
        TQmRegSession reg(QmR);
        if (!reg->OpenKeyReadOnly(SettingsKeyPath())) return;
        NewBrowserOption = ReadNewBrowser(*reg, errors).value_or(false);
    }
    if (!errors.empty()) Application->ShowError(JoinLines(errors));
}
