// Forms against the real window system: close rules, modal loops and the exception boundary.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Text.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/WinText.h"

using namespace fw;

namespace {

class TTestForm : public TForm {
public:
    using TForm::TForm;
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;

protected:
    void ReadDescription() override {
        SetCaption("Test form");
        SetBounds(10, 10, 300, 200);
        OkButton = new TButton(this);
        OkButton->SetParent(this);
        OkButton->SetCaption("OK");
        OkButton->SetBounds(10, 10, 75, 25);
        OkButton->SetDefault(true);
        OkButton->SetModalResult(mrOk);
        CancelButton = new TButton(this);
        CancelButton->SetParent(this);
        CancelButton->SetCaption("Cancel");
        CancelButton->SetBounds(100, 10, 75, 25);
        CancelButton->SetCancel(true);
        CancelButton->SetModalResult(mrCancel);
    }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = new TApplication();
        app->Initialize();
        app->OnException = [this](TObject*, const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override { delete app; }

    // Posts a message that runs a function from inside whatever loop is dispatching.
    static void PostCall(HWND target, std::function<void()>* fn) {
        ::PostMessageA(target, WM_APP + 7, 0, reinterpret_cast<LPARAM>(fn));
    }

    TApplication* app = nullptr;
    std::vector<std::string> errors;
};

// A window that runs posted calls, so tests can act from inside a modal loop.
class TCallWindow : public TWndTarget {
public:
    TCallWindow() { Handle = AllocateHWnd(this); }
    ~TCallWindow() override { ::DestroyWindow(Handle); }
    LRESULT WndProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_APP + 7) {
            (*reinterpret_cast<std::function<void()>*>(l))();
            return 0;
        }
        if (m == WM_APP + 8) throw std::runtime_error("handler failed");
        return ::DefWindowProcA(h, m, w, l);
    }
    HWND Handle;
};

}  // namespace

TEST_F(FormTest, ApplicationTitleAndFormsAreOwnedByTheApplicationWindow) {
    EXPECT_EQ(app->Title(), "Win_tests");  // derived from win_tests.exe
    app->SetTitle("Tarvo2000");
    EXPECT_EQ(WindowText(app->Handle()), "Tarvo2000");
    TTestForm* form = nullptr;
    app->CreateForm(form);
    EXPECT_EQ(app->MainForm(), form);
    EXPECT_EQ(::GetWindow(form->Handle(), GW_OWNER), app->Handle());
    EXPECT_EQ(WindowText(form->Handle()), "Test form");
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
}

TEST_F(FormTest, ShowAndHideRaiseTheirEventsOnce) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    int shows = 0, hides = 0;
    form->OnShow = [&](TObject*) { ++shows; };
    form->OnHide = [&](TObject*) { ++hides; };
    form->Show();
    form->Show();
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    form->Hide();
    form->Hide();
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(hides, 1);
    // A ShowWindow from outside the framework still counts as showing.
    ::ShowWindow(form->Handle(), SW_SHOW);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(shows, 2);
}

TEST_F(FormTest, ClosingTheMainFormEndsTheLoopOnlyWhenAllowed) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    bool allow = false;
    int queries = 0;
    form->OnCloseQuery = [&](TObject*, bool& can) {
        ++queries;
        can = allow;
    };
    TCallWindow caller;
    std::function<void()> closeRefused = [&] {
        ::SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(app->Terminated());
        allow = true;
        ::PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    };
    PostCall(caller.Handle, &closeRefused);
    app->SetShowMainForm(false);
    app->Run();
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(queries, 2);
}

