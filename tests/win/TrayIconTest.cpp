// The tray icon against the real shell and window system: the record handed to the shell,
// the callback table, the menu, hiding to the tray and the cycle timer.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "framework/Timer.h"
#include "shell/TrayIcon.h"

using namespace fw;
using TLog = std::vector<std::string>;

namespace {

// Records every shell call with the record as it was handed over.
class TRecordingTray : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;
    struct TCall {
        DWORD Message;
        NOTIFYICONDATAA Data;
        bool Result;
    };
    std::vector<TCall> Calls;

    bool AddIcon() override { return Record(NIM_ADD, TTrayIcon::AddIcon()); }
    bool DeleteIcon() override { return Record(NIM_DELETE, TTrayIcon::DeleteIcon()); }
    bool ModifyIcon() override { return Record(NIM_MODIFY, TTrayIcon::ModifyIcon()); }
    int CountOf(DWORD message) const {
        return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&](const TCall& c) { return c.Message == message; }));
    }
    std::string LastTip() const { return Calls.back().Data.szTip; }
    bool LastTipBlank() const {
        const auto& tip = Calls.back().Data.szTip;
        return std::all_of(tip, tip + 64, [](char c) { return c == 0; });
    }

private:
    bool Record(DWORD message, bool result) {
        Calls.push_back({message, IconData(), result});
        return result;
    }
};

class TTrayForm : public TForm {
public:
    using TForm::TForm;
    TRecordingTray* Tray = nullptr;
    inline static std::function<void(TTrayForm*)> Describe;

protected:
    void ReadDescription() override {
        SetBounds(40, 40, 300, 200);
        Tray = new TRecordingTray(this);
        if (Describe) Describe(this);
    }
};

// Ends a tracked menu from inside its loop, so no test waits for a person.
class TMenuCloser {
public:
    TMenuCloser() : FId(::SetTimer(nullptr, 0, 200, Close)) {}
    ~TMenuCloser() { ::KillTimer(nullptr, FId); }
    TMenuCloser(const TMenuCloser&) = delete;
    TMenuCloser& operator=(const TMenuCloser&) = delete;

private:
    static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    }
    UINT_PTR FId;
};

// Three solid 16x16 images, red, green and blue.
TImageList* RedGreenBlue(TComponent* owner) {
    auto* list = new TImageList(owner, 16, 16);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    for (DWORD color : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
        void* bits = nullptr;
        HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::fill_n(static_cast<DWORD*>(bits), 16 * 16, color);
        list->AddBitmap(bmp);
        ::DeleteObject(bmp);
    }
    return list;
}

// The colour in the middle of an icon, as 0xRRGGBB.
DWORD IconColor(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return 0xFFFFFFFF;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD px[16 * 16] = {};
    HDC dc = ::GetDC(nullptr);
    ::GetDIBits(dc, info.hbmColor, 0, 16, px, &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return px[8 * 16 + 8] & 0xFFFFFF;
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = new TApplication();
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override {
        delete app;
        EXPECT_TRUE(errors.empty());
    }

    TTrayForm* CreateTrayForm(std::function<void(TTrayForm*)> describe = {}) {
        TTrayForm::Describe = std::move(describe);
        TTrayForm* form = nullptr;
        app->CreateForm(form);
        TTrayForm::Describe = nullptr;
        return form;
    }

    // Logs every event as "down L", "click" ..., with the shift state and position beside.
    void LogEvents(TTrayIcon* tray) {
        auto note = [this](std::string what, TShiftState s, int x, int y) {
            log.push_back(what);
            shifts.push_back(s);
            points.push_back({x, y});
        };
        auto name = [](TMouseButton b) { return b == TMouseButton::mbLeft ? "L" : b == TMouseButton::mbRight ? "R" : "M"; };
        tray->OnClick = [this](TObject*) { log.push_back("click"); };
        tray->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
        tray->OnMouseDown = [=](TObject*, TMouseButton b, TShiftState s, int x, int y) { note(std::string("down ") + name(b), s, x, y); };
        tray->OnMouseUp = [=](TObject*, TMouseButton b, TShiftState s, int x, int y) { note(std::string("up ") + name(b), s, x, y); };
        tray->OnMouseMove = [=](TObject*, TShiftState s, int x, int y) { note("move", s, x, y); };
    }

    // Delivers mouse notifications as the shell does, then handles them.
    void Notify(TTrayIcon* tray, std::initializer_list<UINT> mouse) {
        TMenuCloser closer;  // for those that open the menu
        for (UINT m : mouse) ::PostMessageA(tray->CallbackWindow(), TTrayIcon::WM_TRAYNOTIFY, 1, m);
        app->ProcessMessages();
    }

    TPopupMenu* MakeMenu(TComponent* owner, std::initializer_list<const char*> captions) {
        auto* menu = new TPopupMenu(owner);
        for (const char* c : captions) {
            auto* item = new TMenuItem(owner);
            item->SetCaption(c);
            item->OnClick = [this, item](TObject*) { log.push_back("item " + item->Caption()); };
            menu->Add(item);
        }
        menu->OnPopup = [this, menu](TObject*) {
            log.push_back("popup");
            opener = menu->PopupComponent();
        };
        return menu;
    }

    TApplication* app = nullptr;
    TLog errors, log;
    std::vector<TShiftState> shifts;
    std::vector<POINT> points;
    TComponent* opener = nullptr;
};

}  // namespace

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

