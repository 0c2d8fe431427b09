// The main window's commands: both pop-up menus, the list's keys and clicks, showing and
// hiding, and the hand-off to the binding editor.
#include "framework/Application.h"
#include "ui/About.h"
#include "ui/Accelerator.h"
#include "ui/Main.h"
#include "ui/Option.h"

using namespace fw;

void TFormMain::BuildMenus() {
    // The items that open a dialog have no handler yet: they are connected once it exists.
    popupListView->AddItems({
        {&cmdAdd1, "cmdAdd1", "&Add", nullptr},
        {&cmdEdit1, "cmdEdit1", "Edi&t", nullptr},
        {&cmdDelete1, "cmdDelete1", "Delete", Bind(this, &TFormMain::cmdDelete1Click)},
        {nullptr, "N3", "-", nullptr},
        {&DisableSelected1, "DisableSelected1", "D&isable Selected", Bind(this, &TFormMain::cmdDisableSelected1Click)},
        {&EnableSelected1, "EnableSelected1", "E&nable Selected", Bind(this, &TFormMain::cmdEnableSelected1Click)},
        {nullptr, "ListViewSep1", "-", nullptr},
        {&cmdDisableAll1, "cmdDisableAll1", "&Disable All", Bind(this, &TFormMain::cmdDisableAll1Click)},
        {&cmdEnableAll1, "cmdEnableAll1", "&Enable All", Bind(this, &TFormMain::cmdEnableAll1Click)},
        {nullptr, "N2", "-", nullptr},
        {&Hide1, "Hide1", "&Hide", Bind(this, &TFormMain::Hide1Click)},
        {nullptr, "ListViewSep2", "-", nullptr},
        {&cmdOption1, "cmdOption1", "&Options...", nullptr},
        {&cmdAbout1, "cmdAbout1", "About...", nullptr},
        {&cmdExit1, "cmdExit1", "E&xit", Bind(this, &TFormMain::cmdExit1Click)},
    });
    popupTrayIcon->AddItems({
        {&cmdDisableAll2, "cmdDisableAll2", "&Disable All", Bind(this, &TFormMain::cmdDisableAll1Click)},
        {&cmdEnableAll2, "cmdEnableAll2", "&Enable All", Bind(this, &TFormMain::cmdEnableAll1Click)},
        {nullptr, "N1", "-", nullptr},
        {&Show2, "Show2", "&Show", Bind(this, &TFormMain::Show2Click)},
        {&Hide2, "Hide2", "&Hide", Bind(this, &TFormMain::Hide1Click)},
        {nullptr, "TrayIconSep1", "-", nullptr},
        {&cmdOption2, "cmdOption2", "&Options...", nullptr},
        {&cmdAbout2, "cmdAbout2", "&About...", nullptr},
        {&cmdExit2, "cmdExit2", "E&xit", Bind(this, &TFormMain::cmdExit1Click)},
    });
    cmdDelete1->SetShortCut("Del");
    Hide2->SetEnabled(false);
    popupListView->OnPopup = Bind(this, &TFormMain::popupListViewPopup);
}

void TFormMain::Connect(const TDialogs& dialogs) {
    // The editor, the options dialog and the about box are reached only through these, so
    // no command can reach a dialog before it exists.
    auto edit = [this, &editor = dialogs.Editor](TObject*) { OpenEditor(editor); };
    cmdAdd1->Connect([this, edit](TObject* Sender) {
        ListView1->SetSelected(FList.BlankRow());
        edit(Sender);
    });
    cmdEdit1->OnClick = edit;
    ListView1->OnDblClick = edit;
    ListView1->OnKeyPress = [this, edit](TObject* Sender, char16_t& Key) {
        if (Key != '\r' || ListView1->Selected() < 0) return;
        Key = 0;
        edit(Sender);
    };
    // Shown modelessly; showing one that is open brings it forward.
    for (TMenuItem* item : {cmdOption1, cmdOption2}) item->Connect([&options = dialogs.Options](TObject*) { options.Show(); });
    for (TMenuItem* item : {cmdAbout1, cmdAbout2}) item->Connect([&about = dialogs.About](TObject*) { about.Show(); });
    UpdateTrayItems(Visible());
}

