// Pop-up menus: items kept here, a system menu built afresh for every showing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"

namespace fw {

class TPopupMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    std::string ClassName() const override { return "TMenuItem"; }

    // "&" marks the mnemonic; "-" makes the item a separator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value) { FCaption = value; }
    bool IsLine() const { return FCaption == "-"; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    // Shown in bold; the first such item of a menu is its default command.
    bool Default() const { return FDefault; }
    void SetDefault(bool value) { FDefault = value; }
    // Key text shown right-aligned after the caption, e.g. "Del".
    const std::string& ShortCut() const { return FShortCut; }
    void SetShortCut(const std::string& value) { FShortCut = value; }

    // The menu that lists this item, and the command id it has there (0 when in none).
    TPopupMenu* Menu() const { return FMenu; }
    UINT Command() const { return FCommand; }

    TNotifyEvent OnClick;
    // Gives an item that waited for its handler (see TPopupMenu::AddItems) the handler, enabled.
    void Connect(TNotifyEvent handler);
    // Runs OnClick, whatever the enabled state: callers that act for the user check it.
    virtual void Click();

private:
    friend class TPopupMenu;
    std::string FCaption;
    std::string FShortCut;
    bool FEnabled = true;
    bool FDefault = false;
    TPopupMenu* FMenu = nullptr;
    UINT FCommand = 0;
};

// One item of a menu's description: where the program keeps it (nullptr when nowhere), its
// name, its caption and its click handler.
struct TMenuRow {
    TMenuItem** Field;
    const char* Name;
    const char* Caption;
    TNotifyEvent OnClick;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    std::string ClassName() const override { return "TPopupMenu"; }

    // Whether the menu opens by itself on its component's usual request (the tray icon's).
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }

    // Items in menu order. An item may belong to another owner; it leaves the menu
    // when it is destroyed.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;
    // Makes the rows' items, owned by the menu's owner (the menu itself when it has none), and
    // appends them in order. An item without a handler starts disabled: it is connected later.
    void AddItems(const std::vector<TMenuRow>& rows);

    // The component that opened the menu last; its handlers can read it.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* value) { FPopupComponent = value; }

    // Runs before every showing, so handlers can set the items' state.
    TNotifyEvent OnPopup;

    // Shows the menu at screen position X, Y, waits until it closes, then runs the
    // chosen item's OnClick.
    virtual void Popup(int X, int Y);

    // The system menu for the items as they are now; each entry carries the item's Command.
    THMenu CreateMenuHandle() const;
    // Acts on a command chosen from that menu; false when no enabled item has it.
    bool DispatchCommand(UINT command);
    // The window that owns the tracked menu: the top-level window of the menu's owner,
    // else the application window.
    HWND PopupWindow() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<TMenuItem*> FItems;
    TComponent* FPopupComponent = nullptr;
    bool FAutoPopup = true;
    UINT FNextCommand = 1;
};

}  // namespace fw
