// Labels, check boxes, group boxes and edits against the real window system: the fonts and
// colours they draw with, the tab order, and which user actions raise their events.
#include "ControlTestUtil.h"

#include <algorithm>
#include <climits>
#include <map>

#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "framework/WinText.h"

using namespace fw;
using namespace ctltest;

namespace {

HFONT FontHandleOf(TWinControl* c) {
    return reinterpret_cast<HFONT>(::SendMessageA(c->Handle(), WM_GETFONT, 0, 0));
}

// The bounding box of what differs from the background colour, and the number of bands of
// rows that hold text (lines).
struct TInk {
    RECT Box{INT_MAX, INT_MAX, -1, -1};
    int Lines = 0;
};

TInk InkOf(const TPixels& p, COLORREF background) {
    TInk ink;
    bool inLine = false;
    for (int y = 0; y < p.Height; ++y) {
        bool any = false;
        for (int x = 0; x < p.Width; ++x)
            if (p.At(x, y) != background) {
                any = true;
                ink.Box = {std::min<LONG>(ink.Box.left, x), std::min<LONG>(ink.Box.top, y),
                           std::max<LONG>(ink.Box.right, x), std::max<LONG>(ink.Box.bottom, y)};
            }
        ink.Lines += any && !inLine;
        inLine = any;
    }
    return ink;
}

}  // namespace

TEST_F(ControlTest, ControlsDrawWithTheFormsFontInTheirOwnStyle) {
    TLabel* label = nullptr;
    TGroupBox* group = nullptr;
    TCheckBox* inGroup = nullptr;
    TEdit* link = nullptr;
    TButton* plain = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        label = Place<TLabel>(f, &f, {5, 40, 51, 13}, "Action");
        label->SetFontBold(true);
        group = Place<TGroupBox>(f, &f, {62, 65, 195, 49}, "Modifiers");
        group->SetFontBold(true);
        inGroup = Place<TCheckBox>(f, group, {16, 20, 45, 17}, "&Ctrl");
        inGroup->SetFontBold(true);
        link = Place<TEdit>(f, &f, {12, 150, 111, 21});
        link->MakeLink();
        plain = Place<TButton>(f, &f, {200, 150, 64, 23}, "Save");
    });
    const LOGFONTA normal = FontOf(plain->Handle());
    EXPECT_EQ(normal.lfWeight, FW_NORMAL);
    EXPECT_FALSE(normal.lfUnderline);
    for (TWinControl* c : {static_cast<TWinControl*>(label), static_cast<TWinControl*>(group),
                           static_cast<TWinControl*>(inGroup)}) {
        const LOGFONTA lf = FontOf(c->Handle());
        EXPECT_EQ(lf.lfWeight, FW_BOLD) << c->Caption();
        EXPECT_FALSE(lf.lfUnderline) << c->Caption();
        EXPECT_EQ(lf.lfHeight, normal.lfHeight) << c->Caption();
    }
    EXPECT_EQ(FontHandleOf(label), FontHandleOf(inGroup)) << "one bold font per form";
    EXPECT_TRUE(FontOf(link->Handle()).lfUnderline);
    EXPECT_EQ(FontOf(link->Handle()).lfWeight, FW_NORMAL);

    label->SetFontBold(false);
    EXPECT_EQ(FontOf(label->Handle()).lfWeight, FW_NORMAL);
    label->SetFontBold(true);

    // On a DPI change every control gets its style's font afresh and the old fonts go. (Wine
    // keeps one DPI, so the message comes from here and the size stays.)
    const HFONT oldBold = FontHandleOf(label), oldUnderlined = FontHandleOf(link);
    RECT r;
    ::GetWindowRect(form->Handle(), &r);
    ::SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(FontOf(label->Handle()).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(inGroup->Handle()).lfWeight, FW_BOLD);
    EXPECT_TRUE(FontOf(link->Handle()).lfUnderline);
    EXPECT_EQ(FontOf(plain->Handle()).lfWeight, FW_NORMAL);
    EXPECT_EQ(::GetObjectType(oldBold), 0u) << "the old bold font was not released";
    EXPECT_EQ(::GetObjectType(oldUnderlined), 0u) << "the old underlined font was not released";
    EXPECT_EQ(RectInParent(inGroup->Handle()).left, 16);
}

