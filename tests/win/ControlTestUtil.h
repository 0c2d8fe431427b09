// Shared by the control tests: an application with a form described by the test, real
// keyboard and mouse input through SendInput, and what a window draws.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "framework/Application.h"
#include "framework/Form.h"

namespace ctltest {

class TTestForm : public fw::TForm {
public:
    using TForm::TForm;
    static inline std::function<void(TTestForm&)> Description;

protected:
    void ReadDescription() override {
        SetCaption("Controls");
        SetBounds(40, 40, 400, 260);
        if (Description) Description(*this);
    }
};

// A control of the form, placed in parent at design bounds.
template <class T>
T* Place(fw::TForm& form, fw::TWinControl* parent, fw::TBounds b, const std::string& caption = "") {
    auto* c = new T(&form);
    c->SetParent(parent);
    c->SetBounds(b.Left, b.Top, b.Width, b.Height);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = new fw::TApplication();
        app->Initialize();
        app->OnException = [this](fw::TObject*, const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override {
        delete app;
        for (const std::string& e : errors) ADD_FAILURE() << "error box: " << e;
    }
    TTestForm* MakeForm(const std::function<void(TTestForm&)>& describe) {
        TTestForm::Description = describe;
        TTestForm* form = nullptr;
        app->CreateForm(form);
        TTestForm::Description = nullptr;
        return form;
    }
    // Shows the form in front, where SendInput reaches it.
    void ShowInFront(fw::TForm* form) {
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == form->Handle(); }, 3000));
    }
    bool WaitFor(const std::function<bool()>& done, DWORD ms) {
        for (const DWORD start = ::GetTickCount(); !done(); app->ProcessMessages()) {
            if (::GetTickCount() - start > ms) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }
    void Pump(DWORD ms = 100) { WaitFor([] { return false; }, ms); }

    // A left click at a point of a window's client area (its centre by default), through the
    // mouse. Under Wine a pointer move can be undone by a late one, so the pointer must have
    // stayed in place for a moment before the button goes down.
    void Click(HWND hwnd, std::optional<POINT> where = std::nullopt) {
        RECT r;
        ::GetClientRect(hwnd, &r);
        POINT at = where.value_or(POINT{r.right / 2, r.bottom / 2});
        ::ClientToScreen(hwnd, &at);
        auto there = [&] {
            POINT now;
            return ::GetCursorPos(&now) && now.x == at.x && now.y == at.y;
        };
        bool placed = false;
        for (int attempt = 0; attempt < 10 && !placed; ++attempt) {
            ::SetCursorPos(at.x, at.y);
            placed = true;
            for (int k = 0; k < 3 && placed; ++k) {
                Pump(30);
                placed = there();
            }
        }
        ASSERT_TRUE(placed) << "the pointer does not stay at " << at.x << "," << at.y;
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, in, sizeof(INPUT));
        Pump(30);
    }

    fw::TApplication* app = nullptr;
    std::vector<std::string> errors;
};

// Runs a function once from whatever message loop runs some time from now (a modal loop of
// a form or of a system dialog included). One at a time.
class TLater {
public:
    TLater(DWORD ms, std::function<void()> fn) {
        Pending() = std::move(fn);
        FTimer = ::SetTimer(nullptr, 0, ms, Tick);
    }
    ~TLater() {
        ::KillTimer(nullptr, FTimer);
        Pending() = nullptr;
    }
    TLater(const TLater&) = delete;
    TLater& operator=(const TLater&) = delete;

private:
    static std::function<void()>& Pending() {
        static std::function<void()> pending;
        return pending;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        std::function<void()> fn = std::move(Pending());
        Pending() = nullptr;
        if (fn) fn();
    }
    UINT_PTR FTimer;
};

// What a window draws into its client area (asked through WM_PRINTCLIENT).
struct TPixels {
    int Width = 0, Height = 0;
    std::vector<COLORREF> Data;
    COLORREF At(int x, int y) const { return Data[static_cast<size_t>(y * Width + x)]; }
};

// A control that draws no background of its own is printed over the colour under.
inline TPixels PrintClient(HWND hwnd, COLORREF under = RGB(0, 0, 0)) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    TPixels p{r.right, r.bottom, {}};
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, p.Width, p.Height);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH brush = ::CreateSolidBrush(under);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) p.Data.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return p;
}

// What the screen shows of a window's client area, whatever drew it.
inline TPixels ScreenPixels(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    TPixels p{r.right, r.bottom, {}};
    HDC window = ::GetDC(hwnd);
    HDC dc = ::CreateCompatibleDC(window);
    HBITMAP bitmap = ::CreateCompatibleBitmap(window, p.Width, p.Height);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::BitBlt(dc, 0, 0, p.Width, p.Height, window, 0, 0, SRCCOPY);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) p.Data.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(hwnd, window);
    return p;
}

// The colours a parent hands a control for a WM_CTLCOLOR* message.
struct TCtlColors {
    COLORREF Text, Back, Brush;
    int Mode;
    UINT BrushStyle;
};

inline TCtlColors AskColors(HWND control, UINT msg) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(::GetParent(control), msg,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(control)));
    LOGBRUSH lb{};
    EXPECT_TRUE(brush && ::GetObjectA(brush, sizeof lb, &lb)) << "no brush for the control";
    TCtlColors c{::GetTextColor(dc), ::GetBkColor(dc), lb.lbColor, ::GetBkMode(dc), lb.lbStyle};
    ::DeleteDC(dc);
    return c;
}

// A control's window rectangle within its parent's client area.
inline RECT RectInParent(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA lf{};
    auto font = reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
    EXPECT_TRUE(font && ::GetObjectA(font, sizeof lf, &lf)) << "no font";
    return lf;
}

}  // namespace ctltest
