// The binding editor, the key recorder and the main window's commands, used with real key
// presses as a person uses them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Session.h"

using namespace e2e;

namespace {

using TArgs = std::vector<std::string>;
using TRow = TTarvo::TRow;

class Editor : public TSession {};

}  // namespace

// Each of Save's messages, exactly, and each time the editor stays as the user left it; the
// duplicate check covers disabled rows; one key with other modifiers is another shortcut.
TEST_F(Editor, SaveTellsWhatIsWrongAndLeavesTheEditorAsTheUserLeftIt) {
    StartShown({{"Control_F9", {Command("ctrl-f9"), VK_F9, true}},
                {"Alt_F8", {Command("alt-f8"), VK_F8, false, true, false, false}}});
    TEditor editor = EditRow(2);  // the blank row
    ASSERT_TRUE(Shows(editor, "http://|(Choose Key)|---E"));
    // The focus is on the action after every activation; the key box is four Tabs away.
    auto typeKey = [&](const std::string& text) {
        for (int i = 0; i < 4; ++i) PressShortcut(VK_TAB);
        if (text.empty())
            PressShortcut(VK_DELETE);
        else
            TypeText(text);
    };
    const std::string invalid = " is not a valid key!\r\nPlease try again using valid key.";
    struct TStep {
        std::function<void()> Do;
        std::string Shows, Message;
    } steps[] = {
        {[] {}, "http://|(Choose Key)|---E", "Choose or enter a valid key to be used as the accelerator."},
        {[&] { typeKey(""); }, "http://||---E", "Accelerator key cannot be empty!\r\nPlease try again using valid key."},
        {[&] { typeKey("xyz"); }, "http://|xyz|---E", "xyz" + invalid},
        {[&] { typeKey("none"); }, "http://|none|---E", "none" + invalid},
        {[&] { typeKey("F9"); }, "http://|F9|---E", "Enter an action command to associate with the keys."},
        {[&] { TypeText("x"), PressShortcut('C', false, true); }, "x|F9|C--E",
         "Ctrl+F9 is already been used!\r\nPlease try again using other keys."},
        {[&] { typeKey("F8"), PressShortcut('C', false, true), PressShortcut('A', false, true); }, "x|F8|-A-E",
         "Alt+F8 is already been used!\r\nPlease try again using other keys."},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Message);
        step.Do();
        ASSERT_TRUE(Shows(editor, step.Shows)) << editor.State();
        auto box = Save();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->Caption, "Add Tarvo Error");
        EXPECT_EQ(box->Text, step.Message);
        ASSERT_TRUE(tarvo.DismissMessageBox(*box));
        EXPECT_TRUE(EditorOpen());
        // As left, but for a key name typed in: Save selected the key it names.
        const std::string left = step.Shows == "http://|none|---E" ? "http://|NONE|---E" : step.Shows;
        EXPECT_TRUE(Shows(editor, left)) << editor.State();
    }
    // Alt+F9 beside Ctrl+F9 (the focus is on the action again, after the last message).
    typeKey("F9");
    ASSERT_TRUE(Shows(editor, "x|F9|-A-E"));
    ASSERT_FALSE(Save());
    ASSERT_TRUE(WaitFor([&] { return KeyExists(Key("Alt_F9")); }));
    EXPECT_EQ(Rows(4), (std::vector<TRow>{{Command("alt-f8"), "Alt+F8", 1}, {"x", "Alt+F9", 0},
                                          {Command("ctrl-f9"), "Ctrl+F9", 0}, {"", "", 0}}));
    EXPECT_TRUE(ShortcutTaken(VK_F9, false, true));
    EXPECT_TRUE(ShortcutTaken(VK_F9, true));
}