TEST_F(ControlTest, ColoursComeFromTheControlOrItsParent) {
    const COLORREF blue = RGB(0, 0, 160);
    TLabel* label = nullptr;
    TEdit *field = nullptr, *link = nullptr;
    TPanel* panel = nullptr;
    TLabel* onPanel = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        f.SetColor(blue);
        label = Place<TLabel>(f, &f, {15, 16, 238, 13}, "Press a key to be used as the accelerator");
        label->SetFontColor(clWhite);
        label->SetFontBold(true);
        label->SetAlignment(TAlignment::taCenter);
        field = Place<TEdit>(f, &f, {15, 40, 100, 21});
        link = Place<TEdit>(f, &f, {15, 70, 100, 21});
        link->MakeLink();
        panel = Place<TPanel>(f, &f, {150, 40, 120, 60});
        onPanel = Place<TLabel>(f, panel, {5, 5, 100, 13}, "on the panel");
    });
    form->Show();
    Pump();
    // White letters on the form's blue, nothing in the button-face colour.
    const TPixels drawn = ScreenPixels(label->Handle());
    int white = 0, face = 0;
    for (COLORREF c : drawn.Data) {
        white += c == RGB(255, 255, 255);
        face += c == ::GetSysColor(COLOR_BTNFACE);
    }
    EXPECT_EQ(drawn.At(0, 0), blue);
    EXPECT_GT(white, 20);
    EXPECT_EQ(face, 0);
    const TCtlColors labelColors = AskColors(label->Handle(), WM_CTLCOLORSTATIC);
    EXPECT_EQ(labelColors.Mode, TRANSPARENT);
    EXPECT_EQ(labelColors.BrushStyle, static_cast<UINT>(BS_NULL)) << "a label fills nothing";
    // A child of a panel without a colour shows the form's through the panel.
    EXPECT_EQ(ScreenPixels(onPanel->Handle()).At(0, 0), blue);
    EXPECT_EQ(AskColors(onPanel->Handle(), WM_CTLCOLORSTATIC).Text, ::GetSysColor(COLOR_WINDOWTEXT));
    // A text field keeps the window colour on a coloured form; a link has its own look.
    EXPECT_EQ(AskColors(field->Handle(), WM_CTLCOLOREDIT).Brush, ::GetSysColor(COLOR_WINDOW));
    const TCtlColors linkColors = AskColors(link->Handle(), WM_CTLCOLORSTATIC);
    EXPECT_EQ(linkColors.Text, clBlue);
    EXPECT_EQ(linkColors.Back, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(linkColors.Brush, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(ControlTest, TabWalksTheTabOrderIntoGroupsAndSkipsNonStops) {
    // The editor's layout, created in stored order, with its tab numbers.
    std::map<std::string, TWinControl*> c;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        auto add = [&](TWinControl* control, const std::string& name, int tab) {
            c[name] = control;
            control->SetTabOrder(tab);
        };
        auto box = [&](TWinControl* parent, const std::string& name) { return Place<TCheckBox>(f, parent, {7, 8, 69, 17}, name); };
        auto button = [&](const std::string& name) { return Place<TButton>(f, &f, {318, 35, 49, 20}, name); };
        add(box(&f, "chkEnabled"), "chkEnabled", 4);
        Place<TLabel>(f, &f, {5, 40, 51, 13}, "Action");
        add(Place<TComboBox>(f, &f, {62, 35, 251, 21}), "cbAction", 0);
        add(button("cmdBrowse"), "cmdBrowse", 7);
        auto* group = Place<TGroupBox>(f, &f, {62, 65, 195, 49}, "Modifiers");
        add(group, "GroupBox1", 1);
        add(box(group, "chkCtrl"), "chkCtrl", 0);
        add(box(group, "chkAlt"), "chkAlt", 1);
        add(box(group, "chkShift"), "chkShift", 2);
        add(Place<TComboBox>(f, &f, {62, 127, 99, 21}), "cbKey", 2);
        add(button("cmdNextKey"), "cmdNextKey", 3);
        add(button("cmdSave"), "cmdSave", 5);
        add(button("cmdCancel"), "cmdCancel", 6);
        Place<TButton>(f, &f, {5, 190, 60, 20}, "Never")->SetTabStop(false);
    });
    const std::vector<std::string> order{"cbAction", "chkCtrl",    "chkAlt",  "chkShift",  "cbKey",
                                         "cmdNextKey", "chkEnabled", "cmdSave", "cmdCancel", "cmdBrowse"};
    auto nameOf = [&](HWND h) {
        for (auto& [name, control] : c)
            if (control->Handle() == h) return name;
        for (auto& [name, control] : c)
            if (::IsChild(control->Handle(), h)) return name;  // the edit of a combo box
        return "window '" + WindowText(h) + "'";
    };
    std::vector<std::string> walked;
    for (HWND h = ::GetNextDlgTabItem(form->Handle(), nullptr, FALSE); walked.size() < order.size();
         h = ::GetNextDlgTabItem(form->Handle(), h, FALSE))
        walked.push_back(nameOf(h));
    EXPECT_EQ(walked, order);

    // Real Tab presses, from the first control round to it again, and Shift+Tab back.
    ShowInFront(form);
    c["cbAction"]->SetFocus();
    std::vector<std::string> tabbed;
    for (size_t i = 0; i < order.size(); ++i) {
        const HWND before = ::GetFocus();
        PressKey(VK_TAB);
        WaitFor([&] { return ::GetFocus() != before; }, 2000);
        tabbed.push_back(nameOf(::GetFocus()));
    }
    std::vector<std::string> expected(order.begin() + 1, order.end());
    expected.push_back(order.front());
    EXPECT_EQ(tabbed, expected);
    PressKey(VK_TAB, {VK_SHIFT});
    WaitFor([&] { return nameOf(::GetFocus()) == "cmdBrowse"; }, 2000);
    EXPECT_EQ(nameOf(::GetFocus()), "cmdBrowse");

    // A new tab number on a shown form moves the control at once; ties keep creation order.
    c["cmdBrowse"]->SetTabOrder(1);
    EXPECT_EQ(nameOf(::GetNextDlgTabItem(form->Handle(), c["cbAction"]->Handle(), FALSE)), "cmdBrowse");
    EXPECT_EQ(nameOf(::GetNextDlgTabItem(form->Handle(), c["cmdBrowse"]->Handle(), FALSE)), "chkCtrl");
}