void TFormMain::UpdateTrayItems(bool visible) {
    // While a binding is edited every shortcut is off and must stay so, and the editor's
    // owner must stay where the editor is.
    Show2->SetEnabled(!visible);
    Hide2->SetEnabled(visible && !FEditing);
    cmdDisableAll2->SetEnabled(!FEditing);
    cmdEnableAll2->SetEnabled(!FEditing);
}

void TFormMain::popupListViewPopup(TObject*) {
    const int i = ListView1->Selected();
    // Edit opens the editor: only once it is connected.
    cmdEdit1->SetEnabled(i >= 0 && cmdAdd1->Enabled());
    cmdDelete1->SetEnabled(FList.IsBindingRow(i));
}

void TFormMain::cmdDelete1Click(TObject*) { DeleteSelected(); }

void TFormMain::ListView1KeyDown(TObject*, std::uint16_t& Key, TShiftState) {
    if (Key == VK_UP || Key == VK_DOWN) {
        // The blank row holds the focus; the movement starts from the selected row.
        FViews->FocusSelectedRow();
    } else if (Key == VK_DELETE) {
        // The Delete item's rule for the row selected now, whatever the menu showed last.
        DeleteSelected();
        Key = 0;
    }
}

void TFormMain::ListView1SelectItem(TObject*, int, bool) { FViews->SelectionChanged(); }

void TFormMain::TrayIcon1Click(TObject*) { ShowInFront(); }

void TFormMain::Show2Click(TObject*) { ShowInFront(); }

void TFormMain::ShowInFront() {
    Show();
    // An open dialog stays in front of the window that opened it.
    if (TForm* modal = Application->ModalForm()) modal->BringToFront();
}

void TFormMain::Hide1Click(TObject*) { Hide(); }

// Both run before Visible() tells the change.
void TFormMain::FormShow(TObject*) { UpdateTrayItems(true); }

void TFormMain::FormHide(TObject*) {
    UpdateTrayItems(false);
    try {
        SaveWindowPlacement();
    } catch (const std::exception& e) {
        // Told, and the hide goes on: an Exit still ends the program. While the session
        // ends nobody is there to answer a message.
        if (!FEndingSession) Application->ShowError(e.what());
    }
}

void TFormMain::FormKeyDown(TObject*, std::uint16_t& Key, TShiftState) {
    if (Key == VK_ESCAPE) Hide();
}

void TFormMain::OpenEditor(TFormAccelerator& editor) {
    const int i = ListView1->Selected();
    if (i < 0) return;
    TEditRequest request = EditRequestFor(FList, i);
    request.HeldBy = [this](const TBinding& b) { return FStore->HeldBy(b); };
    request.SuspendHotKeys = [this](bool suspended) { SetHotKeysSuspended(suspended); };

    // From the editor's opening until the edit is applied and shown, the tray's Hide and its
    // Enable/Disable All are off.
    struct TEditing {
        TFormMain& Form;
        explicit TEditing(TFormMain& form) : Form(form) { Form.FEditing = true, Form.UpdateTrayItems(Form.Visible()); }
        ~TEditing() { Form.FEditing = false, Form.UpdateTrayItems(Form.Visible()); }
    } editing_(*this);
    const std::optional<TBinding> result = editor.Edit(request);
    // Exit chosen during the edit ends the program: nothing is applied, nothing shown.
    if (Application->TerminateRequested()) return;
    if (result) {
        // As UpdateBinding does, the edit goes to the binding row selected now.
        Follow(request.Binding ? FList.Update(ListView1->Selected(), *result) : FList.Add(*result));
        SaveBindings();
        ReportRefused({FList.RowOfShortcut(result->ShortcutText())});
    }
    ShowInFront();
}
