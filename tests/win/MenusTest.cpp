// Pop-up menus against the real menu system: the built menu, the popup sequence, choices.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Menus.h"

using namespace fw;
using TLog = std::vector<std::string>;

namespace {

struct TItemState {
    std::string Text;
    UINT Type = 0, State = 0, Id = 0;
};

TItemState ReadItem(HMENU menu, UINT position) {
    char buffer[256] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = sizeof buffer;
    EXPECT_TRUE(::GetMenuItemInfoA(menu, position, TRUE, &info));
    return {buffer, info.fType, info.fState, info.wID};
}

// Sees the menu arrive on its owner window, notes it and types the given keys on it.
// A timer ends the menu should the keys not, so no test waits for a person.
class TMenuWatcher {
public:
    TLog* Log = nullptr;
    TItemState SecondItem;
    std::vector<std::pair<UINT, WPARAM>> Keys;
    UINT_PTR Timer = 0;
    TWindowHook Hook{[this](HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_INITMENUPOPUP) {
            Log->push_back("shown");
            SecondItem = ReadItem(reinterpret_cast<HMENU>(w), 1);
            for (auto [msg, key] : Keys) ::PostMessageA(h, msg, key, 0);
            Timer = ::SetTimer(nullptr, 0, Keys.empty() ? 100 : 3000, Close);
        }
        return TWindowHook::CallPrevious(h, m, w, l);
    }};
    ~TMenuWatcher() { ::KillTimer(nullptr, Timer); }

    static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    }
};

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = new TApplication();
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { log.push_back("error " + m); };
        app->CreateForm(form);
        menu = new TPopupMenu(form);
    }
    void TearDown() override { delete app; }

    TMenuItem* AddItem(const std::string& caption) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnClick = [this, item](TObject* Sender) {
            EXPECT_EQ(Sender, item);
            log.push_back("click " + item->Caption());
        };
        menu->Add(item);
        return item;
    }

    TApplication* app = nullptr;
    TForm* form = nullptr;
    TPopupMenu* menu = nullptr;
    TLog log;
};

}  // namespace

TEST_F(MenusTest, TheBuiltMenuShowsCaptionsSeparatorsStatesAndShortcutText) {
    AddItem("&Add");
    AddItem("Edi&t")->SetEnabled(false);
    AddItem("Delete")->SetShortCut("Del");
    AddItem("-");
    AddItem("&Show")->SetDefault(true);
    AddItem("&Hide")->SetDefault(true);  // a second default: the first one wins

    THMenu built = menu->CreateMenuHandle();
    ASSERT_EQ(::GetMenuItemCount(built.Get()), 6);
    std::vector<TItemState> items;
    for (UINT i = 0; i < 6; ++i) items.push_back(ReadItem(built.Get(), i));
    EXPECT_EQ(items[0].Text, "&Add");
    EXPECT_EQ(items[0].State & (MFS_DISABLED | MFS_DEFAULT), 0u);
    EXPECT_EQ(items[1].Text, "Edi&t");
    EXPECT_NE(items[1].State & MFS_DISABLED, 0u);
    EXPECT_EQ(items[2].Text, "Delete\tDel");
    EXPECT_NE(items[3].Type & MFT_SEPARATOR, 0u);
    EXPECT_NE(items[4].State & MFS_DEFAULT, 0u);
    EXPECT_EQ(items[5].State & MFS_DEFAULT, 0u);
    EXPECT_EQ(::GetMenuDefaultItem(built.Get(), TRUE, 0), 4u);
    // Each entry carries its own item's command.
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(items[static_cast<size_t>(i)].Id, menu->Items(i)->Command());
        if (i > 0) EXPECT_NE(items[static_cast<size_t>(i)].Id, items[0].Id);
    }
}

