#include "ui/Recorder.h"

using namespace fw;

TFormRecorder* FormRecorder = nullptr;

TFormRecorder::TFormRecorder(TComponent* AOwner) : TForm(AOwner) {}

void TFormRecorder::ReadDescription() {
    SetName("FormRecorder");
    SetCaption("Key Recorder");
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetStayOnTop(true);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(274, 94);
    SetColor(RGB(0, 0, 255));
}
