// Panels and images against the real window system, and every control at 144 DPI: a second
// run of this program with the system DPI set, since Wine cannot change a window's DPI.
#include "ControlTestUtil.h"

#include <cstdlib>

#include "framework/ExtCtrls.h"
#include "framework/Handles.h"
#include "framework/ListView.h"
#include "framework/StdCtrls.h"
#include "framework/WinText.h"

using namespace fw;
using namespace ctltest;

namespace {

// A square icon of one colour, made here so the test knows every pixel.
THIcon SolidIcon(COLORREF colour, int size) {
    HDC screen = ::GetDC(nullptr);
    THBitmap colourBits(::CreateCompatibleBitmap(screen, size, size));
    THBitmap maskBits(::CreateBitmap(size, size, 1, 1, nullptr));  // all zero: opaque
    HDC dc = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(dc, colourBits.Get());
    THBrush brush(::CreateSolidBrush(colour));
    RECT r{0, 0, size, size};
    ::FillRect(dc, &r, brush.Get());
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, maskBits.Get(), colourBits.Get()};
    return THIcon(::CreateIconIndirect(&info));
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

}  // namespace

TEST_F(ControlTest, PanelBevelsAreDrawnOutsideIn) {
    TPanel *etched = nullptr, *flat = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        etched = Place<TPanel>(f, &f, {6, 8, 267, 153});  // the about box's
        etched->SetBevelOuter(TBevelCut::bvLowered);
        etched->SetBevelInner(TBevelCut::bvRaised);
        flat = Place<TPanel>(f, &f, {280, 8, 50, 50});
        flat->SetBevelOuter(TBevelCut::bvNone);
    });
    form->Show();
    const TPixels p = PrintClient(etched->Handle());
    const int r = p.Width - 1, b = p.Height - 1;
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW), light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(shadow, light);
    EXPECT_EQ(p.At(0, 0), shadow) << "lowered outer: dark above and left";
    EXPECT_EQ(p.At(r, b), light) << "lowered outer: light below and right";
    EXPECT_EQ(p.At(1, 1), light) << "raised inner: light above and left";
    EXPECT_EQ(p.At(r - 1, b - 1), shadow) << "raised inner: dark below and right";
    EXPECT_EQ(p.At(p.Width / 2, p.Height / 2), ::GetSysColor(COLOR_BTNFACE));
    for (COLORREF c : PrintClient(flat->Handle()).Data) ASSERT_EQ(c, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(ControlTest, ImageDrawsItsIconAtTheControlsSizeAndOwnsOnlyWhatItIsGiven) {
    THIcon red = SolidIcon(RGB(255, 0, 0), 16);
    THIcon green = SolidIcon(RGB(0, 255, 0), 16);
    const HICON greenHandle = green.Get();
    TImage *kept = nullptr, *owning = nullptr, *resource = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        kept = Place<TImage>(f, &f, {13, 13, 32, 32});
        kept->SetIcon(red.Get());
        owning = Place<TImage>(f, &f, {60, 13, 32, 32});
        owning->SetIcon(std::move(green));
        resource = Place<TImage>(f, &f, {100, 13, 32, 32});
        resource->SetIconResource("MAINICON");
    });
    form->Show();
    const TPixels p = PrintClient(kept->Handle());
    ASSERT_EQ(p.Width, 32);
    EXPECT_EQ(p.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(p.At(31, 31), RGB(255, 0, 0)) << "the 16-pixel icon fills the 32-pixel image";
    EXPECT_EQ(PrintClient(owning->Handle()).At(20, 20), RGB(0, 255, 0));
    EXPECT_EQ(IconWidth(resource->Icon()), 32);

    delete std::exchange(app, nullptr);  // the forms and their controls with it
    EXPECT_EQ(IconWidth(red.Get()), 16) << "an icon the caller keeps stays";
    EXPECT_EQ(IconWidth(greenHandle), 0) << "an icon handed over goes with its image";
}