TEST_F(TrayIconTest, IconIndexIsClampedToTheIconListAndZeroWithoutOne) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    tray->SetIconIndex(5);
    EXPECT_EQ(tray->IconIndex(), 0);

    TImageList* list = RedGreenBlue(form);
    tray->SetIconIndex(2);
    tray->SetIconList(list);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_EQ(IconColor(tray->Icon()), 0xFF0000u);
    tray->SetIconIndex(1);
    EXPECT_EQ(IconColor(tray->Icon()), 0x00FF00u);
    tray->SetIconIndex(10);
    EXPECT_EQ(tray->IconIndex(), 2);
    EXPECT_EQ(IconColor(tray->Icon()), 0x0000FFu);
    EXPECT_EQ(tray->Calls.back().Message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(tray->Calls.back().Data.hIcon, tray->Icon());

    // Removing the referenced components clears the references.
    tray->SetPopupMenu(new TPopupMenu(form));
    delete list;
    EXPECT_EQ(tray->IconList(), nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
    delete tray->PopupMenu();
    EXPECT_EQ(tray->PopupMenu(), nullptr);
}

TEST_F(TrayIconTest, TheCycleTimerWalksTheListAndIsIdleOtherwise) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    tray->SetIconList(RedGreenBlue(form));
    std::vector<int> next, before;
    tray->OnCycle = [&](TObject*, int n) {
        next.push_back(n);
        before.push_back(tray->IconIndex());
    };
    auto pump = [&](size_t ticks, DWORD ms) {
        // One message at a time: on a busy machine a tick can take longer than the period, and
        // then a loop that empties the queue would never see it empty.
        for (DWORD start = ::GetTickCount(); next.size() < ticks && ::GetTickCount() - start < ms;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    };
    tray->SetCycleIcons(true);  // a period of 0 produces no ticks
    pump(1, 200);
    EXPECT_TRUE(next.empty());

    tray->SetCycleInterval(10);
    pump(4, 3000);
    ASSERT_GE(next.size(), 4u);
    next.resize(4);
    before.resize(4);
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(before, (std::vector<int>{0, 1, 2, 0}));

    tray->SetCycleIcons(false);
    pump(5, 200);
    EXPECT_EQ(next.size(), 4u);

    // The timer itself holds a system timer only while enabled with a period.
    TTimer timer(nullptr, 0, true);
    EXPECT_FALSE(timer.Running());
    timer.SetInterval(15);
    EXPECT_TRUE(timer.Running());
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
}

TEST_F(TrayIconTest, MinimisingHidesToTheTrayOnlyWithMinimizeToTray) {
    TTrayForm* form = CreateTrayForm();
    TRecordingTray* tray = form->Tray;
    int hides = 0;
    form->OnHide = [&](TObject*) { ++hides; };
    form->Show();
    const size_t calls = tray->Calls.size();
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(app->Handle()));
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));  // the usual minimised taskbar button
    EXPECT_EQ(hides, 0);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(tray->Calls.size(), calls);
    ::ShowWindow(app->Handle(), SW_RESTORE);

    tray->SetMinimizeToTray(true);
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_EQ(hides, 1);
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));  // the taskbar button is gone
    EXPECT_EQ(tray->Calls.back().Message, static_cast<DWORD>(NIM_ADD));

    form->Show();  // showing the form by any means brings the button back
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));
    EXPECT_FALSE(::IsIconic(app->Handle()));
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
}

