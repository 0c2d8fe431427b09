// The main window's binding list against the real system: rows of ListView1 and QmHK's items
// kept in step on a first run, with shortcuts another program holds, through deletion,
// shutdown, failed saves and clicks on the state images (random edits are in
// BindingListRandomTest.cpp). Actions are recorded instead of started.
#include "BindingListTestUtil.h"

using namespace bltest;

TEST_F(BindingListTest, FirstRunLeavesTheDemoBindingAndAnEmptyListStaysEmpty) {
    ExpectListShows({Demo()});
    EXPECT_EQ(form->List().SortColumn(), 1);
    const TAsked demo{"Try pressing the F9 key now to see the demo...", "One-time Tarvo Demo", MB_OK | MB_ICONINFORMATION};
    EXPECT_EQ(asked, TAskedList{demo});
    // The demo does what the box promises.
    EXPECT_EQ(RealPress(Demo()), TLaunches{Demo().Runs});

    asked.clear();
    list->SetSelected(0);
    form->DeleteSelected();
    EXPECT_EQ(asked, TAskedList{kDeleteQuestion});
    ExpectListShows({});
    EXPECT_FALSE(holder.Held(Demo()));

    // Only the blank row is left: the row commands find nothing to do.
    asked.clear();
    registers = unregisters = 0;
    list->SetSelected(0);
    form->DeleteSelected();
    form->EnableSelected1->Click();
    form->DisableSelected1->Click();
    form->cmdEnableAll1->Click();
    form->cmdDisableAll2->Click();
    ClickHeader(0);
    EXPECT_EQ(form->List().SortColumn(), 0);
    ClickHeader(1);
    EXPECT_EQ(form->List().SortColumn(), 1);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(registers + unregisters, 0);
    ExpectListShows({});
}

// Counts the row redraws a list control is asked for and remembers whether it may paint.
struct TRedrawCount {
    int RowRedraws = 0;
    bool Painting = true;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) {
        auto* count = reinterpret_cast<TRedrawCount*>(self);
        if (m == LVM_REDRAWITEMS) ++count->RowRedraws;
        if (m == WM_SETREDRAW) count->Painting = w != FALSE;
        return ::DefSubclassProc(h, m, w, l);
    }
};

TEST_F(BindingListTest, AllFlagsRedrawTheListOnceNotRowByRow) {
    std::vector<TRow> model{Demo()};
    for (int k = 0; k < 40; ++k) {
        model.push_back(Binding("C:\\Tools\\row" + std::to_string(k) + ".exe", "", static_cast<WORD>('0' + k % 10),
                                k / 10 == 1, k / 10 == 2, k / 10 >= 2));
        Add(model.back());
    }
    SortModel(model, 1);
    form->Show();
    app->ProcessMessages();
    TRedrawCount count;
    ASSERT_TRUE(::SetWindowSubclass(list->Handle(), TRedrawCount::Proc, 1, reinterpret_cast<DWORD_PTR>(&count)));
    form->cmdDisableAll2->Click();
    EXPECT_EQ(count.RowRedraws, 0);
    EXPECT_TRUE(count.Painting);
    for (TRow& b : model) b.Enabled = false;
    ExpectListShows(model);
    form->cmdEnableAll1->Click();
    EXPECT_EQ(count.RowRedraws, 0);
    EXPECT_TRUE(count.Painting);
    for (TRow& b : model) b.Enabled = true;
    ExpectListShows(model);
    ::RemoveWindowSubclass(list->Handle(), TRedrawCount::Proc, 1);
}

TEST_F(BindingListTest, ARefusedShortcutIsMarkedUntilARegistrationSucceeds) {
    const TRow taken = Binding("C:\\Tools\\taken.exe", "-t", VK_F7, true, false, true);
    const TRow first = Binding("C:\\Tools\\first.exe", "", VK_F2, true);
    // Shown enabled either way; only the mark and its tip tell a refused one apart.
    auto expectRow = [&](int row, bool refused) {
        EXPECT_EQ(list->StateIndex(row), 0) << row;
        EXPECT_EQ(ShownStateImage(row), 0) << row;
        EXPECT_TRUE(Item(row)->Enabled()) << row;
        EXPECT_EQ(Item(row)->Registered(), !refused) << row;
        EXPECT_EQ(list->RowMarked(row), refused) << row;
        EXPECT_EQ(TipOf(row).empty(), !refused) << row;
    };
    THolder other;
    ASSERT_TRUE(other.Hold(1, taken));
    asked.clear();
    Add(taken);
    ASSERT_EQ(RowShowing(taken.Shortcut()), 0);
    EXPECT_TRUE(asked.empty());  // nothing is reported
    expectRow(0, true);
    expectRow(1, false);

    // The mark belongs to the binding: it moves when the list re-sorts or rows swap.
    Add(first);
    ASSERT_EQ(RowShowing(taken.Shortcut()), 1);
    for (int row : {0, 1, 2}) expectRow(row, row == 1);
    form->SwapRows(0, 1);
    for (int row : {0, 1, 2}) expectRow(row, row == 0);
    form->SortList(1);
    const int r = RowShowing(taken.Shortcut());
    ASSERT_EQ(r, 1);
    expectRow(r, true);

    // The press reaches the program that holds the shortcut; nothing runs here.
    EXPECT_TRUE(RealPress(taken, false).empty());
    EXPECT_EQ(other.Presses, 1);

    other.Release(1);
    form->DisableRow(r);
    EXPECT_FALSE(list->RowMarked(r));
    EXPECT_EQ(list->StateIndex(r), 1);
    form->EnableRow(r);
    expectRow(r, false);
    EXPECT_EQ(RealPress(taken), TLaunches{taken.Runs});
    EXPECT_EQ(other.Presses, 1);
    ExpectListShows({first, taken, Demo()});
}

