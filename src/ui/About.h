// The about box: the product, its version with the build number, and two links.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"
#include "launch/Launch.h"

class TAboutBox : public fw::TForm {
public:
    explicit TAboutBox(fw::TComponent* AOwner);
    std::string ClassName() const override { return "TAboutBox"; }

    fw::TPanel* Panel1 = nullptr;
    fw::TImage* ImageTarvo = nullptr;
    fw::TLabel* ProductName = nullptr;
    fw::TLabel* Version = nullptr;
    fw::TLabel* lblVersion = nullptr;
    fw::TLabel* Label2 = nullptr;
    fw::TEdit* cmdEmail = nullptr;
    fw::TLabel* Copyright = nullptr;
    fw::TEdit* editUrl = nullptr;
    fw::TButton* OKButton = nullptr;

    // Opens the two links; what the shell shows belongs to this box.
    TLauncher Launcher;

    void FormCreate(fw::TObject* Sender);
    void cmdEmailClick(fw::TObject* Sender);
    void cmdUrlClick(fw::TObject* Sender);
    void OKButtonClick(fw::TObject* Sender);

protected:
    void ReadDescription() override;
};

extern TAboutBox* AboutBox;