TEST_F(TrayIconTest, TheIconComesBackWhenTheShellRestarts) {
    TRecordingTray* tray = CreateTrayForm()->Tray;
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    ASSERT_EQ(tray->CountOf(NIM_ADD), 1);  // added when the form finished loading
    NOTIFYICONDATAA record = tray->IconData();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));  // a new shell's tray is empty
    ::SendMessageA(tray->CallbackWindow(), taskbarCreated, 0, 0);
    EXPECT_EQ(tray->CountOf(NIM_ADD), 2);
    EXPECT_TRUE(tray->Calls.back().Result);

    tray->SetIconVisible(false);
    ::SendMessageA(tray->CallbackWindow(), taskbarCreated, 0, 0);
    EXPECT_EQ(tray->CountOf(NIM_ADD), 2);
}

TEST_F(TrayIconTest, AnIconTheShellRefusesIsAddedAgainUntilItIsInThenNoTimerRuns) {
    // A shell busy at logon: it refuses every add until `refusals` runs out.
    int adds = 0, refusals = 2;
    TTrayForm* form = CreateTrayForm([&](TTrayForm* f) {
        f->Tray->SetShellApi({[&](DWORD message, PNOTIFYICONDATAA data) -> BOOL {
            if (message == NIM_ADD && (++adds, refusals-- > 0)) return FALSE;
            return ::Shell_NotifyIconA(message, data);
        }});
    });
    TRecordingTray* tray = form->Tray;
    auto timerRunning = [&] {
        for (int i = 0; i < tray->ComponentCount(); ++i)
            if (auto* timer = dynamic_cast<TTimer*>(tray->Components(i)); timer && timer->Running()) return true;
        return false;
    };
    auto pumpFor = [&](DWORD ms, const std::function<bool()>& until) {
        for (DWORD start = ::GetTickCount(); !until() && ::GetTickCount() - start < ms;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            app->ProcessMessages();
        }
    };
    EXPECT_EQ(adds, 1);
    EXPECT_FALSE(tray->IconInTray());
    EXPECT_TRUE(timerRunning());

    pumpFor(10000, [&] { return tray->IconInTray(); });
    EXPECT_EQ(adds, 3);
    NOTIFYICONDATAA record = tray->IconData();
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &record));  // the real shell has it
    EXPECT_FALSE(timerRunning());
    pumpFor(2500, [] { return false; });
    EXPECT_EQ(adds, 3);  // idle once the icon is in

    // A restarted shell that is still busy: the re-add is retried the same way.
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &record));
    refusals = 1;
    ::SendMessageA(tray->CallbackWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_FALSE(tray->IconInTray());
    EXPECT_TRUE(timerRunning());
    pumpFor(10000, [&] { return tray->IconInTray(); });
    EXPECT_EQ(adds, 5);
    EXPECT_FALSE(timerRunning());

    // An icon no longer wanted is not retried.
    refusals = 1;
    ::Shell_NotifyIconA(NIM_DELETE, &record);
    ::SendMessageA(tray->CallbackWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_TRUE(timerRunning());
    tray->SetIconVisible(false);
    EXPECT_FALSE(timerRunning());
}

TEST_F(TrayIconTest, StartMinimizedKeepsTheMainFormAndTaskbarButtonHidden) {
    TTrayForm* form = CreateTrayForm([](TTrayForm* f) { f->Tray->SetStartMinimized(true); });
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    EXPECT_EQ(form->Tray->CountOf(NIM_ADD), 1);
    // The loop ends at once; it must not have shown the main form on its way in.
    app->Terminate();
    app->Run();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
}

TEST_F(TrayIconTest, DestructionTakesTheIconAwayAndUnhooks) {
    TTrayForm* form = CreateTrayForm([](TTrayForm* f) { f->Tray->SetMinimizeToTray(true); });
    form->Show();
    NOTIFYICONDATAA record = form->Tray->IconData();
    HWND callback = form->Tray->CallbackWindow();
    delete form->Tray;
    EXPECT_FALSE(::IsWindow(callback));
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_DELETE, &record));  // already gone from the tray
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));  // no hiding to the tray any more
    EXPECT_TRUE(form->Visible());
}
