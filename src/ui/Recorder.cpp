#include "ui/Recorder.h"

#include "framework/Application.h"
#include "ui/EditorInput.h"

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
    // Every key-down is the form's, whatever holds the focus.
    SetKeyPreview(true);

    Label1 = new TLabel(this);
    PlaceControl(Label1, this, "Label1", "Press a key to be used as the accelerator", {15, 16, 238, 13});
    Label1->SetAlignment(TAlignment::taCenter);
    Label1->SetFontBold(true);
    Label1->SetFontColor(RGB(255, 255, 255));
    Label1->SetWordWrap(true);
    cmdCancel = new TButton(this);
    cmdCancel->SetTabStop(false);
    PlaceControl(cmdCancel, this, "cmdCancel", "Cancel", {100, 46, 75, 25});

    OnActivate = Bind(this, &TFormRecorder::FormActivate);
    OnKeyDown = Bind(this, &TFormRecorder::FormKeyDown);
    cmdCancel->OnClick = Bind(this, &TFormRecorder::cmdCancelClick);
}

void TFormRecorder::FormActivate(TObject* Sender) {
    (void)Sender;
    // No control holds the focus, so Enter and Space are keys to record, not button presses.
    ::SetFocus(Handle());
}

void TFormRecorder::FormKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    (void)Sender;
    (void)Shift;
    const std::uint16_t key = Key;
    Key = 0;  // no control sees the keys meant for the recorder
    if (RecorderIgnoresKey(key) || ModalResult() != mrNone) return;
    RecordedKey = key;
    // The key is taken once: its repeats and its key-up, and those of the modifiers held
    // with it, must not reach the editor as Esc, Enter, F10 or a lone Alt.
    Application->SwallowHeldKeys(key);
    SetModalResult(mrOk);
}

void TFormRecorder::cmdCancelClick(TObject* Sender) {
    (void)Sender;
    SetModalResult(mrCancel);
}
