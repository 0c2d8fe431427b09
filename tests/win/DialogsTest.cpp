// The file-open dialog: the real system dialog driven from a timer inside its own loop, and
// a stand-in for the system call where Wine cannot produce the case (refused starting names,
// paths longer than Wine's dialog can hold).
#include "ControlTestUtil.h"

#include <cderr.h>
#include <dlgs.h>

#include <cstring>
#include <deque>

#include "framework/Dialogs.h"
#include "framework/WinText.h"

using namespace fw;
using namespace ctltest;

namespace {

HWND OpenDialogWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM p) {
        char cls[16] = {};
        ::GetClassNameA(h, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(h)) return TRUE;
        *reinterpret_cast<HWND*>(p) = h;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Acts once on the file dialog when it shows, from a timer that runs in the dialog's loop;
// cancels it should the test not get to act within 20 seconds.
class TDialogDriver {
public:
    explicit TDialogDriver(std::function<void(HWND)> act) {
        State() = {std::move(act), ::GetTickCount(), false};
        FTimer = ::SetTimer(nullptr, 0, 100, Tick);
    }
    ~TDialogDriver() {
        ::KillTimer(nullptr, FTimer);
        State().Act = nullptr;
    }
    bool Found() const { return State().Found; }

private:
    struct TState {
        std::function<void(HWND)> Act;
        DWORD Start = 0;
        bool Found = false;
    };
    static TState& State() {
        static TState state;
        return state;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        TState& s = State();
        HWND dialog = OpenDialogWindow();
        if (dialog && s.Act) {
            ::KillTimer(nullptr, id);
            s.Found = true;
            std::function<void(HWND)> act = std::move(s.Act);
            s.Act = nullptr;
            act(dialog);
        } else if (::GetTickCount() - s.Start > 20000) {
            ::KillTimer(nullptr, id);
            if (dialog) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    UINT_PTR FTimer;
};

// The file name field of the dialog (a combo box on newer systems, an edit on older ones).
HWND NameField(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, cmb13);
    return field ? field : ::GetDlgItem(dialog, edt1);
}

void PressKey(HWND dialog, int button) { ::PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0); }

class OpenDialogTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        form = MakeForm(nullptr);
        dialog = new TOpenDialog(form);
        dialog->SetTitle("Choose a file");
        dialog->SetFilter("*.*");
        dialog->SetOptions(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing);
        folder = CurrentDirectory();
    }
    void TearDown() override {
        EXPECT_EQ(CurrentDirectory(), folder) << "the dialog moved the program's current folder";
        ControlTest::TearDown();
    }
    TTestForm* form = nullptr;
    TOpenDialog* dialog = nullptr;
    std::string folder;
};

}  // namespace

TEST_F(OpenDialogTest, CancelKeepsTheFileNameAndShowsTheDialogAsAsked) {
    form->Show();
    std::string title, filter;
    bool readOnlyShown = true;
    HWND owner = nullptr;
    TDialogDriver driver([&](HWND d) {
        title = WindowText(d);
        filter = WindowText(::GetDlgItem(d, cmb1));
        readOnlyShown = ::GetDlgItem(d, chx1) && ::IsWindowVisible(::GetDlgItem(d, chx1));
        owner = ::GetWindow(d, GW_OWNER);
        PressKey(d, IDCANCEL);
    });
    EXPECT_FALSE(dialog->Execute());
    ASSERT_TRUE(driver.Found());
    EXPECT_EQ(title, "Choose a file");
    EXPECT_EQ(filter, "*.*");
    EXPECT_FALSE(readOnlyShown);
    EXPECT_EQ(owner, form->Handle()) << "over the active form";
    EXPECT_EQ(dialog->FileName(), "");
}