TEST_F(MenusTest, ItemsMadeFromRowsAreTheOwnersAndThoseWithoutAHandlerStartDisabled) {
    TMenuItem *add = nullptr, *exit = nullptr;
    menu->AddItems({{&add, "cmdAdd1", "&Add", nullptr},
                    {nullptr, "N1", "-", nullptr},
                    {&exit, "cmdExit1", "E&xit", [this](TObject*) { log.push_back("exit"); }}});
    ASSERT_EQ(menu->Count(), 3);
    EXPECT_EQ(menu->Items(0), add);
    EXPECT_EQ(menu->Items(2), exit);
    EXPECT_EQ(exit->Name(), "cmdExit1");
    EXPECT_EQ(exit->Caption(), "E&xit");
    EXPECT_EQ(exit->Owner(), form);
    EXPECT_FALSE(add->Enabled());
    EXPECT_TRUE(menu->Items(1)->IsLine());
    EXPECT_TRUE(exit->Enabled());
    EXPECT_FALSE(menu->DispatchCommand(add->Command()));
    EXPECT_TRUE(menu->DispatchCommand(exit->Command()));
    EXPECT_EQ(log, TLog{"exit"});
    add->Connect([this](TObject*) { log.push_back("add"); });
    EXPECT_TRUE(add->Enabled());
    EXPECT_TRUE(menu->DispatchCommand(add->Command()));
    EXPECT_EQ(log, (TLog{"exit", "add"}));

    // A menu of no owner keeps its items itself.
    auto* alone = new TPopupMenu(nullptr);
    alone->AddItems({{nullptr, "Show1", "&Show", nullptr}});
    EXPECT_EQ(alone->Items(0)->Owner(), alone);
    delete alone;
}

TEST_F(MenusTest, DispatchRunsOnlyEnabledItemsThatAreStillInTheMenu) {
    TMenuItem* add = AddItem("&Add");
    TMenuItem* edit = AddItem("Edi&t");
    TMenuItem* line = AddItem("-");
    const UINT addId = add->Command();
    EXPECT_TRUE(menu->DispatchCommand(addId));
    edit->SetEnabled(false);  // disabled while the menu was open
    EXPECT_FALSE(menu->DispatchCommand(edit->Command()));
    EXPECT_FALSE(menu->DispatchCommand(line->Command()));
    EXPECT_FALSE(menu->DispatchCommand(0));  // dismissed
    EXPECT_EQ(log, TLog{"click &Add"});

    // A destroyed item leaves the menu, and its command is never handed to a newcomer.
    delete add;
    EXPECT_EQ(menu->Count(), 2);
    EXPECT_NE(AddItem("&Later")->Command(), addId);
    EXPECT_FALSE(menu->DispatchCommand(addId));

    // An item is in one menu at a time; a destroyed menu lets its items go.
    TPopupMenu* other = new TPopupMenu(nullptr);
    EXPECT_THROW(other->Add(edit), std::logic_error);
    menu->Remove(edit);
    other->Add(edit);
    EXPECT_EQ(edit->Menu(), other);
    delete other;
    EXPECT_EQ(edit->Menu(), nullptr);
    EXPECT_EQ(edit->Command(), 0u);

    // The component that opened the menu is forgotten when it goes.
    menu->SetPopupComponent(line);
    delete line;
    EXPECT_EQ(menu->PopupComponent(), nullptr);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(MenusTest, PopupRunsOnPopupFirstThenShowsTheMenuOnTheOwnerForm) {
    EXPECT_EQ(menu->PopupWindow(), form->Handle());
    EXPECT_EQ(TPopupMenu(nullptr).PopupWindow(), app->Handle());
    AddItem("&Add");
    AddItem("&Show");
    menu->OnPopup = [&](TObject* Sender) {
        EXPECT_EQ(Sender, menu);
        log.push_back("popup");
        menu->Items(1)->SetEnabled(false);  // the handler's state reaches this showing
    };
    TMenuWatcher watcher;
    watcher.Log = &log;
    ASSERT_TRUE(watcher.Hook.Hook(form->Handle()));
    menu->Popup(20, 20);
    EXPECT_EQ(log, (TLog{"popup", "shown"}));  // dismissed: nothing chosen
    EXPECT_NE(watcher.SecondItem.State & MFS_DISABLED, 0u);
}

TEST_F(MenusTest, ChoosingAnItemByItsMnemonicRunsItsOnClick) {
    AddItem("&Add");
    AddItem("&Show");
    TMenuWatcher watcher;
    watcher.Log = &log;
    watcher.Keys = {{WM_KEYDOWN, 'S'}, {WM_CHAR, 's'}};
    ASSERT_TRUE(watcher.Hook.Hook(form->Handle()));
    menu->Popup(20, 20);
    EXPECT_EQ(log, (TLog{"shown", "click &Show"}));
}
