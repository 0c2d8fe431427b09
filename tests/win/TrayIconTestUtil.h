// Shared by the tray icon tests: a tray icon that records every shell call, a form that
// owns one, and an application that logs the icon's events and its menu's choices.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Menus.h"
#include "shell/TrayIcon.h"

namespace traytest {

using namespace fw;
using TLog = std::vector<std::string>;

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

}  // namespace traytest
