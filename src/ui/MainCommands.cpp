// The main window's commands: both pop-up menus, the list's keys and clicks, showing and
// hiding, and the hand-off to the binding editor.
#include "app/Keys.h"
#include "framework/Application.h"
#include "launch/Launch.h"
#include "ui/About.h"
#include "ui/Accelerator.h"
#include "ui/Main.h"
#include "ui/Option.h"

using namespace fw;

void TFormMain::BuildMenus() {
    auto item = [this](TPopupMenu* menu, const char* name, const char* caption,
                       TNotifyEvent onClick) {
        auto* mi = new TMenuItem(this);
        mi->SetName(name);
        mi->SetCaption(caption);
        mi->OnClick = std::move(onClick);
        menu->Add(mi);
        return mi;
    };
    cmdAdd1 = item(popupListView, "cmdAdd1", "&Add", Bind(this, &TFormMain::cmdAdd1Click));
    cmdEdit1 = item(popupListView, "cmdEdit1", "Edi&t", Bind(this, &TFormMain::cmdEdit1Click));
    cmdDelete1 = item(popupListView, "cmdDelete1", "Delete", Bind(this, &TFormMain::cmdDelete1Click));
    cmdDelete1->SetShortCut("Del");
    item(popupListView, "N3", "-", nullptr);
    DisableSelected1 = item(popupListView, "DisableSelected1", "D&isable Selected",
                            Bind(this, &TFormMain::cmdDisableSelected1Click));
    EnableSelected1 = item(popupListView, "EnableSelected1", "E&nable Selected",
                           Bind(this, &TFormMain::cmdEnableSelected1Click));
    item(popupListView, "ListViewSep1", "-", nullptr);
    cmdDisableAll1 = item(popupListView, "cmdDisableAll1", "&Disable All", Bind(this, &TFormMain::cmdDisableAll1Click));
    cmdEnableAll1 = item(popupListView, "cmdEnableAll1", "&Enable All", Bind(this, &TFormMain::cmdEnableAll1Click));
    item(popupListView, "N2", "-", nullptr);
    Hide1 = item(popupListView, "Hide1", "&Hide", Bind(this, &TFormMain::Hide1Click));
    item(popupListView, "ListViewSep2", "-", nullptr);
    cmdOption1 = item(popupListView, "cmdOption1", "&Options...", Bind(this, &TFormMain::cmdOption1Click));
    cmdAbout1 = item(popupListView, "cmdAbout1", "About...", Bind(this, &TFormMain::cmdAbout1Click));
    cmdExit1 = item(popupListView, "cmdExit1", "E&xit", Bind(this, &TFormMain::cmdExit1Click));
    popupListView->OnPopup = Bind(this, &TFormMain::popupListViewPopup);

    cmdDisableAll2 = item(popupTrayIcon, "cmdDisableAll2", "&Disable All", Bind(this, &TFormMain::cmdDisableAll1Click));
    cmdEnableAll2 = item(popupTrayIcon, "cmdEnableAll2", "&Enable All", Bind(this, &TFormMain::cmdEnableAll1Click));
    item(popupTrayIcon, "N1", "-", nullptr);
    Show2 = item(popupTrayIcon, "Show2", "&Show", Bind(this, &TFormMain::Show2Click));
    Hide2 = item(popupTrayIcon, "Hide2", "&Hide", Bind(this, &TFormMain::Hide1Click));
    Hide2->SetEnabled(false);
    item(popupTrayIcon, "TrayIconSep1", "-", nullptr);
    cmdOption2 = item(popupTrayIcon, "cmdOption2", "&Options...", Bind(this, &TFormMain::cmdOption1Click));
    cmdAbout2 = item(popupTrayIcon, "cmdAbout2", "&About...", Bind(this, &TFormMain::cmdAbout1Click));
    cmdExit2 = item(popupTrayIcon, "cmdExit2", "E&xit", Bind(this, &TFormMain::cmdExit1Click));
}

void TFormMain::UpdateTrayItems() {
    // While a binding is edited every shortcut is off and must stay so, and the editor's
    // owner must stay where the editor is.
    Show2->SetEnabled(!Visible());
    Hide2->SetEnabled(Visible() && !FEditing);
    cmdDisableAll2->SetEnabled(!FEditing);
    cmdEnableAll2->SetEnabled(!FEditing);
}

void TFormMain::popupListViewPopup(TObject* Sender) {
    (void)Sender;
    const int i = ListView1->Selected();
    cmdEdit1->SetEnabled(i >= 0);
    cmdDelete1->SetEnabled(IsBindingRow(i));
}

void TFormMain::cmdAdd1Click(TObject* Sender) {
    (void)Sender;
    ListView1->SetSelected(BindingCount());
    OpenEditor();
}

void TFormMain::cmdEdit1Click(TObject* Sender) {
    (void)Sender;
    if (ListView1->Selected() >= 0) OpenEditor();
}

void TFormMain::cmdDelete1Click(TObject* Sender) {
    (void)Sender;
    DeleteSelected();
}

void TFormMain::ListView1DblClick(TObject* Sender) {
    (void)Sender;
    if (ListView1->Selected() >= 0) OpenEditor();
}

void TFormMain::ListView1KeyPress(TObject* Sender, char& Key) {
    (void)Sender;
    if (Key == '\r' && ListView1->Selected() >= 0) {
        Key = 0;
        OpenEditor();
    }
}

