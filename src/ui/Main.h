// The main window: the binding list, its menus and the program's start-up and close rules.
#pragma once

#include "framework/Form.h"
#include "framework/ListView.h"

class TFormMain : public fw::TForm {
public:
    explicit TFormMain(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TFormMain"; }

    // Components, in the order the description creates them.
    fw::TListView* ListView1 = nullptr;

    // Set by Exit, cleared by every activation; read by the close rule.
    bool ExitRequested = false;
    // True between seeding the default binding and the end of start-up.
    bool IsFirstRun = false;

    void FormCreate(fw::TObject* Sender);
    void StartupSequence();
    void FormActivate(fw::TObject* Sender);
    void FormCloseQuery(fw::TObject* Sender, bool& CanClose);
    void FormClose(fw::TObject* Sender, fw::TCloseAction& Action);
    void cmdExit1Click(fw::TObject* Sender);

protected:
    void ReadDescription() override;
};

extern TFormMain* FormMain;