// While the editor is open no shortcut of the program fires and nothing turns them back on;
// the recorder takes a shortcut a binding uses, and each key exactly once. After Cancel the
// enabled bindings fire again and nothing has changed.
TEST_F(Editor, WhileEditingNoShortcutFiresAndTheRecorderTakesExactlyOneKey) {
    StartShown({{"Control_F9", {Command("ctrl-f9"), VK_F9, true}},
                {"F11", {Command("f11"), VK_F11, false, false, false, false}}});
    const TRegValues stored = ReadValues(HotKeysKey() + "\\Control_F9");
    TEditor editor = EditRow(2);
    PressShortcut(VK_F9, true);
    ASSERT_TRUE(tarvo.RoundTrip());
    ASSERT_TRUE(HelpersEnded());
    EXPECT_EQ(Runs(), std::vector<TArgs>{}) << "a shortcut fired";
    EXPECT_FALSE(ShortcutTaken(VK_F9, true));

    // Nothing from the tray turns them on, hides the window or puts it over the editor.
    for (char item : {'d', 'e', 'h'}) {
        ASSERT_TRUE(tarvo.OpenTrayMenu());
        PressShortcut(static_cast<WORD>(::toupper(item)));
        PressShortcut(VK_ESCAPE);  // a disabled item leaves the menu open
        ASSERT_TRUE(WaitFor([&] { return !tarvo.OpenMenu(); }));
    }
    tarvo.ClickTray();
    ::PostMessageA(tarvo.ApplicationWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ::PostMessageA(tarvo.ApplicationWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == editor.Window; }));
    EXPECT_TRUE(::IsWindowVisible(tarvo.MainWindow()));
    EXPECT_FALSE(ShortcutTaken(VK_F9, true));
    EXPECT_EQ(ReadValues(HotKeysKey() + "\\Control_F9"), stored);

    // The recorder: one key each time, whatever comes with it.
    auto record = [&](const std::function<void()>& press) {
        PressShortcut('N', false, true);
        HWND recorder = nullptr;
        if (!WaitFor([&] { return (recorder = VisibleWindow("Key Recorder")) && ::GetForegroundWindow() == recorder; }))
            return std::string("<no recorder>");
        press();
        if (!WaitFor([&] { return !::IsWindowVisible(recorder); }, 1500)) return std::string("<still open>");
        WaitFor([&] { return ::GetForegroundWindow() == editor.Window; });
        return editor.KeyText();
    };
    EXPECT_EQ(record([] { PressShortcut(VK_F9, true); }), "F9");
    EXPECT_TRUE(Shows(editor, "http://|F9|---E")) << "the modifiers are the boxes' business";
    EXPECT_EQ(record([&] {
                  PressShortcut(VK_SHIFT);
                  PressShortcut(VK_OEM_1);
                  EXPECT_TRUE(tarvo.RoundTrip());
                  EXPECT_TRUE(VisibleWindow("Key Recorder")) << "closed by Shift or ';'";
                  PressShortcut(VK_F5, true);
              }),
              "F5");
    // A held Esc or Enter: the repeat and the release must not cancel or save the editor.
    EXPECT_EQ(record([] { KeyDown(VK_ESCAPE), KeyDown(VK_ESCAPE), KeyUp(VK_ESCAPE); }), "ESCAPE");
    EXPECT_EQ(record([] { KeyDown(VK_RETURN), KeyDown(VK_RETURN), KeyUp(VK_RETURN); }), "RETURN");
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox()) << "Save ran";
    // F10 and Alt: their releases must not leave the editor in menu mode.
    EXPECT_EQ(record([] { PressShortcut(VK_F10); }), "F10");
    EXPECT_EQ(record([] { PressShortcut('X', false, true); }), "X");
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(InMenuMode(editor.Window));
    EXPECT_TRUE(EditorOpen());
    // A key the table lacks leaves the key box empty.
    EXPECT_EQ(record([] { PressShortcut(VK_BROWSER_BACK); }), "");
    EXPECT_EQ(editor.KeySelection(), CB_ERR);

    // Esc cancels; the enabled binding works again and nothing changed.
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !EditorOpen(); }));
    PressShortcut(VK_F9, true);
    ASSERT_TRUE(WaitFor([&] { return Runs().size() == 1; }));
    EXPECT_EQ(Runs()[0], TArgs{"ctrl-f9"});
    EXPECT_FALSE(ShortcutTaken(VK_F11)) << "a disabled binding came on";
    EXPECT_EQ(ReadValues(HotKeysKey() + "\\Control_F9"), stored);
    EXPECT_EQ(Rows(3).size(), 3u);
}

// Edits are not lost in silence: the close box asks while anything was changed, message
// boxes in between do not make the editor forget it, and an Exit asks nothing and applies
// nothing.
TEST_F(Editor, TheCloseBoxAsksBeforeUnsavedEditsGoAndExitAppliesNothing) {
    StartShown({{"F2", {Command("two"), VK_F2}}});
    TEditor editor = EditRow(1);
    // Unchanged: the close box closes at once.
    ::PostMessageA(editor.Window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !EditorOpen(); }));
    EXPECT_FALSE(tarvo.MessageBox());

    editor = EditRow(1);
    TypeText("notes");
    ASSERT_TRUE(Shows(editor, "notes|(Choose Key)|---E"));
    auto box = Save();  // a message, and the editor active again after it
    ASSERT_TRUE(box);
    ASSERT_TRUE(tarvo.DismissMessageBox(*box));
    ::PostMessageA(editor.Window, WM_SYSCOMMAND, SC_CLOSE, 0);
    box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Caption, "Exit Confirm");
    EXPECT_EQ(box->Text, "Are you sure you want to close this window?\r\nYou will lose all the unsaved changes.");
    ::PostMessageA(box->Handle, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !tarvo.MessageBox(); }));
    EXPECT_TRUE(EditorOpen());
    EXPECT_TRUE(Shows(editor, "notes|(Choose Key)|---E"));
    ::PostMessageA(editor.Window, WM_SYSCOMMAND, SC_CLOSE, 0);
    box = tarvo.WaitForMessageBox();
    ASSERT_TRUE(box);
    ::PostMessageA(box->Handle, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitFor([&] { return !EditorOpen(); }));

    // A tick, then Exit from the tray: the program ends without a question or a save.
    editor = EditRow(0);
    PressShortcut('C', false, true);
    ASSERT_TRUE(WaitFor([&] { return IsChecked(editor.Ctrl); }));
    const TRegValues before = ReadValues(Key("F2"));
    ASSERT_TRUE(tarvo.ChooseFromTrayMenu('x'));
    ASSERT_TRUE(tarvo.WaitForExit());
    EXPECT_EQ(ReadValues(Key("F2")), before);
    EXPECT_EQ(SubKeys(HotKeysKey()), (std::vector<std::string>{"F2", "_FirstRun"}));
}

