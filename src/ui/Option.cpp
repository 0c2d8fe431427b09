#include "ui/Option.h"

#include "framework/WinText.h"
#include "launch/Launch.h"
#include "settings/RunEntry.h"
#include "settings/Settings.h"
#include "ui/Main.h"

using namespace fw;

TFormOption* FormOption = nullptr;

TFormOption::TFormOption(TComponent* AOwner) : TForm(AOwner) {}

void TFormOption::ReadDescription() {
    SetName("FormOption");
    SetCaption("Tarvo2000 Options");
    SetPosition(TPosition::poMainFormCenter);
    SetBounds(0, 0, 232, 165);

    chkStartup = new TCheckBox(this);
    PlaceControl(chkStartup, this, "chkStartup", "Launch program at startup", {32, 17, 161, 17}, 0);
    chkNewBrowser = new TCheckBox(this);
    PlaceControl(chkNewBrowser, this, "chkNewBrowser", "Browse using new window", {32, 49, 161, 17}, 1);
    cmdCancel = new TButton(this);
    PlaceControl(cmdCancel, this, "cmdCancel", "Cancel", {88, 91, 50, 22}, 2);
    cmdOK = new TButton(this);
    PlaceControl(cmdOK, this, "cmdOK", "OK", {24, 91, 50, 22}, 3);
    cmdOK->SetDefault(true);
    cmdApply = new TButton(this);
    PlaceControl(cmdApply, this, "cmdApply", "Apply", {151, 91, 50, 22}, 4);

    OnShow = Bind(this, &TFormOption::FormShow);
    cmdOK->OnClick = Bind(this, &TFormOption::cmdOKClick);
    cmdApply->OnClick = Bind(this, &TFormOption::cmdApplyClick);
    cmdCancel->OnClick = Bind(this, &TFormOption::cmdCancelClick);
}

void TFormOption::FormShow(TObject* Sender) {
    (void)Sender;
    std::string stored;
    {
        TQmRegSession reg(FormMain->QmR);
        if (reg->OpenKeyReadOnly(kRunKey)) {
            const bool ours = IsRunEntryType(reg->GetDataType(kRunValue));
            if (ours) stored = reg->ReadString(kRunValue);
            // Turned off in Task Manager, the entry stays but starts nothing.
            chkStartup->SetChecked(StartsAtLogon(ours, ReadStartupApproval(*reg)));
        }
    }
    // The entry follows the program when it has been moved.
    if (!stored.empty() && !RunEntryNames(stored, ModuleFileName())) {
        try {
            FormMain->SetRunAtStartup(true);
        } catch (const std::exception& e) {
            ShowMessageBox(e.what(), "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
        }
    }
    chkNewBrowser->SetChecked(NewBrowserOption);
    FShownStartup = chkStartup->Checked();
    FShownNewBrowser = chkNewBrowser->Checked();
    SetActiveControl(cmdOK);
}

bool TFormOption::Apply() {
    // Each setting is written on its own: one the registry refuses is told and does not keep
    // the other from being stored.
    // A setting the user left as shown is stored already: its failure loses nothing and is
    // not held against OK.
    std::string failures;
    auto apply = [&](void (TFormMain::*set)(bool), TCheckBox* box, bool& shown) {
        try {
            (FormMain->*set)(box->Checked());
            shown = box->Checked();
        } catch (const std::exception& e) {
            if (box->Checked() != shown) failures += (failures.empty() ? "" : "\r\n") + std::string(e.what());
        }
    };
    apply(&TFormMain::ApplyRunAtStartup, chkStartup, FShownStartup);
    apply(&TFormMain::SetNewBrowser, chkNewBrowser, FShownNewBrowser);
    if (failures.empty()) return true;
    ShowMessageBox(failures, "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void TFormOption::cmdOKClick(TObject* Sender) {
    (void)Sender;
    if (Apply()) Close();
}

void TFormOption::cmdApplyClick(TObject* Sender) {
    (void)Sender;
    Apply();
}

void TFormOption::cmdCancelClick(TObject* Sender) {
    (void)Sender;
    Close();
}
