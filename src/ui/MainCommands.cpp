// The main window's commands: both pop-up menus, the list's keys and clicks, showing and
// hiding, and the hand-off to the binding editor.
#include "framework/Application.h"
#include "ui/About.h"
#include "ui/Accelerator.h"
#include "ui/Main.h"
#include "ui/Option.h"

using namespace fw;

void TFormMain::BuildMenus() {
    struct TItem {
        TPopupMenu* Menu;
        TMenuItem** Field;  // nullptr for a separator
        const char* Name;
        const char* Caption;
        void (TFormMain::*Click)(TObject*);  // nullptr: connected once the dialogs exist
    };
    const TItem items[] = {
        {popupListView, &cmdAdd1, "cmdAdd1", "&Add", nullptr},
        {popupListView, &cmdEdit1, "cmdEdit1", "Edi&t", nullptr},
        {popupListView, &cmdDelete1, "cmdDelete1", "Delete", &TFormMain::cmdDelete1Click},
        {popupListView, nullptr, "N3", "-", nullptr},
        {popupListView, &DisableSelected1, "DisableSelected1", "D&isable Selected", &TFormMain::cmdDisableSelected1Click},
        {popupListView, &EnableSelected1, "EnableSelected1", "E&nable Selected", &TFormMain::cmdEnableSelected1Click},
        {popupListView, nullptr, "ListViewSep1", "-", nullptr},
        {popupListView, &cmdDisableAll1, "cmdDisableAll1", "&Disable All", &TFormMain::cmdDisableAll1Click},
        {popupListView, &cmdEnableAll1, "cmdEnableAll1", "&Enable All", &TFormMain::cmdEnableAll1Click},
        {popupListView, nullptr, "N2", "-", nullptr},
        {popupListView, &Hide1, "Hide1", "&Hide", &TFormMain::Hide1Click},
        {popupListView, nullptr, "ListViewSep2", "-", nullptr},
        {popupListView, &cmdOption1, "cmdOption1", "&Options...", nullptr},
        {popupListView, &cmdAbout1, "cmdAbout1", "About...", nullptr},
        {popupListView, &cmdExit1, "cmdExit1", "E&xit", &TFormMain::cmdExit1Click},
        {popupTrayIcon, &cmdDisableAll2, "cmdDisableAll2", "&Disable All", &TFormMain::cmdDisableAll1Click},
        {popupTrayIcon, &cmdEnableAll2, "cmdEnableAll2", "&Enable All", &TFormMain::cmdEnableAll1Click},
        {popupTrayIcon, nullptr, "N1", "-", nullptr},
        {popupTrayIcon, &Show2, "Show2", "&Show", &TFormMain::Show2Click},
        {popupTrayIcon, &Hide2, "Hide2", "&Hide", &TFormMain::Hide1Click},
        {popupTrayIcon, nullptr, "TrayIconSep1", "-", nullptr},
        {popupTrayIcon, &cmdOption2, "cmdOption2", "&Options...", nullptr},
        {popupTrayIcon, &cmdAbout2, "cmdAbout2", "&About...", nullptr},
        {popupTrayIcon, &cmdExit2, "cmdExit2", "E&xit", &TFormMain::cmdExit1Click},
    };
    for (const TItem& it : items) {
        auto* mi = new TMenuItem(this);
        mi->SetName(it.Name);
        mi->SetCaption(it.Caption);
        if (it.Click) mi->OnClick = Bind(this, it.Click);
        it.Menu->Add(mi);
        if (it.Field) *it.Field = mi;
        // What opens a dialog stays off until the dialogs are there.
        if (it.Field && !it.Click) mi->SetEnabled(false);
    }
    cmdDelete1->SetShortCut("Del");
    Hide2->SetEnabled(false);
    popupListView->OnPopup = Bind(this, &TFormMain::popupListViewPopup);
}

