#include "ui/About.h"

#include "app/HomePage.h"
#include "app/Text.h"
#include "launch/Launch.h"
#include "ui/Main.h"

using namespace fw;

TAboutBox* AboutBox = nullptr;

namespace {

const char* const kAuthorMail = "tarvo@morvane.example";

}  // namespace

TAboutBox::TAboutBox(TComponent* AOwner)
    : TForm(AOwner), Launcher([this] { return HandleAllocated() ? Handle() : nullptr; }) {}

void TAboutBox::ReadDescription() {
    SetName("AboutBox");
    SetCaption("About Tarvo2000");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(280, 210);
    SetIcon(::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON"));

    Panel1 = new TPanel(this);
    PlaceControl(Panel1, this, "Panel1", "", {6, 8, 267, 153});
    Panel1->SetBevelOuter(TBevelCut::bvLowered);
    Panel1->SetBevelInner(TBevelCut::bvRaised);
    ImageTarvo = new TImage(this);
    PlaceControl(ImageTarvo, Panel1, "ImageTarvo", "", {13, 13, 32, 32});
    ImageTarvo->SetIconResource("MAINICON");
    ProductName = new TLabel(this);
    PlaceControl(ProductName, Panel1, "ProductName", "Tarvo2000", {55, 14, 80, 13});
    ProductName->SetFontBold(true);
    Version = new TLabel(this);
    PlaceControl(Version, Panel1, "Version", "Version ", {138, 14, 41, 13});
    lblVersion = new TLabel(this);
    PlaceControl(lblVersion, Panel1, "lblVersion", "1.2  Build #12345", {176, 14, 89, 13});
    Label2 = new TLabel(this);
    PlaceControl(Label2, Panel1, "Label2", "Please send comments to", {12, 64, 150, 13});
    Label2->SetWordWrap(true);
    cmdEmail = new TEdit(this);
    PlaceControl(cmdEmail, Panel1, "cmdEmail", "", {12, 78, 111, 21});
    cmdEmail->SetText(kAuthorMail);
    cmdEmail->MakeLink();
    Copyright = new TLabel(this);
    PlaceControl(Copyright, Panel1, "Copyright", "Please visit here for future updates", {12, 109, 200, 13});
    editUrl = new TEdit(this);
    PlaceControl(editUrl, Panel1, "editUrl", "", {12, 123, 185, 21});
    editUrl->SetText(kHomePage);
    editUrl->MakeLink();
    OKButton = new TButton(this);
    PlaceControl(OKButton, this, "OKButton", "OK", {99, 175, 75, 25});
    OKButton->SetDefault(true);

    OnCreate = Bind(this, &TAboutBox::FormCreate);
    cmdEmail->OnClick = Bind(this, &TAboutBox::cmdEmailClick);
    editUrl->OnClick = Bind(this, &TAboutBox::cmdUrlClick);
    OKButton->OnClick = Bind(this, &TAboutBox::OKButtonClick);
}

void TAboutBox::FormCreate(TObject* Sender) {
    (void)Sender;
    // "1.2.0.181" reads "1.2  Build #181".
    lblVersion->SetCaption(ReplaceFirst(FormMain->VersionInfo1->FileVersion(), ".0.", "  Build #"));
}

void TAboutBox::cmdEmailClick(TObject* Sender) {
    (void)Sender;
    Launcher.ExecuteAction(std::string("mailto:") + kAuthorMail);
}

void TAboutBox::cmdUrlClick(TObject* Sender) {
    (void)Sender;
    Launcher.ExecuteAction(editUrl->Text());
}

void TAboutBox::OKButtonClick(TObject* Sender) {
    (void)Sender;
    Close();
}
