#include "ui/Accelerator.h"

using namespace fw;

TFormAccelerator* FormAccelerator = nullptr;

TFormAccelerator::TFormAccelerator(TComponent* AOwner) : TForm(AOwner) {}

void TFormAccelerator::ReadDescription() {
    SetName("FormAccelerator");
    SetCaption("Accelerator Properties");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(377, 218);
    SetKeyPreview(true);
}
