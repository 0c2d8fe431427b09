#include "ui/BindingViews.h"

#include "ui/Messages.h"
#include "ui/StateImages.h"

namespace {

// Sets an item's key, then its modifiers: modifiers are ignored while the item has no key.
void SetShortcut(THotKeyItem* item, const TBinding& b) {
    item->SetVirtKey(b.Key);
    item->SetModifiers(TModifiers());
    item->SetModifiers(b.Modifiers);
}

}  // namespace

TBindingViews::TBindingViews(TBindingList& model, fw::TListView& list, fw::TImageList& images, TQmHotKeys& hotKeys)
    : FModel(model), FList(list), FImages(images), FItems(*hotKeys.HotKeys()) {
    FList.SetRowSelect(true);
    FList.SetReadOnly(true);
    FList.AddColumn("Action", 350);
    FList.AddColumn("Hotkey", 125);
    FList.SetStateImages(&FImages);
    // The blank row, through which a binding is added, is there from the start.
    if (FList.Count() == 0) FList.SetStateIndex(FList.Insert(0), 0);
    hotKeys.OnRegistrationChanged = [this](fw::TObject*, int index) { RegistrationChanged(index); };
}

void TBindingViews::DrawStateImages(HWND window) {
    FillStateImages(&FImages, fw::ScaleForWindow(window, 16));
    // Filling made the images anew: the list is given them again.
    FList.SetStateImages(&FImages);
}

void TBindingViews::FocusBlankRow() { FList.SetItemFocused(FModel.BlankRow()); }

void TBindingViews::SelectionChanged() {
    RECT client{};
    ::GetClientRect(FList.Handle(), &client);
    if (FList.TopOfRow(FModel.BlankRow()) <= client.bottom) FocusBlankRow();
}

void TBindingViews::FocusSelectedRow() {
    if (FList.Selected() >= 0) FList.SetItemFocused(FList.Selected());
}

std::vector<std::string> TBindingViews::RefusedShortcuts(const std::vector<int>& rows) const {
    std::vector<std::string> held;
    for (int i : rows)
        if (FModel.IsBindingRow(i) && FModel.At(i).Enabled && FItems.Items(i)->Refused())
            held.push_back(FModel.At(i).ShortcutText());
    return held;
}

void TBindingViews::RegistrationChanged(int index) {
    if (FDeleting || !FModel.IsBindingRow(index) || index >= FList.Count()) return;
    const bool refused = FItems.Items(index)->Refused();
    FModel.SetRefused(index, refused);
    FList.SetRowMark(index, refused, refused ? RefusedHint() : "");
}

void TBindingViews::Follow(const TListChange& change, bool retryRefused) {
    const TBindingList& model = FModel;
    fw::TListUpdate update(&FList);
    const int n = model.Count();
    if (n < FItems.Count() && change.Rows.size() == 1) {
        // The binding is gone from the model already: what its item tells while it lets its
        // registration go is about no binding there.
        FDeleting = true;
        FItems.Items(change.Rows[0])->DeleteItem();
        FDeleting = false;
        FList.Delete(change.Rows[0]);
    }
    // Added bindings get a row before the blank one and an item each.
    while (FItems.Count() < n) {
        FList.Insert(FItems.Count());
        FItems.Add();
    }
    if (!change.From.empty()) {
        FList.ReorderRows(change.From);
        FItems.Reorder(change.From);
    }
    for (int i = 0; i < n; ++i) {
        const TBinding& b = model.At(i);
        if (FList.ItemCaption(i) != b.Action) FList.SetItemCaption(i, b.Action);
        const std::vector<std::string> texts{b.ShortcutText()};
        if (FList.SubItems(i) != texts) FList.SetSubItems(i, texts);
        FList.SetStateIndex(i, b.Enabled ? 0 : 1);
    }
    FList.SetStateIndex(n, 0);
    FollowItems();
    if (retryRefused && !FSuspended)
        for (int row : change.Rows)
            if (THotKeyItem* item = FItems.Items(row); item->Enabled() && !item->Registered()) item->RegisterKey();
}

void TBindingViews::SetSuspended(bool suspended) {
    FSuspended = suspended;
    FollowItems();
}

void TBindingViews::FollowItems() {
    const TBindingList& model = FModel;
    const int n = model.Count();
    // Every item whose shortcut changes is off before any is registered anew, so no two
    // registrations ever carry one shortcut.
    std::vector<bool> rekey(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        THotKeyItem* item = FItems.Items(i);
        const TBinding& b = model.At(i);
        rekey[static_cast<size_t>(i)] = item->VirtKey() != b.Key || !(item->Modifiers() == b.Modifiers);
        if (rekey[static_cast<size_t>(i)]) item->SetEnabled(false);
    }
    for (int i = 0; i < n; ++i) {
        THotKeyItem* item = FItems.Items(i);
        if (rekey[static_cast<size_t>(i)]) SetShortcut(item, model.At(i));
        item->SetEnabled(model.At(i).Enabled && !FSuspended);
    }
}
