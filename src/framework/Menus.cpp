#include "framework/Menus.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "framework/Application.h"
#include "framework/Controls.h"

namespace fw {

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    if (FMenu) FMenu->Remove(this);
}

void TMenuItem::Connect(TNotifyEvent handler) {
    OnClick = std::move(handler);
    FEnabled = true;
}

void TMenuItem::Click() { Fire(OnClick, this); }

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {}

TPopupMenu::~TPopupMenu() {
    // Items owned elsewhere outlive the menu: they must not point back at it.
    for (TMenuItem* item : FItems) {
        item->FMenu = nullptr;
        item->FCommand = 0;
    }
    FItems.clear();
}

void TPopupMenu::Add(TMenuItem* item) { Insert(Count(), item); }

void TPopupMenu::Insert(int index, TMenuItem* item) {
    if (!item) throw std::invalid_argument("Menu item is missing");
    if (item->FMenu) throw std::logic_error("Menu item is already in a menu");
    if (index < 0 || index > Count()) throw std::out_of_range("Menu index out of bounds");
    FItems.insert(FItems.begin() + index, item);
    item->FMenu = this;
    // Ids are never reused, so a command chosen before a change cannot hit another item.
    item->FCommand = FNextCommand++;
}

void TPopupMenu::Remove(TMenuItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FMenu = nullptr;
    item->FCommand = 0;
}

int TPopupMenu::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TPopupMenu::AddItems(const std::vector<TMenuRow>& rows) {
    for (const TMenuRow& row : rows) {
        auto* item = Named<TMenuItem>(Owner() ? Owner() : this, row.Name);
        item->SetCaption(row.Caption);
        item->OnClick = row.OnClick;
        if (!item->OnClick && !item->IsLine()) item->SetEnabled(false);
        Add(item);
        if (row.Field) *row.Field = item;
    }
}

THMenu TPopupMenu::CreateMenuHandle() const {
    THMenu menu(::CreatePopupMenu());
    if (!menu) return menu;
    bool defaultTaken = false;
    UINT position = 0;
    for (const TMenuItem* item : FItems) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
        info.wID = item->FCommand;
        std::string text;
        if (item->IsLine()) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING;
            info.fType = MFT_STRING;
            text = item->FCaption;
            if (!item->FShortCut.empty()) text += "\t" + item->FShortCut;
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            if (!item->FEnabled) info.fState |= MFS_DISABLED;
            // A menu has one default command: the first item marked so.
            if (item->FDefault && !defaultTaken) {
                info.fState |= MFS_DEFAULT;
                defaultTaken = true;
            }
        }
        ::InsertMenuItemA(menu.Get(), position++, TRUE, &info);
    }
    return menu;
}

bool TPopupMenu::DispatchCommand(UINT command) {
    if (command == 0) return false;
    for (TMenuItem* item : FItems) {
        if (item->FCommand != command) continue;
        // The state may have changed while the menu was open; a disabled item does nothing.
        if (item->IsLine() || !item->FEnabled) return false;
        item->Click();
        return true;
    }
    return false;
}

HWND TPopupMenu::PopupWindow() const {
    for (TComponent* c = Owner(); c; c = c->Owner())
        if (auto* control = dynamic_cast<TWinControl*>(c)) return ::GetAncestor(control->Handle(), GA_ROOT);
    return Application ? Application->Handle() : nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
    Fire(OnPopup, this);
    HWND window = PopupWindow();
    THMenu menu = CreateMenuHandle();
    if (!window || !menu) return;
    // The choice comes back as the result, so it is handled here and not by the window.
    const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD;
    const BOOL command = ::TrackPopupMenuEx(menu.Get(), flags, X, Y, window, nullptr);
    menu.Reset();
    if (command > 0) DispatchCommand(static_cast<UINT>(command));
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

}  // namespace fw
