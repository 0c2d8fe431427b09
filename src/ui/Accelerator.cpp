#include "ui/Accelerator.h"

#include "app/Keys.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "launch/Launch.h"
#include "ui/EditorInput.h"
#include "ui/Messages.h"
#include "ui/Main.h"
#include "ui/Recorder.h"

using namespace fw;

TFormAccelerator* FormAccelerator = nullptr;

TEditRequest EditRequestFor(const TBindingList& list, int row) {
    TEditRequest request;
    if (list.IsBindingRow(row)) request.Binding = list.At(row);
    request.EditIndex = row;
    request.Shortcuts = list.Shortcuts();
    return request;
}

TFormAccelerator::TFormAccelerator(TComponent* AOwner) : TForm(AOwner) {}

void TFormAccelerator::ReadDescription() {
    SetName("FormAccelerator");
    SetCaption("Accelerator Properties");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(377, 218);
    SetKeyPreview(true);

    chkEnabled = new TCheckBox(this);
    PlaceControl(chkEnabled, this, "chkEnabled", "&Enabled", {7, 8, 69, 17}, 4);
    chkEnabled->SetAlignment(TAlignment::taLeftJustify);
    chkEnabled->SetFontBold(true);
    chkEnabled->SetChecked(true);
    Label1 = new TLabel(this);
    PlaceControl(Label1, this, "Label1", "Action", {5, 40, 51, 13}, -1);
    Label1->SetFontBold(true);
    Label1->SetAlignment(TAlignment::taRightJustify);
    cbAction = new TComboBox(this);
    PlaceControl(cbAction, this, "cbAction", "", {62, 35, 251, 21}, 0);
    for (std::string_view line : ExampleActions) cbAction->Items().Add(std::string(line));
    cbAction->SetDropDownCount(20);
    cbAction->SetText("http://");
    cmdBrowse = new TButton(this);
    PlaceControl(cmdBrowse, this, "cmdBrowse", "&Browse", {318, 35, 49, 20}, 7);
    GroupBox1 = new TGroupBox(this);
    PlaceControl(GroupBox1, this, "GroupBox1", "Modifiers", {62, 65, 195, 49}, 1);
    GroupBox1->SetFontBold(true);
    chkCtrl = new TCheckBox(this);
    PlaceControl(chkCtrl, GroupBox1, "chkCtrl", "&Ctrl", {16, 20, 45, 17}, 0);
    chkAlt = new TCheckBox(this);
    PlaceControl(chkAlt, GroupBox1, "chkAlt", "&Alt", {79, 20, 45, 17}, 1);
    chkShift = new TCheckBox(this);
    PlaceControl(chkShift, GroupBox1, "chkShift", "&Shift", {135, 20, 45, 17}, 2);
    for (TCheckBox* c : {chkCtrl, chkAlt, chkShift}) c->SetFontBold(true);
    Label2 = new TLabel(this);
    PlaceControl(Label2, this, "Label2", "Key", {4, 131, 52, 13}, -1);
    Label2->SetFontBold(true);
    Label2->SetAlignment(TAlignment::taRightJustify);
    cbKey = new TComboBox(this);
    PlaceControl(cbKey, this, "cbKey", "", {62, 127, 99, 21}, 2);
    cbKey->SetText("(Choose Key)");
    cmdNextKey = new TButton(this);
    PlaceControl(cmdNextKey, this, "cmdNextKey", "&Next Key Typed", {167, 127, 89, 20}, 3);
    cmdSave = new TButton(this);
    PlaceControl(cmdSave, this, "cmdSave", "Save", {109, 174, 64, 23}, 5);
    cmdSave->SetDefault(true);
    cmdCancel = new TButton(this);
    PlaceControl(cmdCancel, this, "cmdCancel", "Cancel", {210, 174, 64, 23}, 6);

    OnActivate = Bind(this, &TFormAccelerator::FormActivate);
    OnClose = Bind(this, &TFormAccelerator::FormClose);
    OnCloseQuery = Bind(this, &TFormAccelerator::FormCloseQuery);
    OnKeyDown = Bind(this, &TFormAccelerator::FormKeyDown);
    cbAction->OnChange = Bind(this, &TFormAccelerator::cbActionChange);
    cbAction->OnSelect = Bind(this, &TFormAccelerator::cbActionSelect);
    cbKey->OnChange = Bind(this, &TFormAccelerator::Edited);
    for (TCheckBox* c : {chkEnabled, chkCtrl, chkAlt, chkShift}) c->OnClick = Bind(this, &TFormAccelerator::Edited);
    cmdBrowse->OnClick = Bind(this, &TFormAccelerator::cmdBrowseClick);
    cmdNextKey->OnClick = Bind(this, &TFormAccelerator::cmdNextKeyClick);
    cmdSave->OnClick = Bind(this, &TFormAccelerator::cmdSaveClick);
    cmdCancel->OnClick = Bind(this, &TFormAccelerator::cmdCancelClick);
}