void TFormMain::ListView1KeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    (void)Sender;
    (void)Shift;
    const int selected = ListView1->Selected();
    if (Key == VK_UP || Key == VK_DOWN) {
        // The blank row holds the focus; the movement starts from the selected row.
        if (selected >= 0) ListView1->SetItemFocused(selected);
    } else if (Key == VK_DELETE) {
        // The Delete item's rule for the row selected now, whatever the menu showed last.
        if (IsBindingRow(selected)) DeleteSelected();
        Key = 0;
    }
}

void TFormMain::ListView1SelectItem(TObject* Sender, int Item, bool Selected) {
    (void)Sender;
    (void)Item;
    (void)Selected;
    const int blank = BindingCount();
    RECT client{};
    ::GetClientRect(ListView1->Handle(), &client);
    if (ListView1->TopOfRow(blank) <= client.bottom) ListView1->SetItemFocused(blank);
}

void TFormMain::cmdOption1Click(TObject* Sender) {
    (void)Sender;
    FormOption->Show();  // brings it forward when it is open already
}

void TFormMain::cmdAbout1Click(TObject* Sender) {
    (void)Sender;
    AboutBox->Show();
}

void TFormMain::TrayIcon1Click(TObject* Sender) {
    (void)Sender;
    ShowInFront();
}

void TFormMain::Show2Click(TObject* Sender) {
    (void)Sender;
    ShowInFront();
}

void TFormMain::ShowInFront() {
    Show();
    // An open dialog stays in front of the window that opened it.
    if (TForm* modal = Application->ModalForm()) modal->BringToFront();
}

void TFormMain::Hide1Click(TObject* Sender) {
    (void)Sender;
    Hide();
}

void TFormMain::FormShow(TObject* Sender) {
    (void)Sender;
    Show2->SetEnabled(false);
    Hide2->SetEnabled(!FEditing);
}

void TFormMain::FormHide(TObject* Sender) {
    (void)Sender;
    Show2->SetEnabled(true);
    Hide2->SetEnabled(false);
    SaveWindowPlacement();
}

void TFormMain::FormKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    (void)Sender;
    (void)Shift;
    if (Key == VK_ESCAPE) Hide();
}

void TFormMain::ReportRefused(const std::vector<int>& rows) {
    std::vector<std::string> held;
    for (int i : rows) {
        if (!IsBindingRow(i)) continue;
        const THotKeyItem* item = QmHK->HotKeys()->Items(i);
        if (item->Enabled() && item->Refused()) held.push_back(ListView1->SubItems(i).at(0));
    }
    if (held.empty()) return;
    std::string text;
    if (held.size() == 1) {
        text = "The shortcut " + held[0] + " is held by another program, so it cannot run now.\r\n"
               "It stays enabled and works at a later start once the shortcut is free.";
    } else {
        text = "These shortcuts are held by other programs, so they cannot run now:";
        for (const std::string& s : held) text += "\r\n    " + s;
        text += "\r\nThey stay enabled and work at a later start once the shortcuts are free.";
    }
    ShowMessageBox(text, "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
}

void TFormMain::OpenEditor() {
    const int i = ListView1->Selected();
    if (i < 0) return;
    TFormAccelerator* editor = FormAccelerator;
    if (editor->cbKey->Items().Count() == 0)
        for (std::string_view name : KeyNames) editor->cbKey->Items().Add(std::string(name));
    // A binding row is edited, whatever its action; the blank row after the last adds one.
    const bool editing = IsBindingRow(i);
    if (editing) {
        const TBinding b = BindingAt(i);
        editor->cbAction->SetText(b.Action);
        editor->chkCtrl->SetChecked(b.Ctrl());
        editor->chkAlt->SetChecked(b.Alt());
        editor->chkShift->SetChecked(b.Shift());
        editor->cbKey->SetItemIndex(b.Key);
    } else {
        editor->cbAction->SetItemIndex(-1);
        editor->cbAction->SetText("http://");
        for (TCheckBox* c : {editor->chkCtrl, editor->chkAlt, editor->chkShift}) c->SetChecked(false);
        editor->cbKey->SetItemIndex(-1);
        editor->cbKey->SetText("(Choose Key)");
    }
    editor->chkEnabled->SetChecked(ListView1->StateIndex(i) == 0);
    editor->EditIndex = i;
    editor->Saved = false;
    editor->Modified = false;

    FEditing = true;
    UpdateTrayItems();
    int result = mrCancel;
    try {
        result = editor->ShowModal();
    } catch (...) {
        FEditing = false;
        UpdateTrayItems();
        throw;
    }
    FEditing = false;
    UpdateTrayItems();
    // Exit chosen during the edit ends the program: nothing is applied, nothing shown.
    if (Application->TerminateRequested()) return;
    if (result == mrOk && editor->Saved) {
        const std::optional<TBinding> b =
            MakeBinding(editor->ActionText, editor->KeyCode, editor->chkCtrl->Checked(),
                        editor->chkAlt->Checked(), editor->chkShift->Checked(), editor->chkEnabled->Checked());
        if (b) {
            if (editing)
                UpdateBinding(*b);
            else
                AddBinding(*b);
            SaveBindings();
            ReportRefused({RowOfShortcut(b->ShortcutText())});
        }
    }
    ShowInFront();
}
