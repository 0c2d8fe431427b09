// Combo boxes against the real control: items, selection and text set by the program raise
// nothing; the user's typing and choosing raise OnChange and OnSelect as the dialogs need.
#include "ControlTestUtil.h"

#include <algorithm>
#include <stdexcept>

#include "framework/StdCtrls.h"
#include "framework/WinText.h"

using namespace fw;
using namespace ctltest;

namespace {

class ComboBoxTest : public ControlTest {
protected:
    void Build(std::vector<std::string> lines = {"F1", "F10", "F2", "Alpha", "Beta", "Gamma"},
               int dropDownCount = 8) {
        form = MakeForm([&](TTestForm& f) {
            combo = Place<TComboBox>(f, &f, {62, 35, 251, 21});
            combo->SetDropDownCount(dropDownCount);
            for (const std::string& line : lines) combo->Items().Add(line);
            ok = Place<TButton>(f, &f, {109, 174, 64, 23}, "Save");
            ok->SetDefault(true);
            ok->SetModalResult(mrOk);
            cancel = Place<TButton>(f, &f, {210, 174, 64, 23}, "Cancel");
            cancel->SetCancel(true);
            cancel->SetModalResult(mrCancel);
        });
        combo->OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, combo);
            log.push_back("change " + State());
            if (OnChange) OnChange();
        };
        combo->OnSelect = [this](TObject*) { log.push_back("select " + State()); };
    }
    std::string State() const { return std::to_string(combo->ItemIndex()) + " " + combo->Text(); }
    // A key pressed on the focused control, and time for the control to act on it.
    void Key(WORD vk, std::initializer_list<WORD> held = {}) {
        PressKey(vk, held);
        Pump(150);
    }

    TTestForm* form = nullptr;
    TComboBox* combo = nullptr;
    TButton *ok = nullptr, *cancel = nullptr;
    std::vector<std::string> log;
    std::function<void()> OnChange;
};

using TLog = std::vector<std::string>;

}  // namespace

TEST_F(ComboBoxTest, TheProgramSetsItemsSelectionAndTextWithoutUserEvents) {
    Build();
    // State given before the window exists is there once it does.
    auto* preselected = new TComboBox(form);
    preselected->Items().Add("one");
    preselected->Items().Add("two");
    preselected->SetItemIndex(1);
    auto* pretyped = new TComboBox(form);
    pretyped->SetText("(Choose Key)");
    for (TComboBox* c : {preselected, pretyped}) c->SetParent(form);
    EXPECT_EQ(WindowText(preselected->Handle()) + " " + WindowText(pretyped->Handle()), "two (Choose Key)");
    EXPECT_EQ(preselected->ItemIndex(), 1);

    EXPECT_EQ(combo->Items().Count(), 6);
    EXPECT_EQ(combo->Items().IndexOf("Beta"), 4);
    EXPECT_EQ(combo->Items().IndexOf("beta"), -1);
    combo->SetItemIndex(3);
    EXPECT_EQ(State(), "3 Alpha");
    EXPECT_EQ(WindowText(combo->Handle()), combo->Items()[3]);
    combo->SetText("Alpha");  // the selected line's own text keeps it selected
    EXPECT_EQ(State(), "3 Alpha");
    combo->SetText("Gamma");  // any other text is no longer the selected line
    EXPECT_EQ(State(), "-1 Gamma");
    combo->SetItemIndex(4);
    combo->SetItemIndex(-1);  // clears the text with the selection
    EXPECT_EQ(State(), "-1 ");
    combo->SetText("typed");
    combo->SetItemIndex(-1);  // no selection to clear: the text stays
    EXPECT_EQ(State(), "-1 typed");
    EXPECT_THROW(combo->SetItemIndex(6), std::out_of_range);
    EXPECT_THROW(combo->SetItemIndex(-2), std::out_of_range);
    std::string longText(100000, 'x');
    longText.back() = 'y';
    combo->SetText(longText);
    EXPECT_EQ(combo->Text(), longText);
    combo->Items().Clear();
    EXPECT_EQ(combo->Items().Count(), 0);
    EXPECT_EQ(::SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(State(), "-1 ");
    Pump();
    EXPECT_EQ(log, TLog{});
}

TEST_F(ComboBoxTest, OnSelectComesForAChosenLineNotWhileArrowingTheOpenList) {
    Build();
    ShowInFront(form);
    combo->SetFocus();
    Key(VK_DOWN);  // on the closed box an arrow chooses at once
    EXPECT_EQ(log, (TLog{"change 0 F1", "select 0 F1"}));

    log.clear();
    Key(VK_F4);
    ASSERT_TRUE(combo->DroppedDown());
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(log, (TLog{"change 1 F10", "change 2 F2"})) << "looking is not choosing";
    Key(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(log, (TLog{"change 1 F10", "change 2 F2", "select 2 F2"}));

    log.clear();
    Key(VK_DOWN, {VK_MENU});
    ASSERT_TRUE(combo->DroppedDown());
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "change 3 Alpha");
    for (const std::string& entry : log) EXPECT_NE(entry.rfind("select", 0), 0u) << entry;
    EXPECT_TRUE(form->Visible());
}

TEST_F(ComboBoxTest, TypingChangesTheTextInTheFieldAndPassesTheKeyPreview) {
    Build();
    std::vector<std::uint16_t> previewed;
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) { previewed.push_back(key); };
    ShowInFront(form);
    combo->SetFocus();
    ASSERT_TRUE(::IsChild(combo->Handle(), ::GetFocus())) << "the field of the box holds the focus";
    Key('A');
    Key('B');
    EXPECT_EQ(combo->Text(), "ab");
    EXPECT_EQ(log, (TLog{"change -1 a", "change -1 ab"}));
    EXPECT_EQ(previewed, (std::vector<std::uint16_t>{'A', 'B'}));

    // However the list completes typed text as it opens and closes, the last OnChange saw
    // the text the box shows.
    log.clear();
    Key(VK_BACK);
    Key(VK_BACK);
    Key('G');
    Key(VK_DOWN, {VK_MENU});
    Key(VK_RETURN);
    auto lastChange = std::find_if(log.rbegin(), log.rend(), [](const std::string& e) { return e.rfind("change", 0) == 0; });
    ASSERT_NE(lastChange, log.rend());
    EXPECT_EQ(*lastChange, "change " + State());
}