// The example list from the keyboard: arrowing through the open list keeps what it shows;
// a line chosen with Enter is taken, and the heading chosen empties the box.
TEST_F(Editor, ExampleLinesAreTakenWhenChosenNotWhileArrowing) {
    StartShown({});
    TEditor editor = EditRow(0);
    PressShortcut(VK_F4);  // opens the list
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(editor.Action, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    // The open list starts at the line that matches the text; up to the heading, which is
    // shown while arrowing, not cleared.
    for (int i = 0; i < 4; ++i) PressShortcut(VK_UP);
    ASSERT_TRUE(WaitFor([&] { return editor.ActionText() == "examples of valid inputs:"; })) << editor.ActionText();
    PressShortcut(VK_DOWN);
    PressShortcut(VK_DOWN);  // line 2, a web address
    ASSERT_TRUE(WaitFor([&] { return editor.ActionText().rfind("http://", 0) == 0; }));
    PressShortcut(VK_RETURN);  // chosen: taken as it is, and the list closes without a Save
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(editor.Action, CB_GETDROPPEDSTATE, 0, 0) == 0; }));
    EXPECT_EQ(editor.ActionText().rfind("http://www.", 0), 0u) << editor.ActionText();
    ASSERT_TRUE(tarvo.RoundTrip());
    EXPECT_FALSE(tarvo.MessageBox());
    // The heading chosen with Enter empties the box.
    PressShortcut(VK_F4);
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageA(editor.Action, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    for (int i = 0; i < 4; ++i) PressShortcut(VK_UP);
    ASSERT_TRUE(WaitFor([&] { return editor.ActionText() == "examples of valid inputs:"; })) << editor.ActionText();
    PressShortcut(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return editor.ActionText().empty(); })) << editor.ActionText();
    EXPECT_TRUE(EditorOpen());
}

// Browse starts from the action when it looks like a file, and a chosen path with spaces
// comes back quoted.
TEST_F(Editor, BrowseStartsFromTheActionAndQuotesAPathWithSpaces) {
    StartShown({});
    TEditor editor = EditRow(0);
    TypeText("notepad c:\\readme.txt");
    ASSERT_TRUE(Shows(editor, "notepad c:\\readme.txt|(Choose Key)|---E"));
    auto openDialog = [&] {
        PressShortcut('B', false, true);
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = VisibleWindow("Choose a file")) && ::GetForegroundWindow() == dialog; });
        return dialog;
    };
    auto nameField = [](HWND dialog) {
        HWND name = ::GetDlgItem(dialog, 0x480);  // the file name field
        return name ? name : ::GetDlgItem(dialog, 0x47C);
    };
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog && nameField(dialog));
    // Given the whole action; the dialog itself shows its file part.
    const std::string shown = ControlText(nameField(dialog));
    EXPECT_TRUE(shown.size() >= 10 && shown.compare(shown.size() - 10, 10, "readme.txt") == 0) << shown;
    PressShortcut(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(dialog); }));
    EXPECT_TRUE(Shows(editor, "notepad c:\\readme.txt|(Choose Key)|---E")) << "changed by a cancelled Browse";

    dialog = openDialog();
    ASSERT_TRUE(dialog && nameField(dialog));
    ::SendMessageA(nameField(dialog), EM_SETSEL, 0, -1);
    TypeText(helper);
    ASSERT_TRUE(WaitFor([&] { return ControlText(nameField(dialog)) == helper; })) << ControlText(nameField(dialog));
    PressShortcut(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(dialog); }));
    EXPECT_TRUE(Shows(editor, "\"" + helper + "\"|(Choose Key)|---E")) << editor.State();
}
