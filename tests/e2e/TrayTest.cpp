// Living in the tray: the hidden start, showing from the tray icon, hiding with Esc, the
// tray menu and minimising, with the window's placement stored on every hide.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "Driver.h"
#include "framework/Handles.h"

using namespace e2e;

// Found by argument-dependent lookup, so they live beside RECT in the global namespace.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

bool Visible(HWND h) { return h && ::IsWindowVisible(h); }

RECT WindowRect(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    return r;
}

// Looks, as often as it can until stopped, for an application window of the program (the
// framework's window that nothing owns) on screen.
class TButtonWatch {
public:
    ~TButtonWatch() { Stop(); }
    // Whether one was seen.
    bool Stop() {
        FStop = true;
        if (FThread.joinable()) FThread.join();
        return FSeen;
    }

private:
    static BOOL CALLBACK Look(HWND h, LPARAM seen) {
        char name[16] = {};
        ::GetClassNameA(h, name, sizeof name);
        if (std::string(name) == "TarvoWindow" && !::GetWindow(h, GW_OWNER) && ::IsWindowVisible(h))
            *reinterpret_cast<std::atomic<bool>*>(seen) = true;
        return TRUE;
    }
    std::atomic<bool> FStop{false}, FSeen{false};
    std::thread FThread{[this] {
        while (!FStop) ::EnumWindows(Look, reinterpret_cast<LPARAM>(&FSeen));
    }};
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        ResetRecordLog();
        // One stored binding: a normal start, not a first run.
        WriteBinding(HotKeysKey(), "F7", {"\"" + RecordArgsPath() + "\" tray", VK_F7});
        WriteValues(HotKeysKey() + "\\_FirstRun", {});
    }

    // The four placement values as stored, or nullopt when one is missing or mistyped.
    static std::optional<RECT> StoredPlacement() {
        const TRegValues v = ReadValues(SettingsKey());
        auto get = [&](const char* name) -> std::optional<LONG> {
            auto it = v.find(name);
            if (it == v.end()) return std::nullopt;
            auto d = AsDword(it->second);
            if (!d) return std::nullopt;
            return static_cast<LONG>(*d);
        };
        auto left = get("MainLeft"), top = get("MainTop"), width = get("MainWidth"), height = get("MainHeight");
        if (!left || !top || !width || !height) return std::nullopt;
        return RECT{*left, *top, *left + *width, *top + *height};
    }

    static void StorePlacement(LONG left, LONG top, LONG width, LONG height) {
        WriteValues(SettingsKey(), {{"MainLeft", DwordValue(static_cast<DWORD>(left))},
                                    {"MainTop", DwordValue(static_cast<DWORD>(top))},
                                    {"MainWidth", DwordValue(static_cast<DWORD>(width))},
                                    {"MainHeight", DwordValue(static_cast<DWORD>(height))}});
    }

    static void ForgetPlacement() {
        for (const char* name : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
            DeleteValue(SettingsKey(), name);
    }

    // Starts normally and shows the main window with a click on the tray icon.
    void StartAndShow() {
        tarvo.Start();
        ASSERT_TRUE(tarvo.StartupDone());
        main = tarvo.MainWindow();
        app = tarvo.ApplicationWindow();
        ASSERT_NE(main, nullptr);
        ASSERT_NE(app, nullptr);
        tarvo.ClickTray();
        ASSERT_TRUE(WaitFor([&] { return Visible(main); }));
    }

    TTarvo tarvo;
    HWND main = nullptr, app = nullptr;
};

}  // namespace

TEST_F(Tray, NormalStartShowsNoWindowAndNoTaskbarButton) {
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    // Whatever the start-up left queued has run: no window shows late.
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(Visible(tarvo.MainWindow()));
    EXPECT_FALSE(tarvo.MessageBox());
    ASSERT_NE(tarvo.MainWindow(), nullptr);
    EXPECT_FALSE(Visible(tarvo.ApplicationWindow()));
    EXPECT_TRUE(ShortcutTaken(VK_F7));
    // A click needs both halves: the button going down alone shows nothing.
    tarvo.PostTray(WM_LBUTTONDOWN);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(Visible(tarvo.MainWindow()));
    tarvo.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return Visible(tarvo.MainWindow()); }));
    EXPECT_TRUE(Visible(tarvo.ApplicationWindow()));
}