std::optional<TBinding> TFormAccelerator::Edit(const TEditRequest& request) {
    FRequest = request;
    if (cbKey->Items().Count() == 0)
        for (std::string_view name : KeyNames) cbKey->Items().Add(std::string(name));
    const TBinding b = request.Binding.value_or(TBinding{});
    if (request.Binding) {
        cbAction->SetText(b.Action);
        cbKey->SetItemIndex(b.Key);
    } else {
        cbAction->SetItemIndex(-1);
        cbAction->SetText("http://");
        cbKey->SetItemIndex(-1);
        cbKey->SetText("(Choose Key)");
    }
    chkCtrl->SetChecked(b.Ctrl());
    chkAlt->SetChecked(b.Alt());
    chkShift->SetChecked(b.Shift());
    chkEnabled->SetChecked(b.Enabled);
    EditIndex = request.EditIndex;
    Saved = false;
    Modified = false;
    const int result = ShowModal();
    FRequest = {};
    if (result != mrOk || !Saved) return std::nullopt;
    return MakeBinding(ActionText, KeyCode, chkCtrl->Checked(), chkAlt->Checked(), chkShift->Checked(),
                       chkEnabled->Checked());
}

void TFormAccelerator::FormActivate(TObject* Sender) {
    (void)Sender;
    cbAction->SetFocus();
    cbAction->SelectAll();
    // Every shortcut is off while a binding is edited: the keys reach this dialog and the
    // recorder as ordinary presses.
    if (FRequest.SuspendHotKeys) FRequest.SuspendHotKeys(true);
}

void TFormAccelerator::FormClose(TObject* Sender, TCloseAction& Action) {
    (void)Sender;
    (void)Action;
    Modified = false;
    cmdNextKey->SetFocus();
    if (FRequest.SuspendHotKeys) FRequest.SuspendHotKeys(false);
}

void TFormAccelerator::FormCloseQuery(TObject* Sender, bool& CanClose) {
    (void)Sender;
    // Save, Cancel and Esc clear the flag first; the close box asks. A program that is
    // ending asks nothing.
    if (!Modified || Application->TerminateRequested()) return;
    CanClose = ShowMessageBox("Are you sure you want to close this window?\r\nYou will lose all the unsaved changes.",
                              "Exit Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TFormAccelerator::FormKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    (void)Sender;
    (void)Shift;
    // Esc on an open list closes the list, as everywhere else.
    if (Key == VK_ESCAPE && !cbAction->DroppedDown() && !cbKey->DroppedDown()) {
        Key = 0;
        cmdCancelClick(this);
    }
}

void TFormAccelerator::cbActionChange(TObject* Sender) { Edited(Sender); }

void TFormAccelerator::cbActionSelect(TObject* Sender) {
    (void)Sender;
    // The heading and the rule are no actions: choosing one leaves the box empty.
    if (IsExampleHeading(cbAction->ItemIndex())) cbAction->SetItemIndex(-1);
}

void TFormAccelerator::cmdBrowseClick(TObject* Sender) {
    (void)Sender;
    TOpenDialog* dialog = FormMain->OpenDialog1;
    dialog->SetFileName(BrowseStartName(cbAction->Text()));
    if (!dialog->Execute()) return;
    cbAction->SetText(BrowseAction(dialog->FileName()));
    Modified = true;
}

void TFormAccelerator::cmdNextKeyClick(TObject* Sender) {
    (void)Sender;
    if (FormRecorder->ShowModal() != mrOk) return;
    // A key the table lacks leaves the key box without a selection and without text.
    cbKey->SetItemIndex(KeyIndexOfCode(FormRecorder->RecordedKey));
    Modified = true;
}

void TFormAccelerator::cmdSaveClick(TObject* Sender) {
    (void)Sender;
    TEditorInput input{cbKey->ItemIndex(), cbKey->Text(), cbAction->Text(), chkCtrl->Checked(),
                       chkAlt->Checked(), chkShift->Checked(), EditIndex, FRequest.Shortcuts};
    TEditorCheck check = CheckEditorInput(input);
    // A stored binding the program could not read keeps its subkey, and so its shortcut.
    if (check.Message.empty() && FRequest.HeldBy) {
        const std::optional<TBinding> b = MakeBinding(check.Action, KeyCodes[static_cast<size_t>(check.KeyIndex)],
                                                      chkCtrl->Checked(), chkAlt->Checked(), chkShift->Checked(), true);
        if (b)
            if (const std::optional<std::string> holder = FRequest.HeldBy(*b))
                check.Message = HeldShortcutMessage(b->ShortcutText(), *holder);
    }
    if (input.KeyIndex < 0 && check.KeyIndex >= 0) cbKey->SetItemIndex(check.KeyIndex);  // a typed name
    ActionText = check.Action;
    Saved = check.Message.empty();
    if (!Saved) {
        ShowMessageBox(check.Message, "Add Tarvo Error", MB_ICONEXCLAMATION);
        return;
    }
    KeyCode = static_cast<std::uint16_t>(KeyCodes[static_cast<size_t>(check.KeyIndex)]);
    Modified = false;
    SetModalResult(mrOk);
}

void TFormAccelerator::cmdCancelClick(TObject* Sender) {
    (void)Sender;
    Modified = false;
    SetModalResult(mrCancel);
}