TEST_F(ControlTest, ControlsInAGroupBoxGetNewWindowsWhenTheFormsWindowIsMadeAgain) {
    TGroupBox* group = nullptr;
    TCheckBox* inside = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        group = Place<TGroupBox>(f, &f, {10, 10, 200, 100}, "Group");
        inside = Place<TCheckBox>(f, group, {10, 20, 150, 20}, "Inside");
    });
    const HWND before = inside->Handle();
    form->DestroyHandle();
    EXPECT_FALSE(::IsWindow(before));
    EXPECT_FALSE(group->HandleAllocated());
    EXPECT_FALSE(inside->HandleAllocated());  // a stale handle would never be made again
    form->HandleNeeded();
    ASSERT_TRUE(inside->HandleAllocated());
    EXPECT_TRUE(::IsWindow(inside->Handle()));
    EXPECT_EQ(::GetParent(inside->Handle()), group->Handle());
    EXPECT_EQ(WindowText(inside->Handle()), "Inside");
}

TEST_F(ControlTest, LabelsAlignAndWrapTheirCaption) {
    const std::string longText = "Press a key to be used as the accelerator of this binding now";
    const struct {
        TAlignment Alignment;
        bool WordWrap;
        std::string Text;
    } cases[] = {{TAlignment::taLeftJustify, false, "Key"}, {TAlignment::taRightJustify, false, "Key"},
                 {TAlignment::taCenter, false, "Key"},      {TAlignment::taCenter, true, longText},
                 {TAlignment::taLeftJustify, true, longText}, {TAlignment::taRightJustify, false, longText}};
    TTestForm* form = MakeForm(nullptr);
    form->Show();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Text + " alignment " + std::to_string(static_cast<int>(k.Alignment)));
        auto* label = Place<TLabel>(*form, form, {10, 10, 150, 60}, k.Text);
        label->SetAlignment(k.Alignment);
        label->SetWordWrap(k.WordWrap);
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        const TInk ink = InkOf(PrintClient(label->Handle(), face), face);
        ASSERT_GE(ink.Box.right, 0) << "nothing drawn";
        EXPECT_EQ(ink.Lines > 1, k.WordWrap) << ink.Lines << " lines";
        const int leftGap = ink.Box.left, rightGap = 150 - 1 - ink.Box.right;
        if (k.Alignment == TAlignment::taLeftJustify) EXPECT_LE(leftGap, 4);  // a glyph's bearing
        if (k.Alignment == TAlignment::taRightJustify) EXPECT_LE(rightGap, 4);
        if (k.Alignment == TAlignment::taCenter) EXPECT_NEAR(leftGap, rightGap, 3);
        if (k.Text.size() < 10) EXPECT_GT(leftGap + rightGap, 80) << "short text";
        delete label;
    }
}