TEST_F(OpenDialogTest, AConfirmedFileComesBackWholeAndStartsTheNextRun) {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    const std::string dir = std::string(temp) + "tarvo open dialog";
    const std::string path = dir + "\\chosen file.txt";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    THandle(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    TDialogDriver typing([&](HWND d) {
        ::SetWindowTextA(NameField(d), path.c_str());
        PressKey(d, IDOK);
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->FileName(), path);

    std::string offered;
    TDialogDriver confirming([&](HWND d) {
        offered = WindowText(NameField(d));
        PressKey(d, IDOK);
    });
    ASSERT_TRUE(dialog->Execute());
    EXPECT_NE(offered.find("chosen file.txt"), std::string::npos) << offered;
    EXPECT_EQ(dialog->FileName(), path);
    ::DeleteFileA(path.c_str());
    ::RemoveDirectoryA(dir.c_str());
}

TEST_F(OpenDialogTest, AStartingNameThatCannotBeAFileNameIsLeftOut) {
    for (const char* name : {"a<b>c", "what?", "say \"hi\"", "tab\there"}) {
        dialog->SetFileName(name);
        std::string offered = "(not seen)";
        TDialogDriver driver([&](HWND d) {
            offered = WindowText(NameField(d));
            PressKey(d, IDCANCEL);
        });
        EXPECT_FALSE(dialog->Execute()) << name;
        EXPECT_TRUE(driver.Found()) << name << ": the dialog did not open";
        EXPECT_EQ(offered, "") << name;
        EXPECT_EQ(dialog->FileName(), name);
    }
}

namespace {

// Stands in for the system dialog: notes what it was given and answers as scripted.
class TScriptedDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    struct TAnswer {
        bool Ok;
        DWORD Error;
        std::string Chosen;
    };
    struct TCall {
        std::string Name, Title;
        std::vector<std::string> Filter;
        DWORD Flags, MaxFile;
        HWND Owner;
    };
    std::deque<TAnswer> Answers;
    std::vector<TCall> Calls;

protected:
    bool RunDialog(OPENFILENAMEA& ofn, DWORD& error) override {
        TCall call{ofn.lpstrFile, ofn.lpstrTitle ? ofn.lpstrTitle : "", {}, ofn.Flags, ofn.nMaxFile, ofn.hwndOwner};
        for (const char* p = ofn.lpstrFilter; p && *p; p += std::strlen(p) + 1) call.Filter.push_back(p);
        Calls.push_back(call);
        TAnswer a = Answers.empty() ? TAnswer{false, 0, ""} : Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        if (a.Ok) {
            EXPECT_LT(a.Chosen.size(), ofn.nMaxFile);
            std::memcpy(ofn.lpstrFile, a.Chosen.c_str(), a.Chosen.size() + 1);
        }
        error = a.Error;
        return a.Ok;
    }
};

}  // namespace

TEST_F(OpenDialogTest, ARefusedStartingNameOpensTheDialogAgainWithoutIt) {
    struct TCase {
        std::string Start;
        DWORD Error;
        std::vector<std::string> Offered;
    };
    const std::string start = "notepad c:\\readme.txt";
    for (const TCase& k : {TCase{start, FNERR_INVALIDFILENAME, {start, ""}},
                           TCase{start, FNERR_BUFFERTOOSMALL, {start, ""}},
                           TCase{start, CDERR_INITIALIZATION, {start}},  // not about the name
                           TCase{start, 0, {start}},                     // the user cancelled
                           TCase{"", FNERR_INVALIDFILENAME, {""}}}) {
        TScriptedDialog d(form);
        d.SetFileName(k.Start);
        d.Answers = {{false, k.Error, ""}, {true, 0, "C:\\picked.txt"}};
        const bool reopened = k.Offered.size() == 2;
        EXPECT_EQ(d.Execute(), reopened) << k.Error;
        std::vector<std::string> offered;
        for (const auto& call : d.Calls) offered.push_back(call.Name);
        EXPECT_EQ(offered, k.Offered) << k.Error;
        EXPECT_EQ(d.FileName(), reopened ? "C:\\picked.txt" : k.Start) << k.Error;
    }
}

TEST_F(OpenDialogTest, TheDialogIsGivenRoomForLongPathsAndTheOptionsAsFlags) {
    // Wine's own dialog cannot hold a path past MAX_PATH, so the stand-in returns one.
    const std::string longPath = "C:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\file.txt";
    const std::string longest = "C:\\" + std::string(TOpenDialog::MaxFileName - 4, 'c');
    for (const std::string& chosen : {longPath, longest}) {
        TScriptedDialog d(form);
        d.Answers = {{true, 0, chosen}};
        ASSERT_TRUE(d.Execute());
        EXPECT_EQ(d.FileName().size(), chosen.size());
        EXPECT_EQ(d.FileName(), chosen);
        EXPECT_GE(d.Calls.at(0).MaxFile, 32768u);
    }
    // A starting name is offered whole when it fits the buffer, not at all when it does not.
    for (const auto& [name, offered] : {std::pair{longest, longest}, std::pair{longest + "c", std::string()}}) {
        TScriptedDialog d(form);
        d.SetFileName(name);
        d.Execute();
        EXPECT_EQ(d.Calls.at(0).Name, offered) << name.size();
    }
    // Never a changed current folder; the options as the system's flags.
    const DWORD always = OFN_EXPLORER | OFN_NOCHANGEDIR;
    for (const auto& [options, flags] : {std::pair{TOpenOptions{0}, always},
                                         std::pair{TOpenOptions{ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing},
                                                   always | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING}}) {
        TScriptedDialog d(form);
        d.SetOptions(options);
        d.Execute();
        EXPECT_EQ(d.Calls.at(0).Flags, flags);
    }
}

TEST_F(OpenDialogTest, FilterPairsAndOwnerAreBuiltSafely) {
    using TParts = std::vector<std::string>;
    for (const auto& [filter, parts] : {std::pair{std::string("*.*"), TParts{"*.*", "*.*"}},
                                        std::pair{std::string("Text (*.txt)|*.txt|All|*.*"), TParts{"Text (*.txt)", "*.txt", "All", "*.*"}},
                                        std::pair{std::string("|*.exe||"), TParts{"*.exe", "*.exe"}},
                                        std::pair{std::string(""), TParts{}}}) {
        TScriptedDialog d(form);
        d.SetFilter(filter);
        d.SetTitle("Choose a file");
        d.Execute();
        EXPECT_EQ(d.Calls.at(0).Filter, parts) << filter;
        EXPECT_EQ(d.Calls.at(0).Title, "Choose a file");
    }
    // Over the active form; with no form active, over the application window.
    TScriptedDialog d(form);
    d.Execute();
    EXPECT_EQ(d.Calls.back().Owner, app->Handle());
    ShowInFront(form);
    d.Execute();
    EXPECT_EQ(d.Calls.back().Owner, form->Handle());
}
