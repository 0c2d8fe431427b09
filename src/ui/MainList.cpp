// The binding list: rows of ListView1 and items of QmHK kept in lockstep behind the blank row.
#include <stdexcept>

#include "app/Keys.h"
#include "launch/Launch.h"
#include "ui/BindingOrder.h"
#include "ui/Main.h"

using namespace fw;

int SortColumn = 1;

namespace {

TModifiers ModifiersOf(bool ctrl, bool alt, bool shift) {
    TModifiers m;
    if (ctrl) m = m.With(modControl);
    if (alt) m = m.With(modAlt);
    if (shift) m = m.With(modShift);
    return m;
}

// Sets an item's key, then its modifiers: modifiers are ignored while the item has no key.
void SetShortcut(THotKeyItem* item, TVirtKey key, TModifiers modifiers) {
    item->SetVirtKey(key);
    item->SetModifiers(TModifiers());
    item->SetModifiers(modifiers);
}

int KeyIndexOrThrow(std::uint16_t keyCode) {
    const int k = KeyIndexOfCode(keyCode);
    // NONE is in the table but can never be registered: no binding may use it.
    if (k <= 0) throw std::invalid_argument("Key code " + std::to_string(keyCode) + " cannot be bound");
    return k;
}

const char* const kRefusedHint =
    "Another program holds this shortcut, so it cannot run here until that program lets it go.";

}  // namespace

int TFormMain::BindingCount() const { return QmHK->HotKeys()->Count(); }

void TFormMain::AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                           bool shift, bool enabled) {
    const int k = KeyIndexOrThrow(keyCode);
    const std::string text = MakeShortcutText(ctrl, alt, shift, KeyNames[static_cast<size_t>(k)]);
    TListUpdate update(ListView1);
    // When the rows are in order, the new row goes straight to the place the sort would move
    // it to: after every equal key. (SortList on the other column can leave them otherwise.)
    const int n = BindingCount();
    int at = n;
    if (!FDeferSort && (SortColumn == 0 || SortColumn == 1) && IsSorted(SortColumn)) {
        at = InsertPosition(n, [this](int row) -> const std::string& { return ColumnText(row, SortColumn); },
                            SortColumn == 0 ? action : text);
    }
    ListView1->Insert(at);
    ListView1->SetStateIndex(at, enabled ? 0 : 1);
    ListView1->SetItemCaption(at, action);
    ListView1->AddSubItem(at, text);
    THotKeyItem* item = QmHK->HotKeys()->Add();
    if (at != n) {
        std::vector<int> from(static_cast<size_t>(n) + 1);
        for (int p = 0; p <= n; ++p) from[static_cast<size_t>(p)] = p < at ? p : (p == at ? n : p - 1);
        QmHK->HotKeys()->Reorder(from);
    }
    SetShortcut(item, static_cast<TVirtKey>(k), ModifiersOf(ctrl, alt, shift));
    item->SetEnabled(enabled);
    if (!FDeferSort && (at == n || !InOrderAround(at, SortColumn))) SortList(SortColumn);
}

bool TFormMain::InOrderAround(int row, int column) const {
    const int n = BindingCount();
    return (row == 0 || CompareBindingKeys(ColumnText(row - 1, column), ColumnText(row, column)) <= 0) &&
           (row + 1 >= n || CompareBindingKeys(ColumnText(row, column), ColumnText(row + 1, column)) <= 0);
}

const std::string& TFormMain::ColumnText(int row, int column) const {
    static const std::string none;
    if (column == 0) return ListView1->ItemCaption(row);
    const auto& sub = ListView1->SubItems(row);
    return sub.empty() ? none : sub[0];
}

bool TFormMain::IsSorted(int column) const {
    for (int i = 1; i < BindingCount(); ++i)
        if (CompareBindingKeys(ColumnText(i - 1, column), ColumnText(i, column)) > 0) return false;
    return true;
}

void TFormMain::UpdateBinding(const std::string& action, std::uint16_t keyCode, bool ctrl,
                              bool alt, bool shift, bool enabled) {
    const int i = ListView1->Selected();
    if (i < 0 || i >= BindingCount()) return;
    const int k = KeyIndexOrThrow(keyCode);
    const std::string text = MakeShortcutText(ctrl, alt, shift, KeyNames[static_cast<size_t>(k)]);
    TListUpdate update(ListView1);
    ListView1->SetStateIndex(i, enabled ? 0 : 1);
    ListView1->SetItemCaption(i, action);
    THotKeyItem* item = QmHK->HotKeys()->Items(i);
    const auto& sub = ListView1->SubItems(i);
    if (sub.empty() || sub[0] != text) {
        ListView1->SetSubItems(i, {text});
        // Off first: a key change alone would keep the old registration live.
        item->SetEnabled(false);
        SetShortcut(item, static_cast<TVirtKey>(k), ModifiersOf(ctrl, alt, shift));
    }
    item->SetEnabled(enabled);
    SortList(SortColumn);
}

