#include "ui/Option.h"

using namespace fw;

TFormOption* FormOption = nullptr;

TFormOption::TFormOption(TComponent* AOwner) : TForm(AOwner) {}

void TFormOption::ReadDescription() {
    SetName("FormOption");
    SetCaption("Tarvo2000 Options");
    SetPosition(TPosition::poMainFormCenter);
    SetBounds(0, 0, 232, 165);
}
