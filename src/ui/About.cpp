#include "ui/About.h"

using namespace fw;

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* AOwner) : TForm(AOwner) {}

void TAboutBox::ReadDescription() {
    SetName("AboutBox");
    SetCaption("About Tarvo2000");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(280, 210);
    SetIcon(::LoadIconA(::GetModuleHandleA(nullptr), "MAINICON"));
}
