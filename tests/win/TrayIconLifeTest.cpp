// The tray icon over its life: its image from the icon list, the cycle timer, hiding to the
// tray, and the icon kept in the tray through shell restarts and refusals until destruction.
#include "TrayIconTestUtil.h"

#include "framework/ListView.h"
#include "framework/Timer.h"

using namespace traytest;

namespace {

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

}  // namespace

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