void TFormMain::Connect(const TDialogs& dialogs) {
    // The editor, the options dialog and the about box are reached only through these, so
    // no command can reach a dialog before it exists.
    TFormAccelerator& editor = dialogs.Editor;
    auto edit = [this, &editor](TObject*) {
        if (ListView1->Selected() >= 0) OpenEditor(editor);
    };
    cmdAdd1->OnClick = [this, &editor](TObject*) {
        ListView1->SetSelected(FList.BlankRow());
        OpenEditor(editor);
    };
    cmdEdit1->OnClick = edit;
    ListView1->OnDblClick = edit;
    ListView1->OnKeyPress = [this, &editor](TObject*, char& Key) {
        if (Key != '\r' || ListView1->Selected() < 0) return;
        Key = 0;
        OpenEditor(editor);
    };
    // Shown modelessly; showing one that is open brings it forward.
    for (TMenuItem* item : {cmdOption1, cmdOption2}) item->OnClick = [&options = dialogs.Options](TObject*) { options.Show(); };
    for (TMenuItem* item : {cmdAbout1, cmdAbout2}) item->OnClick = [&about = dialogs.About](TObject*) { about.Show(); };
    for (TMenuItem* item : {cmdAdd1, cmdOption1, cmdOption2, cmdAbout1, cmdAbout2}) item->SetEnabled(true);
    UpdateTrayItems();
}

void TFormMain::UpdateTrayItems() {
    // While a binding is edited every shortcut is off and must stay so, and the editor's
    // owner must stay where the editor is.
    Show2->SetEnabled(!Visible());
    Hide2->SetEnabled(Visible() && !FEditing);
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
    const int selected = ListView1->Selected();
    if (Key == VK_UP || Key == VK_DOWN) {
        // The blank row holds the focus; the movement starts from the selected row.
        if (selected >= 0) ListView1->SetItemFocused(selected);
    } else if (Key == VK_DELETE) {
        // The Delete item's rule for the row selected now, whatever the menu showed last.
        if (FList.IsBindingRow(selected)) DeleteSelected();
        Key = 0;
    }
}

void TFormMain::ListView1SelectItem(TObject*, int, bool) {
    RECT client{};
    ::GetClientRect(ListView1->Handle(), &client);
    if (ListView1->TopOfRow(FList.BlankRow()) <= client.bottom) ListView1->SetItemFocused(FList.BlankRow());
}

void TFormMain::TrayIcon1Click(TObject*) { ShowInFront(); }

void TFormMain::Show2Click(TObject*) { ShowInFront(); }

void TFormMain::ShowInFront() {
    Show();
    // An open dialog stays in front of the window that opened it.
    if (TForm* modal = Application->ModalForm()) modal->BringToFront();
}

void TFormMain::Hide1Click(TObject*) { Hide(); }

void TFormMain::FormShow(TObject*) {
    Show2->SetEnabled(false);
    Hide2->SetEnabled(!FEditing);
}

void TFormMain::FormHide(TObject*) {
    Show2->SetEnabled(true);
    Hide2->SetEnabled(false);
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
    // A binding row is edited, whatever its action; the blank row after the last adds one.
    const bool editing = FList.IsBindingRow(i);
    TEditRequest request;
    if (editing) request.Binding = FList.At(i);
    request.EditIndex = i;
    request.Shortcuts = FList.Shortcuts();
    request.HeldBy = [this](const TBinding& b) { return FStore->HeldBy(b); };
    request.SuspendHotKeys = [this](bool suspended) { SetHotKeysSuspended(suspended); };

    std::optional<TBinding> result;
    {
        // While the editor is open the tray's Hide and its Enable/Disable All are off.
        struct TEditing {
            TFormMain& Form;
            explicit TEditing(TFormMain& form) : Form(form) { Form.FEditing = true, Form.UpdateTrayItems(); }
            ~TEditing() { Form.FEditing = false, Form.UpdateTrayItems(), Form.ResumeLoad(); }
        } editing_(*this);
        result = editor.Edit(request);
    }
    // Exit chosen during the edit ends the program: nothing is applied, nothing shown.
    if (Application->TerminateRequested()) return;
    if (result) {
        const TBinding& b = *result;
        if (editing)
            UpdateBinding(b.Action, static_cast<std::uint16_t>(b.VirtualKey()), b.Ctrl(), b.Alt(), b.Shift(), b.Enabled);
        else
            AddBinding(b.Action, static_cast<std::uint16_t>(b.VirtualKey()), b.Ctrl(), b.Alt(), b.Shift(), b.Enabled);
        SaveBindings();
        ReportRefused({FList.RowOfShortcut(result->ShortcutText())});
    }
    ShowInFront();
}
