// The binding list's operations: each changes the model, then the list view and the hotkey
// items follow it. Row i, item i and binding i of the model are one binding for the whole run.
#include "ui/Main.h"
#include "ui/Messages.h"

using namespace fw;

void TFormMain::Follow(const TListChange& change, bool retryRefused) { FViews->Follow(change, retryRefused); }

void TFormMain::SetHotKeysSuspended(bool suspended) { FViews->SetSuspended(suspended); }

void TFormMain::AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt, bool shift, bool enabled) {
    Follow(FList.Add(BindingOfCode(action, keyCode, ctrl, alt, shift, enabled)));
}

void TFormMain::UpdateBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt, bool shift, bool enabled) {
    const TBinding b = BindingOfCode(action, keyCode, ctrl, alt, shift, enabled);
    if (FList.IsBindingRow(ListView1->Selected())) Follow(FList.Update(ListView1->Selected(), b));
}

void TFormMain::SwapRows(int i, int j) { Follow(FList.Exchange(i, j)); }

void TFormMain::SortList(int column) { Follow(FList.Sort(column)); }

void TFormMain::ListView1ColumnClick(TObject*, int Column) { Follow(FList.ColumnClick(Column)); }

void TFormMain::DeleteSelected() {
    const int i = ListView1->Selected();
    if (!FList.IsBindingRow(i)) return;
    if (ShowMessageBox("Are you sure you want to delete this tarvo permanently?", "Delete Confirm",
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    // A hotkey could have run meanwhile; the selection is read again.
    if (ListView1->Selected() != i || !FList.IsBindingRow(i)) return;
    Follow(FList.Delete(i));
    SaveBindings();
}

void TFormMain::EnableRow(int i) { Follow(FList.Enable(i), true); }

void TFormMain::DisableRow(int i) { Follow(FList.Disable(i)); }

void TFormMain::Switched(const TListChange& change) {
    // Asked for again even when off already: an enabled row's shortcut may have been refused.
    Follow(change, true);
    SaveBindings();
    ReportRefused(change.Rows);
}

void TFormMain::cmdEnableSelected1Click(TObject*) {
    if (FList.IsBindingRow(ListView1->Selected())) Switched(FList.Enable(ListView1->Selected()));
}

void TFormMain::cmdDisableSelected1Click(TObject*) {
    if (FList.IsBindingRow(ListView1->Selected())) Switched(FList.Disable(ListView1->Selected()));
}

void TFormMain::cmdEnableAll1Click(TObject*) { Switched(FList.EnableAll()); }

void TFormMain::cmdDisableAll1Click(TObject*) { Switched(FList.DisableAll()); }

void TFormMain::ReportRefused(const std::vector<int>& rows) {
    const std::vector<std::string> held = FViews->RefusedShortcuts(rows);
    if (!held.empty()) ShowMessageBox(RefusedMessage(held), "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
}