// The about box's "Version " and the version text behind it: the first label's rectangle
// reaches over the start of the second one's text, which must show all the same.
TEST_F(ControlTest, LabelsDrawOnlyTheirLetters) {
    TLabel *front = nullptr, *behind = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        front = Place<TLabel>(f, &f, {10, 10, 60, 13}, "V");
        behind = Place<TLabel>(f, &f, {40, 10, 100, 13}, "HHHH HHHH");
    });
    form->Show();
    Pump();
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    auto inkUnderFront = [&] {
        const TPixels p = ScreenPixels(behind->Handle());
        int ink = 0;
        for (int y = 0; y < p.Height; ++y)
            for (int x = 0; x < 30; ++x) ink += p.At(x, y) != face;
        return ink;
    };
    EXPECT_GT(inkUnderFront(), 10) << "the front label paints over the letters behind it";

    // A new caption leaves nothing of the old one.
    const TPixels before = ScreenPixels(front->Handle());
    front->SetCaption("WWWWWWWW");
    Pump();
    front->SetCaption("V");
    Pump();
    EXPECT_EQ(ScreenPixels(front->Handle()).Data, before.Data);
    EXPECT_GT(inkUnderFront(), 10);
}

TEST_F(ControlTest, CheckBoxOnClickFiresForTheUsersTogglesOnly) {
    TCheckBox* box = nullptr;
    TButton* button = nullptr;
    TEdit* field = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        box = Place<TCheckBox>(f, &f, {7, 8, 69, 17}, "&Enabled");
        box->SetAlignment(TAlignment::taLeftJustify);
        box->SetChecked(true);
        button = Place<TButton>(f, &f, {100, 8, 64, 23}, "Save");
        field = Place<TEdit>(f, &f, {100, 40, 100, 21});
    });
    std::vector<bool> clicks;
    box->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, box);
        clicks.push_back(box->Checked());
    };
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::GetWindowLongPtrA(box->Handle(), GWL_STYLE) & BS_LEFTTEXT);
    box->SetChecked(false);
    box->SetChecked(false);
    EXPECT_EQ(::SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ShowInFront(form);
    Pump();
    EXPECT_TRUE(clicks.empty()) << "set by the program, not the user";

    auto expectToggle = [&](const char* how, bool to, const std::function<void()>& act) {
        const size_t before = clicks.size();
        act();
        EXPECT_TRUE(WaitFor([&] { return clicks.size() > before; }, 2000)) << how;
        Pump(50);  // and no second event after it
        ASSERT_EQ(clicks.size(), before + 1) << how;
        EXPECT_EQ(clicks.back(), to) << how;
        EXPECT_EQ(box->Checked(), to) << how;
    };
    expectToggle("click", true, [&] { Click(box->Handle()); });
    expectToggle("space", false, [&] {
        box->SetFocus();
        PressKey(VK_SPACE);
    });
    expectToggle("Alt+E", true, [&] {
        button->SetFocus();
        PressKey('E', {VK_MENU});
    });
    expectToggle("E on a button", false, [&] {
        button->SetFocus();
        PressKey('E');
    });
    // In a text field the letter is text, not a mnemonic.
    field->SetFocus();
    PressKey('E');
    EXPECT_TRUE(WaitFor([&] { return field->Text() == "e"; }, 2000));
    Pump(50);
    EXPECT_EQ(clicks.size(), 4u);
}

TEST_F(ControlTest, LinkEditLooksAndActsLikeALink) {
    TEdit *link = nullptr, *plain = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        link = Place<TEdit>(f, &f, {12, 78, 111, 21});
        link->SetText("someone@example.com");
        link->MakeLink();
        plain = Place<TEdit>(f, &f, {12, 123, 185, 21});
    });
    int clicks = 0;
    link->OnClick = [&](TObject*) { ++clicks; };
    const LONG_PTR style = ::GetWindowLongPtrA(link->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_FALSE(style & WS_TABSTOP);
    EXPECT_FALSE(::GetWindowLongPtrA(link->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(::GetWindowLongPtrA(plain->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(link->Text(), "someone@example.com");

    const HCURSOR hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    auto cursorOver = [](HWND h) {
        ::SetCursor(nullptr);
        ::SendMessageA(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    EXPECT_EQ(cursorOver(link->Handle()), hand);
    EXPECT_NE(cursorOver(plain->Handle()), hand);

    ShowInFront(form);
    Click(link->Handle());
    EXPECT_TRUE(WaitFor([&] { return clicks == 1; }, 2000));
    Click(plain->Handle());
    Click(form->Handle(), POINT{300, 200});
    Pump(200);
    EXPECT_EQ(clicks, 1);

    // Text of any length goes in and comes out whole.
    std::string longText(70000, 'x');
    longText.back() = 'y';
    plain->SetText(longText);
    EXPECT_EQ(plain->Text(), longText);
}
