// The hidden-window stack and the words that hide and show windows, against windows of
// another program (window_owner.exe).
#include "LaunchTestUtil.h"

#include "WindowOwnerProcess.h"

using namespace launchtest;

namespace {

// The windows hidden here belong to another program, window_owner.exe: the launcher never
// hides the windows of its own process.
class HiddenWindowTest : public LaunchTest {
protected:
    // Starts window_owner.exe with these arguments; returns its `count` windows.
    std::vector<HWND> OtherProgramWindows(const std::string& arguments, std::size_t count) {
        const std::string path = helper.substr(0, helper.find_last_of('\\') + 1) + "window_owner.exe";
        owners.push_back(std::make_unique<TWindowOwnerProcess>(path, path, arguments, count));
        return owners.back()->Windows();
    }
    void MakeForeground(HWND w) {
        ::SetForegroundWindow(w);
        for (int i = 0; i < 100 && ::GetForegroundWindow() != w; ++i) ::Sleep(10);
        ASSERT_EQ(::GetForegroundWindow(), w);
    }
    std::vector<std::unique_ptr<TWindowOwnerProcess>> owners;
};

TEST_F(HiddenWindowTest, The101stHideWrapsAndShowAllStillBringsEveryWindowBack) {
    const std::vector<HWND> windows = OtherProgramWindows("101*TestWindow:launch_test", 101);
    ASSERT_EQ(windows.size(), 101u);
    for (HWND w : windows) {
        MakeForeground(w);
        EXPECT_EQ(HideForegroundWindow(), 100);
        ASSERT_FALSE(::IsWindowVisible(w));
    }
    EXPECT_EQ(HiddenWindows.HiddenCount(), 1);
    EXPECT_EQ(ShowLastHiddenWindow(), 100);
    EXPECT_EQ(ShowLastHiddenWindow(), 100);
    EXPECT_TRUE(::IsWindowVisible(windows[100]));
    EXPECT_EQ(::GetForegroundWindow(), windows[100]);
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(::IsWindowVisible(windows[i])) << i;

    ShowAllHiddenWindows();
    for (HWND w : windows) EXPECT_TRUE(::IsWindowVisible(w));
    EXPECT_EQ(HiddenWindows.HiddenCount(), 0);
}

TEST_F(HiddenWindowTest, TheWordsHideAndShowTheForegroundWindowInAnyCase) {
    const std::vector<HWND> windows = OtherProgramWindows("2*TestWindow:launch_test", 2);
    ASSERT_EQ(windows.size(), 2u);
    HWND a = windows[0], b = windows[1];
    MakeForeground(a);
    EXPECT_TRUE(launcher.ExecuteAction("user_hide_window"));
    MakeForeground(b);
    EXPECT_TRUE(launcher.ExecuteAction("User_Hide_Window extra"));
    EXPECT_FALSE(::IsWindowVisible(a));
    EXPECT_FALSE(::IsWindowVisible(b));
    EXPECT_TRUE(launcher.ExecuteAction("USER_SHOW_WINDOW"));
    EXPECT_TRUE(::IsWindowVisible(b));
    EXPECT_TRUE(launcher.ExecuteAction("user_show_window"));
    EXPECT_TRUE(::IsWindowVisible(a));
    EXPECT_TRUE(launcher.ExecuteAction("USER_SHOW_WINDOW"));  // empty stack: nothing, no error
    EXPECT_EQ(HiddenWindows.HiddenCount(), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HiddenWindowTest, NeitherTheDesktopNorTheTaskbarIsEverHidden) {
    const std::vector<HWND> windows =
        OtherProgramWindows("TestWindow:other_program Shell_TrayWnd:taskbar", 2);
    ASSERT_EQ(windows.size(), 2u);
    auto titled = [&](const std::string& caption) {
        for (HWND w : windows)
            if (WindowText(w) == caption) return w;
        return HWND{};
    };
    const struct {
        const char* What;
        HWND Window;
        bool MayHide;
    } cases[] = {
        {"another program's window", titled("other_program"), true},
        {"a taskbar", titled("taskbar"), false},
        {"the desktop", ::GetDesktopWindow(), false},
    };  // GetShellWindow names no window on Wine's desktop, so it has no row here
    for (const auto& c : cases) {
        ASSERT_TRUE(::IsWindow(c.Window)) << c.What;
        EXPECT_EQ(MayHideWindow(c.Window), c.MayHide) << c.What;
    }
}

TEST_F(HiddenWindowTest, WindowsClosedOrNowAnotherProcesssAreNeverShown) {
    const std::vector<HWND> w = OtherProgramWindows("4*TestWindow:launch_test", 4);
    ASSERT_EQ(w.size(), 4u);
    for (HWND h : w) {
        MakeForeground(h);
        HideForegroundWindow();
    }
    ASSERT_EQ(HiddenWindows.HiddenCount(), 4);
    // The two hidden last were closed since: a show passes over them to the next one down.
    ::PostMessageA(w[2], WM_CLOSE, 0, 0);
    ::PostMessageA(w[3], WM_CLOSE, 0, 0);
    for (int i = 0; i < 250 && (::IsWindow(w[2]) || ::IsWindow(w[3])); ++i) ::Sleep(20);
    ASSERT_FALSE(::IsWindow(w[2]) || ::IsWindow(w[3]));
    EXPECT_EQ(ShowLastHiddenWindow(), 100);
    EXPECT_TRUE(::IsWindowVisible(w[1]));
    EXPECT_EQ(HiddenWindows.HiddenCount(), 1);

    // Recorded as this process's window but naming the helper's now, as a handle the system
    // gave out again would: left alone at the end; the window still its own comes back.
    ::ShowWindow(w[1], SW_HIDE);
    HiddenWindows.Push({w[1], ::GetCurrentProcessId()});
    ShowAllHiddenWindows();
    EXPECT_TRUE(::IsWindowVisible(w[0]));
    EXPECT_FALSE(::IsWindowVisible(w[1]));
}

}  // namespace