void TFormMain::SwapRows(int i, int j) {
    const int n = BindingCount();
    if (i == j || i < 0 || j < 0 || i >= n || j >= n) return;
    ListView1->ExchangeRows(i, j);
    THotKeyItem* a = QmHK->HotKeys()->Items(i);
    THotKeyItem* b = QmHK->HotKeys()->Items(j);
    const bool enabledA = a->Enabled(), enabledB = b->Enabled();
    const TVirtKey keyA = a->VirtKey(), keyB = b->VirtKey();
    const TModifiers modsA = a->Modifiers(), modsB = b->Modifiers();
    // Both off before either changes, so no two registrations ever carry one shortcut.
    a->SetEnabled(false);
    b->SetEnabled(false);
    SetShortcut(a, keyB, modsB);
    SetShortcut(b, keyA, modsA);
    a->SetEnabled(enabledB);
    b->SetEnabled(enabledA);
}

void TFormMain::SortList(int column) {
    if (column != 0 && column != 1) return;
    const int n = BindingCount();
    if (n < 2 || IsSorted(column)) return;
    std::vector<std::string> texts(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) texts[static_cast<size_t>(i)] = ColumnText(i, column);
    // The stable order that exchanging neighbours would reach, computed at once. Rows and
    // items move together, so every binding keeps its registration: nothing is unregistered,
    // and no two registered items ever carry one shortcut.
    const std::vector<int> from = SortedOrder(texts);
    bool identity = true;
    for (int p = 0; p < n && identity; ++p) identity = from[static_cast<size_t>(p)] == p;
    if (identity) return;
    ListView1->ReorderRows(from);
    QmHK->HotKeys()->Reorder(from);
}

void TFormMain::ListView1ColumnClick(TObject* Sender, int Column) {
    (void)Sender;
    if (Column == 0) {
        SortList(0);
        SortColumn = 0;
    } else if (Column == 1) {
        SortColumn = 1;
        SortList(1);
    }
}

void TFormMain::DeleteSelected() {
    const int i = ListView1->Selected();
    if (i < 0 || ListView1->ItemCaption(i).empty()) return;
    if (ShowMessageBox("Are you sure you want to delete this tarvo permanently?", "Delete Confirm",
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    // A hotkey could have run meanwhile; the selection is read again.
    const int row = ListView1->Selected();
    if (row != i || row >= BindingCount()) return;
    QmHK->HotKeys()->Items(row)->DeleteItem();
    ListView1->Delete(row);
    SaveBindings();
}

void TFormMain::EnableRow(int i) {
    THotKeyItem* item = QmHK->HotKeys()->Items(i);  // checks i first: the blank row has no item
    ListView1->SetStateIndex(i, 0);
    item->SetEnabled(true);
}

void TFormMain::DisableRow(int i) {
    THotKeyItem* item = QmHK->HotKeys()->Items(i);
    ListView1->SetStateIndex(i, 1);
    item->SetEnabled(false);
}

void TFormMain::cmdEnableSelected1Click(TObject* Sender) {
    (void)Sender;
    const int i = ListView1->Selected();
    if (i < 0 || ListView1->ItemCaption(i).empty() || i >= BindingCount()) return;
    EnableRow(i);
    SaveBindings();
}

void TFormMain::cmdDisableSelected1Click(TObject* Sender) {
    (void)Sender;
    const int i = ListView1->Selected();
    if (i < 0 || ListView1->ItemCaption(i).empty() || i >= BindingCount()) return;
    DisableRow(i);
    SaveBindings();
}

void TFormMain::cmdEnableAll1Click(TObject* Sender) {
    (void)Sender;
    for (int i = 0; i < BindingCount(); ++i) EnableRow(i);
    SaveBindings();
}

void TFormMain::cmdDisableAll1Click(TObject* Sender) {
    (void)Sender;
    for (int i = 0; i < BindingCount(); ++i) DisableRow(i);
    SaveBindings();
}

void TFormMain::QmHKRegistrationChanged(TObject* Sender, int Index) {
    (void)Sender;
    if (Index < 0 || Index >= BindingCount()) return;
    const bool refused = QmHK->HotKeys()->Items(Index)->Refused();
    ListView1->SetRowMark(Index, refused, refused ? kRefusedHint : "");
}
