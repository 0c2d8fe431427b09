// The editor's Save checks, typed keys, Browse names and the recorder's key filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Keys.h"
#include "ui/EditorInput.h"

namespace {

const int F9 = KeyIndexOfName("F9");

struct TSaveCase {
    const char* Why;
    int KeyIndex;
    std::string KeyText, Action;
    bool Ctrl, Alt;
    int EditIndex;
    std::string Message;  // "" when Save goes through
    int SavedKey;
};

}  // namespace

TEST(EditorSave, ShowsTheFirstMessageThatAppliesAndChecksKeyBeforeAction) {
    // Rows: F9, Ctrl+F9 (disabled or not: Save cannot tell and need not), blank row at 2.
    const std::vector<std::string> rows{"Ctrl+F9", "F9"};
    const std::string notValid = " is not a valid key!\r\nPlease try again using valid key.";
    const TSaveCase cases[] = {
        {"both missing: the key is told", -1, "(Choose Key)", "http://", false, false, 2,
         "Choose or enter a valid key to be used as the accelerator.", -1},
        {"empty key box", -1, "", "notepad", false, false, 2,
         "Accelerator key cannot be empty!\r\nPlease try again using valid key.", -1},
        {"a name not in the table, told as typed", -1, " ; ", "notepad", false, false, 2, " ; " + notValid, -1},
        {"NONE picked", 0, "NONE", "notepad", false, false, 2, "NONE" + notValid, 0},
        {"none typed", -1, "none", "notepad", false, false, 2, "none" + notValid, 0},
        {"the preset address is no action", F9, "F9", " http://\t", true, true, 2,
         "Enter an action command to associate with the keys.", F9},
        {"blanks are no action", F9, "F9", " \r\n", true, true, 2, "Enter an action command to associate with the keys.", F9},
        {"another row's shortcut", F9, "F9", "notepad", true, false, 2,
         "Ctrl+F9 is already been used!\r\nPlease try again using other keys.", F9},
        {"its own row's shortcut", F9, "F9", "notepad", true, false, 0, "", F9},
        {"other modifiers make another shortcut", F9, "F9", "notepad", false, true, 2, "", F9},
        {"typed in any case with blanks", -1, "  f9 ", "HTTP://", false, true, 2, "", F9},
    };
    for (const TSaveCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const TEditorCheck check = CheckEditorInput({c.KeyIndex, c.KeyText, c.Action, c.Ctrl, c.Alt, false, c.EditIndex, rows});
        EXPECT_EQ(check.Message, c.Message);
        EXPECT_EQ(check.KeyIndex, c.SavedKey);
    }
    EXPECT_EQ(CheckEditorInput({F9, "F9", "  notepad x \t", false, true, false, 2, rows}).Action, "notepad x");
}

TEST(EditorBrowse, StartsWithTheActionOnlyWhenItLooksLikeAFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"notepad c:\\readme.txt", "notepad c:\\readme.txt"},  // a three-letter extension at the end
        {"http://", ""},
        {" \"c:\\my documents\\my essay.doc\" ", "c:\\my documents\\my essay.doc"},
        {"d:\\tools", "d:\\tools"},
        {"abc", "abc"},
        {"mailto:someone", ""},
        {"", ""},
    };
    for (const auto& [action, name] : cases) EXPECT_EQ(BrowseStartName(action), name) << action;
    EXPECT_EQ(BrowseAction("C:\\Tools\\a.exe"), "C:\\Tools\\a.exe");
    EXPECT_EQ(BrowseAction("C:\\Program Files\\a.exe"), "\"C:\\Program Files\\a.exe\"");
}

TEST(EditorExamples, HeadingAndRuleComeFirstAndTheBuiltInWordsLast) {
    EXPECT_TRUE(IsExampleHeading(0) && IsExampleHeading(1));
    EXPECT_FALSE(IsExampleHeading(2) || IsExampleHeading(-1));
    EXPECT_EQ(ExampleActions[1], std::string(38, '-'));
    EXPECT_EQ(ExampleActions[2].rfind("http://", 0), 0u);
    EXPECT_EQ(ExampleActions[3].rfind("mailto:", 0), 0u);
    EXPECT_EQ(ExampleActions[4].rfind("telnet ", 0), 0u);
    EXPECT_EQ(ExampleActions[12], "USER_CLIPBOARD");
}

TEST(Recorder, PassesOverModifiersWindowsKeysAndPunctuationOnly) {
    std::vector<int> ignored;
    for (int vk = 0; vk < 256; ++vk)
        if (RecorderIgnoresKey(vk)) ignored.push_back(vk);
    const std::vector<int> expected{16, 17, 18, 91, 92, 93, 186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222};
    EXPECT_EQ(ignored, expected);
}