TEST_F(BindingListTest, DeletingTheFirstOfThreeKeepsTheOthersShortcutsAndActions) {
    list->SetSelected(0);
    form->DeleteSelected();  // the demo binding
    const std::vector<TRow> three{Binding("C:\\Tools\\one.exe", "1", VK_F2, true, false, true),
                                      Binding("C:\\Tools\\two.exe", "2", VK_F3, true, false, true),
                                      Binding("C:\\Tools\\three.exe", "3", VK_F4, true, false, true)};
    for (const TRow& b : three) Add(b);
    ExpectListShows(three);
    const int ids[] = {Item(0)->Identifier(), Item(1)->Identifier(), Item(2)->Identifier()};

    list->SetSelected(0);
    form->DeleteSelected();
    ExpectListShows({three[1], three[2]});
    EXPECT_EQ(Item(0)->Identifier(), ids[1]);
    EXPECT_EQ(Item(1)->Identifier(), ids[2]);
    EXPECT_FALSE(holder.Held(three[0]));
    EXPECT_EQ(RealPress(three[1]), TLaunches{three[1].Runs});
    EXPECT_EQ(RealPress(three[2]), TLaunches{three[2].Runs});
    // A press queued for the deleted binding finds nothing to run.
    launched.clear();
    ::PostMessageA(form->Handle(), WM_HOTKEY, static_cast<WPARAM>(ids[0]), 0);
    app->ProcessMessages();
    EXPECT_TRUE(launched.empty());
}

TEST_F(BindingListTest, DestroyingTheMainWindowReleasesEveryShortcut) {
    const std::vector<TRow> all{Binding("C:\\Tools\\a.exe", "", 'A', true, true),
                                    Binding("C:\\Tools\\b.exe", "", VK_NUMPAD5, false, false, true),
                                    Binding("C:\\Tools\\c.exe", "", VK_F11, true, true, true, false),
                                    Demo()};
    for (size_t i = 0; i + 1 < all.size(); ++i) Add(all[i]);
    for (const TRow& b : all) EXPECT_EQ(holder.Held(b), b.Enabled) << b.Shortcut();

    form->DestroyHandle();  // the window goes first, as at shutdown; the items are still there
    for (int i = 0; i < form->BindingCount(); ++i) {
        EXPECT_FALSE(Item(i)->Enabled()) << i;
        EXPECT_FALSE(Item(i)->Registered()) << i;
    }
    DestroyApplication();
    THolder fresh;
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_TRUE(fresh.Hold(static_cast<int>(i) + 1, all[i])) << all[i].Shortcut();
}

