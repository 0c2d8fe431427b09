// The tray icon against the real shell and window system: the record handed to the shell,
// the tip, the callback table and the menu (images, the cycle timer, hiding to the tray and
// the icon's place in the tray are in TrayIconLifeTest.cpp).
#include "TrayIconTestUtil.h"

#include <cstring>

using namespace traytest;

TEST_F(TrayIconTest, TheRecordIsTheFirstFormAndLoadingAddsTheIcon) {
    TRecordingTray tray(nullptr);
    const NOTIFYICONDATAA& d = tray.IconData();
    EXPECT_EQ(d.cbSize, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(d.hWnd, tray.CallbackWindow());
    EXPECT_EQ(d.uID, 1u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 0x0800u);
    EXPECT_FALSE(::IsWindowVisible(tray.CallbackWindow()));
    EXPECT_EQ(::GetParent(tray.CallbackWindow()), nullptr);  // top-level: it hears broadcasts
    EXPECT_TRUE(tray.Calls.empty());  // construction shows nothing

    HICON given = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    tray.SetIcon(given);
    EXPECT_NE(tray.Icon(), given);  // a copy of its own
    tray.Calls.clear();
    tray.Loaded();
    ASSERT_EQ(tray.Calls.size(), 2u);
    EXPECT_EQ(tray.Calls[0].Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(tray.Calls[1].Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(tray.Calls[1].Result);  // the desktop's tray took it
    EXPECT_EQ(tray.Calls[1].Data.hIcon, tray.Icon());
    EXPECT_EQ(::SendMessageA(tray.CallbackWindow(), WM_QUERYENDSESSION, 0, 0), 1);

    tray.SetIconVisible(false);
    EXPECT_FALSE(tray.IconVisible());
    EXPECT_EQ(tray.Calls.back().Message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(tray.Calls.back().Result);

    // A preview shows the icon while IconVisible keeps its value.
    tray.SetDesignPreview(true);
    EXPECT_EQ(tray.Calls.back().Message, static_cast<DWORD>(NIM_ADD));
    EXPECT_FALSE(tray.IconVisible());
}

TEST_F(TrayIconTest, TheTipIsTheHintCutTo63CharactersOnlyWhenShown) {
    TRecordingTray tray(nullptr);
    const std::string hint(70, 'h');
    tray.SetHint(hint);
    EXPECT_TRUE(tray.LastTipBlank());  // ShowHint is off
    tray.SetShowHint(true);
    EXPECT_EQ(tray.LastTip(), hint.substr(0, 63));
    tray.SetHint("");
    EXPECT_TRUE(tray.LastTipBlank());
    tray.SetHint("Tarvo2000 v1.2");
    EXPECT_EQ(tray.LastTip(), "Tarvo2000 v1.2");
}

TEST_F(TrayIconTest, MouseNotificationsRaiseTheirEventsInTheTablesOrder) {
    TRecordingTray tray(nullptr);
    LogEvents(&tray);
    // A double click as the shell reports it: down, up, double click, up.
    Notify(&tray, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                   WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                   WM_MOUSEWHEEL});
    EXPECT_EQ(log, (TLog{"move", "down L", "click", "up L", "dblclick", "up L", "down M", "up M",
                         "down R", "up R"}));
    // Each button event carries its own button's flag; a move carries none.
    std::vector<int> flags;
    for (TShiftState s : shifts) flags.push_back(s & (ssLeft | ssRight | ssMiddle));
    EXPECT_EQ(flags, (std::vector<int>{0, ssLeft, ssLeft, ssLeft, ssMiddle, ssMiddle, ssRight, ssRight}));
}

TEST_F(TrayIconTest, PositionAndKeysAreReadWhenTheNotificationIsHandled) {
    TRecordingTray tray(nullptr);
    LogEvents(&tray);
    BYTE saved[256], keys[256];
    ASSERT_TRUE(::GetKeyboardState(saved));
    ::SetCursorPos(50, 60);
    ::PostMessageA(tray.CallbackWindow(), TTrayIcon::WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN);
    // Both change after the shell posted the notification and before it is handled.
    ::SetCursorPos(321, 222);
    std::memcpy(keys, saved, sizeof keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0x80;
    keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
    POINT now{};
    ::GetCursorPos(&now);
    app->ProcessMessages();
    ::SetKeyboardState(saved);
    ASSERT_EQ(log, TLog{"down L"});
    EXPECT_EQ(shifts[0], ssShift | ssCtrl | ssLeft);
    EXPECT_NE(now.x, 50);
    EXPECT_EQ(points[0].x, now.x);
    EXPECT_EQ(points[0].y, now.y);
}

TEST_F(TrayIconTest, NothingHappensWhileDisabled) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    LogEvents(tray);
    tray->SetPopupMenu(MakeMenu(form, {"&Show"}));
    tray->PopupMenu()->Items(0)->SetDefault(true);
    tray->SetEnabled(false);
    Notify(tray, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                  WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP});
    tray->SetLeftPopup(true);
    Notify(tray, {WM_LBUTTONDOWN});
    EXPECT_TRUE(log.empty());
    // A button-down ignored meanwhile leaves no click pending for later.
    tray->SetEnabled(true);
    tray->SetLeftPopup(false);
    Notify(tray, {WM_LBUTTONUP});
    EXPECT_EQ(log, TLog{"up L"});
}

TEST_F(TrayIconTest, NothingHappensWhileABoxOfTheProgramIsOpen) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    LogEvents(tray);
    int boxes = 0;
    app->MessageBoxFn = [&](const std::string&, const std::string&, UINT) {
        ++boxes;
        Notify(tray, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_RBUTTONUP});
        EXPECT_TRUE(tray->Enabled());  // the icon's own setting is left alone
        return IDOK;
    };
    app->MessageBox("Busy", "Tarvo", MB_OK);
    ASSERT_EQ(boxes, 1);
    EXPECT_TRUE(log.empty());
    Notify(tray, {WM_LBUTTONUP});
    EXPECT_EQ(log, TLog{"up L"});
}

