// What the program remembers, under the current user's registry hive: the main window's side.
// The bindings themselves are the binding store's; these operations hand the list to it and
// take what it loads.
#include "app/HomePage.h"
#include "framework/Application.h"
#include "framework/WinText.h"
#include "launch/Launch.h"
#include "settings/KeyPaths.h"
#include "settings/RunEntry.h"
#include "settings/Settings.h"
#include "ui/Main.h"
#include "ui/Messages.h"
#include "ui/WindowPlace.h"

using namespace fw;

std::string TFormMain::SettingsKeyPath() {
    return MakeSettingsKeyPath(QmR->Group(), QmR->Company(), QmR->Application(), QmR->User());
}

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
    // What the load left is read while the program runs, a slice per tick: timer messages
    // wait for input and painting, so the window stays responsive.
    if (loaded.Pending) {
        FLoadTimer = new TTimer(this, 10);
        FLoadTimer->OnTimer = Bind(this, &TFormMain::LoadRest);
        Application->AddBoxWatcher(this, [this](bool open) {
            if (!open) ResumeLoad();
        });
        TrayIcon1->SetHint(TrayHint(FStore->Pending(), FStore->LeftAtLoad()));
    }
}

void TFormMain::LoadRest(TObject*) {
    // Rows do not move under an open editor or message: the load goes on once they close.
    if (FEditing || Application->OpenBoxes() > 0) return FLoadTimer->SetEnabled(false);
    const TLoadedBindings more = FStore->LoadMore(200, FList.Bindings());
    Follow(FList.AddAll(more.Bindings));
    TrayIcon1->SetHint(TrayHint(FStore->Pending(), FStore->LeftAtLoad()));
    if (more.Pending) return;
    FLoadTimer->SetEnabled(false);
    if (!more.Unreadable.empty())
        ShowMessageBox(UnreadableMessage(more.Unreadable), "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
}

void TFormMain::ResumeLoad() {
    if (FLoadTimer && FStore->Pending()) FLoadTimer->SetEnabled(true);
}

void TFormMain::SetRunAtStartup(bool flag) {
    TQmRegSession reg(QmR);
    WriteRunEntry(*reg, flag, ModuleFileName());
}

void TFormMain::SaveWindowPlacement() {
    RECT r{};
    if (!NormalBounds(Handle(), r)) return;
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
        SetBoundsRect(ReachableBounds(Handle(), {left, top, left + p.Width.value_or(r.right - r.left),
                                                 top + p.Height.value_or(r.bottom - r.top)}));
    }
    // Start-up goes on with the designed placement; the value stays until the next hide.
    if (!errors.empty()) Application->ShowError(JoinLines(errors));
}

void TFormMain::SetNewBrowser(bool flag) {
    TQmRegSession reg(QmR);
    WriteNewBrowser(*reg, SettingsKeyPath(), flag);
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
