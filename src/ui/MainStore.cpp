// What the program remembers, under the current user's registry hive: the main window's side.
// The bindings themselves are the binding store's; these operations hand the list to it and
// take what it loads.
#include "app/HomePage.h"
#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"
#include "settings/Settings.h"
#include "ui/Main.h"
#include "ui/Messages.h"
#include "ui/WindowPlace.h"

using namespace fw;

std::string TFormMain::SettingsKeyPath() { return FStore->SettingsKeyPath(); }

std::string TFormMain::HotKeysKeyPath() { return FStore->HotKeysKeyPath(); }

void TFormMain::SaveBindings() { FStore->Save(FList.Bindings()); }

void TFormMain::LoadBindings() {
    IsFirstRun = false;
    TLoadedBindings loaded = FStore->Load();
    FList.AddAll(loaded.Bindings);
    Follow({});
    if (loaded.NothingStored) {
        IsFirstRun = true;
        AddBinding(kHomePage, VK_F9, false, false, false, true);
    }
    QmHK->OnHotKeys = Bind(this, &TFormMain::QmHKHotKeys);

    if (!loaded.Unreadable.empty())
        ShowMessageBox(UnreadableMessage(loaded.Unreadable), "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
    if (!loaded.MoveError.empty()) Application->ShowError(loaded.MoveError);
}

void TFormMain::SetRunAtStartup(bool flag) {
    TQmRegSession reg(QmR);
    WriteRunEntry(*reg, flag, ModuleFileName());
}

void TFormMain::ApplyRunAtStartup(bool flag) {
    SetRunAtStartup(flag);
    TQmRegSession reg(QmR);
    StoreStartupApproval(*reg, flag);
}

void TFormMain::SaveWindowPlacement() {
    RECT r{};
    if (!NormalBounds(Handle(), r)) return;
    TQmRegSession reg(QmR);
    if (!reg->OpenKey(SettingsKeyPath(), true)) return;
    WriteStoredPlacement(*reg, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TFormMain::LoadWindowPlacement() {
    // Start-up goes on with the designed placement; the value stays until the next hide.
    const std::string problems = ReadSettings(QmR, SettingsKeyPath(), [this](const TRegistry& reg, auto& errors) {
        SetBoundsRect(StoredBounds(Handle(), BoundsRect(), ReadStoredPlacement(reg, errors)));
    });
    if (!problems.empty()) Application->ShowError(problems);
}

void TFormMain::SetNewBrowser(bool flag) {
    TQmRegSession reg(QmR);
    WriteNewBrowser(*reg, SettingsKeyPath(), flag);
    NewBrowserOption = flag;
}

void TFormMain::LoadNewBrowser() {
    const std::string problems = ReadSettings(QmR, SettingsKeyPath(), [](const TRegistry& reg, auto& errors) {
        NewBrowserOption = ReadNewBrowser(reg, errors).value_or(false);
    });
    if (!problems.empty()) Application->ShowError(problems);
}