TEST_F(TrayIconTest, RightButtonDownOpensTheMenuAtOnceAndLeftPopupTheLeftOne) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    LogEvents(tray);
    tray->SetPopupMenu(MakeMenu(form, {"&Show", "-", "E&xit"}));
    Notify(tray, {WM_RBUTTONDOWN});  // no button-up: the menu must not wait for it
    EXPECT_EQ(log, (TLog{"down R", "popup"}));
    EXPECT_EQ(opener, tray);

    tray->PopupMenu()->SetAutoPopup(false);
    Notify(tray, {WM_RBUTTONDOWN});
    EXPECT_EQ(log.size(), 3u);  // the button, no menu

    // With LeftPopup the left button opens it too, and a double click picks no default.
    log.clear();
    tray->PopupMenu()->SetAutoPopup(true);
    tray->PopupMenu()->Items(0)->SetDefault(true);
    tray->SetLeftPopup(true);
    Notify(tray, {WM_LBUTTONDOWN});
    Notify(tray, {WM_LBUTTONDBLCLK});
    EXPECT_EQ(log, (TLog{"down L", "popup", "dblclick"}));
}

TEST_F(TrayIconTest, DoubleClickChoosesTheFirstDefaultItemWhenItIsEnabled) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    LogEvents(tray);
    TPopupMenu* menu = MakeMenu(form, {"&Disable All", "&Show", "&Hide"});
    tray->SetPopupMenu(menu);
    Notify(tray, {WM_LBUTTONDBLCLK});  // no default item: nothing runs
    menu->Items(1)->SetDefault(true);
    menu->Items(2)->SetDefault(true);
    Notify(tray, {WM_LBUTTONDBLCLK});
    EXPECT_EQ(log, (TLog{"dblclick", "dblclick", "item &Show"}));

    log.clear();
    menu->Items(1)->SetEnabled(false);  // like a choice from the menu: a disabled one does nothing
    Notify(tray, {WM_LBUTTONDBLCLK});
    menu->Items(1)->SetEnabled(true);
    menu->SetAutoPopup(false);
    Notify(tray, {WM_LBUTTONDBLCLK});
    EXPECT_EQ(log, (TLog{"dblclick", "dblclick"}));
}
