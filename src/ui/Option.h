// The options dialog: starting at logon and opening web addresses in a new browser window.
#pragma once

#include "framework/Form.h"
#include "framework/StdCtrls.h"

class TFormOption : public fw::TForm {
public:
    explicit TFormOption(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormOption"; }

    fw::TCheckBox* chkStartup = nullptr;
    fw::TCheckBox* chkNewBrowser = nullptr;
    fw::TButton* cmdCancel = nullptr;
    fw::TButton* cmdOK = nullptr;
    fw::TButton* cmdApply = nullptr;

    void FormShow(fw::TObject* Sender);
    void cmdOKClick(fw::TObject* Sender);
    void cmdApplyClick(fw::TObject* Sender);
    void cmdCancelClick(fw::TObject* Sender);

protected:
    void ReadDescription() override;

private:
    // Stores both settings; false, after telling the user why, when the registry refused.
    bool Apply();
    // What the check boxes showed when the dialog opened, or were last stored as.
    bool FShownStartup = false, FShownNewBrowser = false;
};

extern TFormOption* FormOption;
