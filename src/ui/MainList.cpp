// The binding list's operations: each changes the model, then the list view and the hotkey
// items follow it. Row i, item i and binding i of the model are one binding for the whole run.
#include <stdexcept>

#include "ui/Main.h"
#include "ui/Messages.h"

using namespace fw;

namespace {

TBinding BindingOfCode(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                       bool shift, bool enabled) {
    // NONE is in the table but can never be registered: no binding may use it.
    std::optional<TBinding> b = MakeBinding(action, keyCode, ctrl, alt, shift, enabled);
    if (!b) throw std::invalid_argument("Key code " + std::to_string(keyCode) + " cannot be bound");
    return *b;
}

}  // namespace

void TFormMain::Follow(const TListChange& change, bool retryRefused) { FViews->Follow(change, retryRefused); }

void TFormMain::SetHotKeysSuspended(bool suspended) { FViews->SetSuspended(suspended); }

void TFormMain::AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                           bool shift, bool enabled) {
    Follow(FList.Add(BindingOfCode(action, keyCode, ctrl, alt, shift, enabled)));
}

void TFormMain::UpdateBinding(const std::string& action, std::uint16_t keyCode, bool ctrl,
                              bool alt, bool shift, bool enabled) {
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

void TFormMain::EnableRow(int i) {
    if (!FList.IsBindingRow(i)) throw std::out_of_range("No binding in row " + std::to_string(i));
    Follow(FList.Enable(i), true);
}

void TFormMain::DisableRow(int i) {
    if (!FList.IsBindingRow(i)) throw std::out_of_range("No binding in row " + std::to_string(i));
    Follow(FList.Disable(i));
}

void TFormMain::cmdEnableSelected1Click(TObject*) {
    const int i = ListView1->Selected();
    if (!FList.IsBindingRow(i)) return;
    EnableRow(i);
    SaveBindings();
    ReportRefused({i});
}

void TFormMain::cmdDisableSelected1Click(TObject*) {
    const int i = ListView1->Selected();
    if (!FList.IsBindingRow(i)) return;
    DisableRow(i);
    SaveBindings();
}

void TFormMain::cmdEnableAll1Click(TObject*) {
    const TListChange change = FList.EnableAll();
    Follow(change, true);
    SaveBindings();
    ReportRefused(change.Rows);
}

void TFormMain::cmdDisableAll1Click(TObject*) {
    Follow(FList.DisableAll());
    SaveBindings();
}

void TFormMain::ReportRefused(const std::vector<int>& rows) {
    std::vector<std::string> held;
    for (int i : rows)
        if (FList.IsBindingRow(i) && FList.At(i).Enabled && QmHK->HotKeys()->Items(i)->Refused())
            held.push_back(FList.At(i).ShortcutText());
    if (!held.empty()) ShowMessageBox(RefusedMessage(held), "Tarvo Error", MB_OK | MB_ICONEXCLAMATION);
}