TEST_F(FormTest, TheSessionsEndIsAnsweredByItsOwnEventsWhenSetElseByTheCloseRule) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    std::vector<std::string> seen;
    form->OnCloseQuery = [&](TObject*, bool& can) {
        seen.push_back("close query");
        can = false;
    };
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    bool answer = false, fail = false;
    form->OnQueryEndSession = [&](TObject* sender, bool& can) {
        EXPECT_EQ(sender, form);
        EXPECT_TRUE(can);  // yes unless the handler says no
        seen.push_back("asked");
        if (fail) throw std::runtime_error("hide failed");
        can = answer;
    };
    form->OnEndSession = [&](TObject*, bool ending) { seen.push_back(ending ? "ends" : "goes on"); };
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    ::SendMessageA(form->Handle(), WM_ENDSESSION, FALSE, 0);
    fail = true;
    EXPECT_EQ(::SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageA(form->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"close query", "asked", "goes on", "asked", "ends"}));
    EXPECT_EQ(errors, std::vector<std::string>{"hide failed"});
}

TEST_F(FormTest, ADpiChangeMovesTheWindowWhereAskedBeforeItsEventRuns) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    RECT suggested{40, 50, 540, 450}, seen{};
    int changes = 0;
    form->OnDpiChanged = [&](TObject*) {
        ++changes;
        seen = form->BoundsRect();
    };
    ::SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(::EqualRect(&seen, &suggested)) << seen.left << "," << seen.top << "," << seen.right << "," << seen.bottom;
}

TEST_F(FormTest, TerminateIsSeenAtOnceAndTheLoopThenShowsNoMainForm) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    app->Terminate();
    EXPECT_TRUE(app->TerminateRequested());
    EXPECT_FALSE(app->Terminated());  // the loop has not reached the request yet
    app->Run();
    EXPECT_TRUE(app->Terminated());
    EXPECT_FALSE(form->Visible());
}

TEST_F(FormTest, ModalLoopKeepsDispatchingAndEndsByButtons) {
    TTestForm* main = nullptr;
    TTestForm* dialog = nullptr;
    app->CreateForm(main);
    app->CreateForm(dialog);
    main->Show();
    TCallWindow caller;
    bool ranInside = false;
    std::function<void()> inside = [&] {
        ranInside = true;
        EXPECT_TRUE(dialog->Modal());
        EXPECT_FALSE(::IsWindowEnabled(main->Handle()));  // the rest is disabled meanwhile
        dialog->OkButton->Click();
    };
    PostCall(caller.Handle, &inside);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_TRUE(ranInside);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(::IsWindowEnabled(main->Handle()));

    // Closing a modal form (close box) gives Cancel, and a refusing OnCloseQuery keeps it open.
    int closes = 0;
    dialog->OnCloseQuery = [&](TObject*, bool& can) { can = ++closes > 1; };
    std::function<void()> closeTwice = [&] {
        ::SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
        ::PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    };
    PostCall(caller.Handle, &closeTwice);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(closes, 2);
}

TEST_F(FormTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    TTestForm* main = nullptr;
    TTestForm* dialog = nullptr;
    app->CreateForm(main);
    app->CreateForm(dialog);
    TCallWindow caller;
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
        std::function<void()> press = [&] {
            ::SetFocus(dialog->Handle());
            ::PostMessageA(dialog->Handle(), WM_KEYDOWN, key, 0);
        };
        PostCall(caller.Handle, &press);
        EXPECT_EQ(dialog->ShowModal(), key == VK_RETURN ? mrOk : mrCancel);
    }
}

TEST_F(FormTest, KeyPreviewSeesKeysBeforeTheControlAndCanSwallowThem) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    form->SetKeyPreview(true);
    form->Show();
    std::vector<std::uint16_t> seen;
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) {
        seen.push_back(key);
        if (key == VK_ESCAPE) key = 0;  // swallowed: the cancel button never hears it
    };
    int cancels = 0;
    form->CancelButton->OnClick = [&](TObject*) { ++cancels; };
    ::PostMessageA(form->OkButton->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(form->OkButton->Handle(), WM_KEYDOWN, VK_F5, 0);
    app->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{VK_ESCAPE, VK_F5}));
    EXPECT_EQ(cancels, 0);
}