TEST_F(BindingListTest, StateImageClicksAndSpaceNeverChangeTheEnabledFlag) {
    Add(Binding("C:\\Tools\\off.exe", "", VK_F3, true, false, false, false));
    form->Show();
    app->ProcessMessages();
    const HWND lv = list->Handle();
    for (int row : {0, 1}) {
        SCOPED_TRACE("row " + std::to_string(row));
        const bool enabled = Item(row)->Enabled();
        const int state = list->StateIndex(row);
        ASSERT_EQ(ShownStateImage(row), state);
        auto expectUnchanged = [&] {
            EXPECT_EQ(Item(row)->Enabled(), enabled);
            EXPECT_EQ(Item(row)->Registered(), enabled);
            EXPECT_EQ(list->StateIndex(row), state);
            EXPECT_EQ(ShownStateImage(row), state);
        };
        RECT bounds{LVIR_BOUNDS, 0, 0, 0}, icon{LVIR_ICON, 0, 0, 0};
        ::SendMessageA(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        ::SendMessageA(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&icon));
        LVHITTESTINFO hit{{(bounds.left + icon.left) / 2, (bounds.top + bounds.bottom) / 2}, 0, -1, 0, 0};
        const LPARAM at = MAKELPARAM(hit.pt.x, hit.pt.y);
        ::SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        ASSERT_EQ(hit.iItem, row);
        ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON) << "flags " << hit.flags;
        ::PostMessageA(lv, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(lv, WM_LBUTTONUP, 0, at);
        Pump(50);
        expectUnchanged();
        list->SetSelected(row);
        list->SetItemFocused(row);
        ::SetFocus(lv);
        ::PostMessageA(lv, WM_KEYDOWN, VK_SPACE, 0x00390001);
        ::PostMessageA(lv, WM_CHAR, ' ', 0x00390001);
        ::PostMessageA(lv, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
        Pump(50);
        expectUnchanged();
    }
}

TEST_F(BindingListTest, KeysThatCannotBeRegisteredAndTheBlankRowAreRefusedUntouched) {
    const int rows = list->Count();
    // NONE (code 0) and codes outside the table never become a binding.
    EXPECT_THROW(form->AddBinding("notepad", 0, true, false, false, true), std::invalid_argument);
    EXPECT_THROW(form->AddBinding("notepad", 186, false, false, false, true), std::invalid_argument);
    EXPECT_EQ(list->Count(), rows);
    EXPECT_EQ(form->BindingCount(), rows - 1);
    // The blank row has no item: enabling or disabling it fails before its image changes.
    const int blank = list->Count() - 1;
    EXPECT_THROW(form->DisableRow(blank), std::out_of_range);
    EXPECT_EQ(list->StateIndex(blank), 0);
    EXPECT_EQ(ShownStateImage(blank), 0);
}

// A save that fails tells the registry's message, deletes nothing, and the next save stores
// every binding as the list holds it.
TEST_F(BindingListTest, AFailedSaveIsToldDeletesNothingAndTheNextSaveStoresEverything) {
    const TRow a = Binding("C:\\Tools\\a.exe", "", 'A', true, true);
    const TRow b = Binding("C:\\Tools\\b.exe", "", VK_F6, false, true);
    Add(a);
    Add(b);
    form->SaveBindings();
    const std::string key = "Software\\Morvane\\Tarvo\\" + form->QmR->User() + "\\HotKeys\\";
    auto stored = [&](const char* name) {
        DWORD enabled = 2, size = sizeof enabled;
        return ::RegGetValueA(HKEY_CURRENT_USER, (key + name).c_str(), "Enabled", RRF_RT_REG_DWORD, nullptr,
                              &enabled, &size) == ERROR_SUCCESS
                   ? static_cast<int>(enabled)
                   : -1;
    };
    ASSERT_EQ(stored("ControlAlt_A"), 1);
    // As a menu command runs: inside a window procedure, which shows what escapes it.
    auto command = [&](const std::function<void()>& f) { GuardedCall([&] { return f(), LRESULT{0}; }); };
    int writes = 0;
    TRegistryApi failing;
    failing.CreateKey = [](HKEY, LPCSTR, REGSAM, HKEY*) -> LSTATUS { return ERROR_ACCESS_DENIED; };
    failing.SetValue = [&](HKEY k, LPCSTR n, DWORD t, const BYTE* d, DWORD s) -> LSTATUS {
        return ++writes > 1 ? ERROR_ACCESS_DENIED : ::RegSetValueExA(k, n, 0, t, d, s);
    };
    form->QmR->SetRegistryApi(failing);

    list->SetSelected(RowShowing(a.Shortcut()));
    command([&] { form->DeleteSelected(); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Failed to create key '\\Software\\Morvane\\Tarvo\\", 0), 0u) << errors[0];
    ExpectListShows({b, Demo()});
    EXPECT_EQ(stored("ControlAlt_A"), 1) << "deleted although the save failed";

    failing.CreateKey = TRegistryApi().CreateKey;
    form->QmR->SetRegistryApi(failing);
    command([&] { form->cmdDisableAll1->Click(); });  // the first write goes through, the next fails
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "Failed to set data for 'Enabled'");
    EXPECT_EQ(stored("ControlAlt_A"), 1);
    EXPECT_EQ(stored("Alt_F6") + stored("F9"), 1) << "one binding written, one not";

    form->QmR->SetRegistryApi(TRegistryApi());
    command([&] { form->cmdEnableAll1->Click(); });
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(stored("F9"), 1);
    EXPECT_EQ(stored("Alt_F6"), 1);
    EXPECT_EQ(stored("ControlAlt_A"), -1);
    errors.clear();
}