TEST_F(ComboBoxTest, EnterAndEscInTheOpenListCloseItAndNotTheModalForm) {
    Build();
    int oks = 0, cancels = 0;
    ok->OnClick = [&](TObject*) { ++oks; };
    cancel->OnClick = [&](TObject*) { ++cancels; };
    bool ran = false;
    TLater inside(300, [&] {
        ran = true;
        combo->SetFocus();
        for (WORD key : {VK_RETURN, VK_ESCAPE}) {
            Key(VK_F4);
            EXPECT_TRUE(combo->DroppedDown());
            Key(key);
            EXPECT_FALSE(combo->DroppedDown()) << key;
            EXPECT_EQ(form->ModalResult(), mrNone) << key;
        }
        Key(VK_ESCAPE);  // with the list closed Esc is the form's again
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_TRUE(ran);
    EXPECT_EQ(oks, 0);
    EXPECT_EQ(cancels, 1);
}

TEST_F(ComboBoxTest, ALineClearedByOnChangeStaysCleared) {
    // The editor's example list: its first two lines are not actions and clear themselves.
    Build({"examples of valid inputs:", "--------", "http://www.example.com/", "USER_CLIPBOARD"});
    OnChange = [&] {
        if (combo->ItemIndex() == 0 || combo->ItemIndex() == 1) combo->SetItemIndex(-1);
    };
    ShowInFront(form);
    combo->SetFocus();
    combo->SetItemIndex(2);
    Key(VK_UP);  // closed: onto line 1
    EXPECT_EQ(State(), "-1 ");
    EXPECT_EQ(log, TLog{"change 1 --------"}) << "a cleared line is not chosen";

    combo->SetItemIndex(3);
    log.clear();
    Key(VK_F4);
    Key(VK_UP);
    Key(VK_UP);  // open: through line 2 onto line 1, then closed with Enter
    Key(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(State(), "-1 ");
    EXPECT_EQ(log, (TLog{"change 2 http://www.example.com/", "change 1 --------"}));
}