TEST_F(FormTest, AnExceptionInAHandlerReachesTheErrorReportAndNotTheCaller) {
    TCallWindow caller;
    // Thrown inside a window procedure: the boundary catches it.
    LRESULT r = ::SendMessageA(caller.Handle, WM_APP + 8, 0, 0);
    EXPECT_EQ(r, 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "handler failed");

    // Thrown by a creation handler: reported, and the form is still created.
    struct TFailing : TTestForm {
        using TTestForm::TTestForm;
        void ReadDescription() override {
            TTestForm::ReadDescription();
            OnCreate = [](TObject*) { throw std::runtime_error("start-up step failed"); };
        }
    };
    TFailing* form = nullptr;
    app->CreateForm(form);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "start-up step failed");
    EXPECT_TRUE(::IsWindow(form->Handle()));
}

TEST_F(FormTest, HooksSeeMessagesLatestFirstAndAFailingOneStillPassesThemOn) {
    TCallWindow window;
    std::vector<std::string> log;
    std::function<void()> reached = [&] { log.push_back("window"); };
    bool secondFails = false;
    auto handler = [&](std::string name) {
        return [&, name](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP + 7) {
                log.push_back(name);
                if (secondFails && name == "second") throw std::runtime_error("hook failed");
            }
            if (m == WM_NCDESTROY) log.push_back(name + " sees the window go");
            return TWindowHook::CallPrevious(h, m, w, l);
        };
    };
    TWindowHook first(handler("first"));
    TWindowHook second(handler("second"));
    ASSERT_TRUE(first.Hook(window.Handle));
    ASSERT_TRUE(second.Hook(window.Handle));
    ::SendMessageA(window.Handle, WM_APP + 7, 0, reinterpret_cast<LPARAM>(&reached));
    secondFails = true;
    ::SendMessageA(window.Handle, WM_APP + 7, 0, reinterpret_cast<LPARAM>(&reached));
    ::DestroyWindow(window.Handle);
    EXPECT_EQ(log, (std::vector<std::string>{"second", "first", "window", "second", "first", "window",
                                             "second sees the window go", "first sees the window go"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"hook failed"}));
    EXPECT_EQ(first.HookedWindow(), nullptr);
    EXPECT_EQ(second.HookedWindow(), nullptr);
}

TEST_F(FormTest, WindowNameIsMatchesAClassInEitherCaseAndACaptionExactly) {
    TTestForm* form = nullptr;
    app->CreateForm(form);
    const std::string cls = BoundWindowClass();
    struct TCase {
        TWindowName Which;
        std::string Expected;
        bool Matches;
    };
    const TCase cases[] = {
        {TWindowName::ClassName, cls, true},
        {TWindowName::ClassName, UpperAscii(cls), true},
        {TWindowName::ClassName, cls.substr(0, cls.size() - 1), false},
        {TWindowName::ClassName, cls + "X", false},
        {TWindowName::ClassName, "", false},
        {TWindowName::Caption, "Test form", true},
        {TWindowName::Caption, "Test Form", false},
        {TWindowName::Caption, "Test for", false},
        {TWindowName::Caption, "Test form!", false},
        {TWindowName::Caption, "", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(WindowNameIs(form->Handle(), c.Which, c.Expected), c.Matches)
            << (c.Which == TWindowName::ClassName ? "class " : "caption ") << '"' << c.Expected << '"';
}

TEST(TitleFromModulePath, IsTheFileNameUpToItsFirstDotInOneCaseWhateverTheSpelling) {
    const struct {
        const char* Path;
        const char* Title;
    } cases[] = {
        {"C:\\Program Files\\Tarvo\\TARVO.EXE", "Tarvo"},
        {"c:\\program files\\tarvo\\tarvo.exe", "Tarvo"},
        {"Z:/work/Tarvo.exe", "Tarvo"},
        {"C:\\x.y\\MyTool.Main.exe", "Mytool"},
        {"C:\\x\\.hidden.exe", ".hidden.exe"},
        {"C:\\x\\\xC3\xA4RGER.exe", "\xC3\x84rger"},  // UTF-8 "äRGER" becomes "Ärger"
    };
    for (const auto& c : cases) EXPECT_EQ(TitleFromModulePath(c.Path), c.Title) << c.Path;
}