namespace {

// Sets the system DPI that programs started from now on read, and puts the old value back.
class TSystemDpi {
public:
    explicit TSystemDpi(DWORD dpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, FKey.Put(), nullptr);
        DWORD size = sizeof FOld;
        FHadOld = ::RegQueryValueExA(FKey.Get(), "LogPixels", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&FOld), &size) == ERROR_SUCCESS;
        ::RegSetValueExA(FKey.Get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~TSystemDpi() {
        if (FHadOld)
            ::RegSetValueExA(FKey.Get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&FOld), sizeof FOld);
        else
            ::RegDeleteValueA(FKey.Get(), "LogPixels");
    }

private:
    THKey FKey;
    DWORD FOld = 0;
    bool FHadOld = false;
};

// Runs this test program again on one test; returns its exit code and what it printed.
std::pair<DWORD, std::string> RunChild(const std::string& filter) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    THandle readEnd, writeEnd;
    ::CreatePipe(readEnd.Put(), writeEnd.Put(), &sa, 0);
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd.Get();
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + ModuleFileName() + "\" --gtest_filter=" + filter;
    ::SetEnvironmentVariableA("TARVO_DPI_CHILD", "1");
    const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &si, &pi);
    ::SetEnvironmentVariableA("TARVO_DPI_CHILD", nullptr);
    if (!started) return {~0u, "could not start " + command};
    THandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.Reset();  // the child holds the only writing end now
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
    ::WaitForSingleObject(process.Get(), 60000);
    DWORD code = ~0u;
    ::GetExitCodeProcess(process.Get(), &code);
    return {code, output};
}

}  // namespace

