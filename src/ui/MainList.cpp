// The binding list: rows of ListView1 and items of QmHK kept in lockstep behind the blank row.
#include <optional>
#include <stdexcept>

#include "launch/Launch.h"
#include "ui/BindingOrder.h"
#include "ui/Main.h"

using namespace fw;

int SortColumn = 1;

namespace {

// Sets an item's key, then its modifiers: modifiers are ignored while the item has no key.
void SetShortcut(THotKeyItem* item, TVirtKey key, TModifiers modifiers) {
    item->SetVirtKey(key);
    item->SetModifiers(TModifiers());
    item->SetModifiers(modifiers);
}

TBinding BindingOfCode(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                       bool shift, bool enabled) {
    // NONE is in the table but can never be registered: no binding may use it.
    std::optional<TBinding> b = MakeBinding(action, keyCode, ctrl, alt, shift, enabled);
    if (!b) throw std::invalid_argument("Key code " + std::to_string(keyCode) + " cannot be bound");
    return *b;
}

const char* const kRefusedHint =
    "Another program holds this shortcut, so it cannot run here until that program lets it go.";

}  // namespace

int TFormMain::BindingCount() const { return QmHK->HotKeys()->Count(); }

TBinding TFormMain::BindingAt(int i) const {
    const THotKeyItem* item = QmHK->HotKeys()->Items(i);
    return {ListView1->ItemCaption(i), item->VirtKey(), item->Modifiers(), item->Enabled()};
}

std::vector<TBinding> TFormMain::Bindings() const {
    std::vector<TBinding> all;
    all.reserve(static_cast<size_t>(BindingCount()));
    for (int i = 0; i < BindingCount(); ++i) all.push_back(BindingAt(i));
    return all;
}

void TFormMain::AddBinding(const std::string& action, std::uint16_t keyCode, bool ctrl, bool alt,
                           bool shift, bool enabled) {
    AddBinding(BindingOfCode(action, keyCode, ctrl, alt, shift, enabled));
}

void TFormMain::AddBinding(const TBinding& b) {
    if (b.Key == vkNone || !IsVirtKey(b.Key)) throw std::invalid_argument("A binding needs a key");
    const std::string text = b.ShortcutText();
    TListUpdate update(ListView1);
    // When the rows are in order, the new row goes straight to the place the sort would move
    // it to: after every equal key. (SortList on the other column can leave them otherwise.)
    const int n = BindingCount();
    int at = n;
    if (!FDeferSort && (SortColumn == 0 || SortColumn == 1) && IsSorted(SortColumn)) {
        at = InsertPosition(n, [this](int row) -> const std::string& { return ColumnText(row, SortColumn); },
                            SortColumn == 0 ? b.Action : text);
    }
    ListView1->Insert(at);
    ListView1->SetStateIndex(at, b.Enabled ? 0 : 1);
    ListView1->SetItemCaption(at, b.Action);
    ListView1->AddSubItem(at, text);
    THotKeyItem* item = QmHK->HotKeys()->Add();
    if (at != n) {
        std::vector<int> from(static_cast<size_t>(n) + 1);
        for (int p = 0; p <= n; ++p) from[static_cast<size_t>(p)] = p < at ? p : (p == at ? n : p - 1);
        QmHK->HotKeys()->Reorder(from);
    }
    SetShortcut(item, b.Key, b.Modifiers);
    item->SetEnabled(b.Enabled);
    if (!FDeferSort && (at == n || !InOrderAround(at, SortColumn))) SortList(SortColumn);
}

void TFormMain::AddBindings(const std::vector<TBinding>& bindings) {
    TListUpdate update(ListView1);
    FDeferSort = true;
    struct TSortAfter {
        TFormMain* Form;
        ~TSortAfter() {
            Form->FDeferSort = false;
            fw::GuardedCall([this] {
                Form->SortList(SortColumn);
                return LRESULT{0};
            });
        }
    } sortAfter{this};
    for (const TBinding& b : bindings) AddBinding(b);
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
    UpdateBinding(BindingOfCode(action, keyCode, ctrl, alt, shift, enabled));
}