// The application window carries the program's taskbar button: it is never shown during a
// hidden start, and it goes with the main window by every kind of hide and comes back, with
// the main window in front, with every show.
TEST_F(Tray, EveryHideTakesTheTaskbarButtonAwayAndEveryShowBringsItBack) {
    TButtonWatch watch;
    tarvo.Start();
    ASSERT_TRUE(tarvo.StartupDone());
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(watch.Stop());
    main = tarvo.MainWindow();
    app = tarvo.ApplicationWindow();
    ASSERT_TRUE(main && app);

    const struct {
        const char* Kind;
        std::function<void()> Hide;
    } hides[] = {
        {"Esc", [] { PressShortcut(VK_ESCAPE); }},
        {"tray \"&Hide\"", [&] { ASSERT_TRUE(tarvo.ChooseFromTrayMenu('h')); }},
        {"list menu \"&Hide\"", [&] {
             ::PostMessageA(tarvo.ListWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tarvo.ListWindow()), -1);
             ASSERT_TRUE(WaitFor([&] { return tarvo.OpenMenu() != nullptr; }));
             PressShortcut('H');
         }},
        {"the close box", [&] { ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    bool byClick = true;  // shown by a click on the icon and by "&Show", in turn
    for (const auto& hide : hides) {
        SCOPED_TRACE(std::string(byClick ? "a click" : "\"&Show\"") + ", then " + hide.Kind);
        if (byClick) {
            tarvo.ClickTray();
        } else {
            ASSERT_TRUE(tarvo.ChooseFromTrayMenu('s'));
        }
        byClick = !byClick;
        // The tray menu takes the foreground for the hidden main window while it is open, so
        // the foreground alone does not say the show has happened.
        ASSERT_TRUE(WaitFor([&] { return Visible(main) && ::GetForegroundWindow() == main; }));
        EXPECT_TRUE(Visible(app));
        hide.Hide();
        ASSERT_TRUE(WaitFor([&] { return !Visible(main); }));
        ASSERT_TRUE(tarvo.RoundTrip());
        EXPECT_FALSE(Visible(app));
    }
    EXPECT_TRUE(tarvo.Alive());
}

TEST_F(Tray, EscHidesTheShownWindowAndStoresWhereItWas) {
    StorePlacement(150, 90, 520, 380);
    StartAndShow();
    EXPECT_EQ(WindowRect(main), (RECT{150, 90, 670, 470}));
    EXPECT_TRUE(Visible(app));

    ForgetPlacement();
    ASSERT_EQ(::GetForegroundWindow(), main);
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !Visible(main); }));
    ASSERT_TRUE(WaitFor([&] { return StoredPlacement().has_value(); }));
    EXPECT_EQ(*StoredPlacement(), (RECT{150, 90, 670, 470}));
    EXPECT_TRUE(tarvo.Running());

    // "Show" from the tray menu brings it back in the same place; "Hide" stores it again.
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('s'));
    ASSERT_TRUE(WaitFor([&] { return Visible(main); }));
    EXPECT_EQ(WindowRect(main), (RECT{150, 90, 670, 470}));
    ::SetWindowPos(main, nullptr, 200, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ForgetPlacement();
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('h'));
    ASSERT_TRUE(WaitFor([&] { return !Visible(main); }));
    ASSERT_TRUE(WaitFor([&] { return StoredPlacement().has_value(); }));
    EXPECT_EQ(*StoredPlacement(), (RECT{200, 120, 720, 500}));
}

TEST_F(Tray, MinimisingHidesTheWindowAndTheTaskbarButton) {
    StartAndShow();
    ASSERT_TRUE(Visible(app));
    const RECT shown = WindowRect(main);
    ForgetPlacement();

    ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return !Visible(main) && !Visible(app); }));
    // The placement of the window as it was shown, not of a minimised one.
    ASSERT_TRUE(WaitFor([&] { return StoredPlacement().has_value(); }));
    EXPECT_EQ(*StoredPlacement(), shown);
    EXPECT_TRUE(tarvo.Running());
    EXPECT_TRUE(ShortcutTaken(VK_F7));

    // The tray icon is the way back, with the taskbar button restored.
    tarvo.ClickTray();
    ASSERT_TRUE(WaitFor([&] { return Visible(main) && Visible(app); }));
    EXPECT_FALSE(::IsIconic(app));
    EXPECT_FALSE(::IsIconic(main));
    EXPECT_EQ(WindowRect(main), shown);
}

// While a box is open the program takes no commands: a click on the tray icon neither shows
// the window nor opens the menu. A box nobody asked for may be out of sight, though: from
// behind another window, the click brings it to the front.
TEST_F(Tray, WhileAMessageBoxIsOpenAClickOnlyBringsItToTheFront) {
    // An unreadable binding makes start-up report it in a box while the window is hidden.
    WriteValues(HotKeysKey() + "\\F8", {{"Address", StringValue("x")}, {"VirtualKey", DwordValue(VK_F8)}});
    tarvo.Start(false);
    auto box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    ASSERT_EQ(box->Caption, "Tarvo Error");
    HWND mainWindow = tarvo.MainWindow();
    ASSERT_FALSE(Visible(mainWindow));
    fw::THWnd other(::CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                                      300, 200, nullptr, nullptr, nullptr, nullptr));
    ::SetForegroundWindow(other.Get());
    ASSERT_TRUE(tarvo.RoundTrip());
    ASSERT_EQ(::GetForegroundWindow(), other.Get());

    tarvo.ClickTray();
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == box->Handle; }));
    tarvo.PostTray(WM_RBUTTONDOWN);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(Visible(mainWindow));
    EXPECT_FALSE(tarvo.OpenMenu());

    ASSERT_TRUE(tarvo.DismissMessageBox(*box));
    ASSERT_TRUE(WaitFor([&] { return tarvo.StartupDone(); }));
    tarvo.ClickTray();
    EXPECT_TRUE(WaitFor([&] { return Visible(mainWindow); }));
}

// The window comes back where the user can see it: a place on a screen that is gone is moved
// onto the screen there is, and a maximised window stores its normal place.
TEST_F(Tray, TheWindowComesBackWhereItCanBeSeen) {
    StorePlacement(3000, 2000, 520, 380);  // a second monitor, since unplugged
    StartAndShow();
    RECT screen{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    const RECT shown = WindowRect(main);
    EXPECT_EQ(shown.right - shown.left, 520);
    EXPECT_TRUE(shown.left >= screen.left && shown.right <= screen.right && shown.top >= screen.top &&
                shown.bottom <= screen.bottom)
        << shown << " is not on " << screen;

    ::PostMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsZoomed(main); }));
    ForgetPlacement();
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('h'));
    ASSERT_TRUE(WaitFor([&] { return StoredPlacement().has_value(); }));
    EXPECT_EQ(*StoredPlacement(), shown);
}