// Run here, it starts itself again at 144 DPI; run there, it checks the controls.
TEST_F(ControlTest, ControlsScaleWithTheWindowsDpi) {
    if (!std::getenv("TARVO_DPI_CHILD")) {
        TSystemDpi dpi(144);
        auto [code, output] = RunChild("ControlTest.ControlsScaleWithTheWindowsDpi");
        EXPECT_EQ(code, 0u) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return;
    }
    TLabel* label = nullptr;
    TGroupBox* group = nullptr;
    TCheckBox* inGroup = nullptr;
    TComboBox* combo = nullptr;
    TImage* image = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        label = Place<TLabel>(f, &f, {5, 40, 51, 13}, "Action");
        label->SetFontBold(true);
        group = Place<TGroupBox>(f, &f, {62, 65, 195, 49}, "Modifiers");
        inGroup = Place<TCheckBox>(f, group, {16, 20, 45, 17}, "&Ctrl");
        combo = Place<TComboBox>(f, &f, {62, 127, 99, 21});
        combo->SetDropDownCount(20);
        for (int i = 0; i < 30; ++i) combo->Items().Add("line " + std::to_string(i));
        image = Place<TImage>(f, &f, {13, 150, 32, 32});
        image->SetIconResource("MAINICON");
    });
    ASSERT_EQ(DpiOfWindow(form->Handle()), 144u) << "the system DPI did not reach this run";
    auto scaled = [](TBounds b) { return RECT{b.Left * 3 / 2, b.Top * 3 / 2, (b.Left + b.Width) * 3 / 2, (b.Top + b.Height) * 3 / 2}; };
    auto expectAt = [&](TWinControl* c, TBounds b) {
        const RECT got = RectInParent(c->Handle()), want = scaled(b);
        EXPECT_NEAR(got.left, want.left, 1) << c->ClassName();
        EXPECT_NEAR(got.top, want.top, 1) << c->ClassName();
        EXPECT_NEAR(got.right, want.right, 1) << c->ClassName();
        EXPECT_NEAR(got.bottom, want.bottom, 1) << c->ClassName();
    };
    expectAt(label, {5, 40, 51, 13});
    expectAt(inGroup, {16, 20, 45, 17});  // within the group box
    expectAt(image, {13, 150, 32, 32});
    EXPECT_EQ(FontOf(label->Handle()).lfHeight, -17);
    EXPECT_EQ(FontOf(label->Handle()).lfWeight, FW_BOLD);
    EXPECT_EQ(FontOf(inGroup->Handle()).lfHeight, -17);
    EXPECT_EQ(IconWidth(image->Icon()), 48) << "the picture is loaded at the size it is shown";

    RECT box;
    ::GetWindowRect(combo->Handle(), &box);
    EXPECT_NEAR(box.right - box.left, 99 * 3 / 2, 1);
    ::SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(combo->Handle(), &info);
    RECT list;
    ::GetClientRect(info.hwndList, &list);
    const auto line = static_cast<int>(::SendMessageA(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_GT(line, 16) << "lines of the 144-DPI font";
    EXPECT_EQ(list.bottom / line, 20);
    ::SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    combo->SetDropDownCount(5);
    ::SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    ::GetClientRect(info.hwndList, &list);
    EXPECT_EQ(list.bottom / line, 5);
    ::GetWindowRect(combo->Handle(), &box);
    EXPECT_LT(box.bottom - box.top, 2 * line) << "the closed box keeps the height of one line";
}

// What the list view hands the control for a row's text and tip, in a buffer of `size`.
TEST_F(ControlTest, ListViewCutsRowTextAndTipsToTheBufferBetweenCharacters) {
    TListView* list = nullptr;
    MakeForm([&](TTestForm& f) {
        list = Place<TListView>(f, &f, {10, 10, 300, 150});
        list->AddColumn("Name", 100);
        list->AddColumn("Key", 100);
    });
    const std::string ae = "\xC3\xA4";  // "ä"
    list->Insert(0);
    list->SetItemCaption(0, "ab" + ae);
    list->SetSubItems(0, {"x" + ae + "y"});
    list->SetRowMark(0, true, "tip" + ae);
    auto shown = [&](int column, int size) {
        std::string text(static_cast<size_t>(size) + 4, '#');
        NMLVDISPINFOA info{};
        info.hdr = {list->Handle(), 0, LVN_GETDISPINFOA};
        info.item.mask = LVIF_TEXT;
        info.item.iSubItem = column;
        info.item.pszText = text.data();
        info.item.cchTextMax = size;
        list->CNNotify(&info.hdr);
        EXPECT_EQ(text.substr(static_cast<size_t>(size)), "####") << "written past the buffer";
        return std::string(text.c_str());
    };
    EXPECT_EQ(shown(0, 4), "ab");       // "ä" would be split
    EXPECT_EQ(shown(0, 5), "ab" + ae);  // exact fit
    EXPECT_EQ(shown(1, 3), "x");
    EXPECT_EQ(shown(1, 5), "x" + ae + "y");
    std::string tip(6 + 4, '#');
    NMLVGETINFOTIPA request{{list->Handle(), 0, LVN_GETINFOTIPA}, 0, tip.data(), 5, 0, 0, 0};
    list->CNNotify(&request.hdr);
    EXPECT_EQ(std::string(tip.c_str()), "tip");
    EXPECT_EQ(tip.substr(5), "#####");
}

// A character typed reaches the form's key preview and the list's handler as its whole UTF-16
// code unit: "č" (U+010D) cut to a byte would be Enter, which opens the editor on a row.
TEST_F(ControlTest, ATypedCharacterReachesTheKeyHandlersWhole) {
    TListView* list = nullptr;
    TTestForm* form = MakeForm([&](TTestForm& f) {
        list = Place<TListView>(f, &f, {10, 10, 300, 150});
        list->AddColumn("Name", 100);
    });
    std::vector<char16_t> previewed, listed;
    form->SetKeyPreview(true);
    form->OnKeyPress = [&](TObject*, char16_t& key) { previewed.push_back(key); };
    list->OnKeyPress = [&](TObject*, char16_t& key) { listed.push_back(key); };
    ShowInFront(form);
    ::SetFocus(list->Handle());
    INPUT in[2]{};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = 0x010D;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, in, sizeof(INPUT)), 2u);
    EXPECT_TRUE(WaitFor([&] { return !listed.empty(); }, 3000));
    EXPECT_EQ(previewed, std::vector<char16_t>{0x010D});
    EXPECT_EQ(listed, std::vector<char16_t>{0x010D});
}