void TFormMain::UpdateBinding(const TBinding& b) {
    const int i = ListView1->Selected();
    if (!IsBindingRow(i)) return;
    if (b.Key == vkNone || !IsVirtKey(b.Key)) throw std::invalid_argument("A binding needs a key");
    const std::string text = b.ShortcutText();
    TListUpdate update(ListView1);
    ListView1->SetStateIndex(i, b.Enabled ? 0 : 1);
    ListView1->SetItemCaption(i, b.Action);
    THotKeyItem* item = QmHK->HotKeys()->Items(i);
    const auto& sub = ListView1->SubItems(i);
    if (sub.empty() || sub[0] != text) {
        ListView1->SetSubItems(i, {text});
        // Off first: a key change alone would keep the old registration live.
        item->SetEnabled(false);
        SetShortcut(item, b.Key, b.Modifiers);
    }
    item->SetEnabled(b.Enabled);
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
    if (!IsBindingRow(i)) return;
    if (ShowMessageBox("Are you sure you want to delete this tarvo permanently?", "Delete Confirm",
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    // A hotkey could have run meanwhile; the selection is read again.
    const int row = ListView1->Selected();
    if (row != i || !IsBindingRow(row)) return;
    QmHK->HotKeys()->Items(row)->DeleteItem();
    ListView1->Delete(row);
    SaveBindings();
}

void TFormMain::EnableRow(int i) {
    THotKeyItem* item = QmHK->HotKeys()->Items(i);  // checks i first: the blank row has no item
    ListView1->SetStateIndex(i, 0);
    // One the system refused before is asked for again: the user wants it on now.
    if (item->Enabled() && !item->Registered())
        item->RegisterKey();
    else
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
    if (!IsBindingRow(i)) return;
    EnableRow(i);
    SaveBindings();
    ReportRefused({i});
}

void TFormMain::cmdDisableSelected1Click(TObject* Sender) {
    (void)Sender;
    const int i = ListView1->Selected();
    if (!IsBindingRow(i)) return;
    DisableRow(i);
    SaveBindings();
}

void TFormMain::cmdEnableAll1Click(TObject* Sender) {
    (void)Sender;
    std::vector<int> rows;
    {
        // The list is redrawn once for all rows, not row by row.
        TListUpdate update(ListView1);
        for (int i = 0; i < BindingCount(); ++i) {
            EnableRow(i);
            rows.push_back(i);
        }
    }
    SaveBindings();
    ReportRefused(rows);
}

void TFormMain::cmdDisableAll1Click(TObject* Sender) {
    (void)Sender;
    {
        TListUpdate update(ListView1);
        for (int i = 0; i < BindingCount(); ++i) DisableRow(i);
    }
    SaveBindings();
}

std::vector<std::string> TFormMain::Shortcuts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < BindingCount(); ++i) texts.push_back(ColumnText(i, 1));
    return texts;
}

int TFormMain::RowOfShortcut(const std::string& text) const {
    for (int i = 0; i < BindingCount(); ++i)
        if (ColumnText(i, 1) == text) return i;
    return -1;
}

void TFormMain::SuspendHotKeys() {
    for (int i = 0; i < BindingCount(); ++i) QmHK->HotKeys()->Items(i)->SetEnabled(false);
}

void TFormMain::ResumeHotKeys() {
    for (int i = 0; i < BindingCount(); ++i)
        if (ListView1->StateIndex(i) == 0) QmHK->HotKeys()->Items(i)->SetEnabled(true);
}

void TFormMain::QmHKRegistrationChanged(TObject* Sender, int Index) {
    (void)Sender;
    if (Index < 0 || Index >= BindingCount()) return;
    const bool refused = QmHK->HotKeys()->Items(Index)->Refused();
    ListView1->SetRowMark(Index, refused, refused ? kRefusedHint : "");
}
