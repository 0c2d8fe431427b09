#include "launch/ActionCommand.h"

#include <gtest/gtest.h>

namespace {

void ExpectSplit(std::string_view command, std::string_view program, std::string_view params) {
    TActionParts parts = SplitActionCommand(command);
    EXPECT_EQ(parts.Program, program) << "command: [" << command << "]";
    EXPECT_EQ(parts.Parameters, params) << "command: [" << command << "]";
}

TEST(SplitActionCommand, SplitsAtTheFirstSpaceOutsideQuotes) {
    ExpectSplit("notepad C:\\notes\\todo.txt", "notepad", "C:\\notes\\todo.txt");
    ExpectSplit("\"C:\\Program Files\\Tool\\tool.exe\" -x", "C:\\Program Files\\Tool\\tool.exe",
                "-x");
    // Only the first unquoted space splits; the rest, quotes included, stays as typed.
    ExpectSplit("prog a \"b c\"  d", "prog", "a \"b c\"  d");
    ExpectSplit("a\"b c\"d e", "a\"b c\"d", "e");
    ExpectSplit("http://example.com/a?b=1", "http://example.com/a?b=1", "");
    // A tab does not split; it is trimmed only at the ends.
    ExpectSplit("prog\targ", "prog\targ", "");
}

TEST(SplitActionCommand, TrimsControlCharactersAndHandlesLeadingSpaces) {
    ExpectSplit("\t\r\nprog   arg\r\n", "prog", "arg");
    ExpectSplit("prog \t arg \x01", "prog", "arg");
    // A leading space is the first unquoted space: empty program, all the rest as parameters.
    ExpectSplit(" notepad file.txt", "", "notepad file.txt");
    ExpectSplit("", "", "");
    ExpectSplit("   ", "", "");
}

TEST(SplitActionCommand, RemovesOneQuoteFromEachEndOfTheProgramOnly) {
    ExpectSplit("\"C:\\My Docs\\a b.doc\"", "C:\\My Docs\\a b.doc", "");
    ExpectSplit("\"\"x\"\" y", "\"x\"", "y");
    ExpectSplit("\"unclosed path", "unclosed path", "");  // the quote never closes
    ExpectSplit("tail\" y", "tail\" y", "");  // an open quote hides every later space
    ExpectSplit("tail\"", "tail", "");
    ExpectSplit("\"", "", "");
    ExpectSplit("\"\"", "", "");
    ExpectSplit("prog \"quoted arg\"", "prog", "\"quoted arg\"");
}

TEST(ClassifyProgramPart, BuiltInWordsMatchInAnyCaseAndNothingElse) {
    EXPECT_EQ(ClassifyProgramPart("USER_CLIPBOARD"), TBuiltInWord::Clipboard);
    EXPECT_EQ(ClassifyProgramPart("user_hide_window"), TBuiltInWord::HideWindow);
    EXPECT_EQ(ClassifyProgramPart("User_Show_Window"), TBuiltInWord::ShowWindow);
    EXPECT_EQ(ClassifyProgramPart("eXpLoRe"), TBuiltInWord::Explore);
    for (std::string_view other : {"EXPLORER", "EXPLORE ", "USER_CLIPBOARD2", "", "explore.exe",
                                   "EXPL\xC3\x96RE" /* non-ASCII O with umlaut */})
        EXPECT_EQ(ClassifyProgramPart(other), TBuiltInWord::None) << other;
}

TEST(IsShellWindowClass, KnowsTheDesktopAndTheShellInAnyCaseAndNothingElse) {
    for (std::string_view shell : {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd",
                                   "Windows.UI.Core.CoreWindow", "workerw", "SHELL_SECONDARYTRAYWND"})
        EXPECT_TRUE(IsShellWindowClass(shell)) << shell;
    for (std::string_view other : {"Notepad", "", "WorkerW2", "Shell_TrayWn", "CabinetWClass",
                                   "ApplicationFrameWindow", "Windows.UI.Core.CoreWindo"})
        EXPECT_FALSE(IsShellWindowClass(other)) << other;
}

TEST(IsWebAddress, KnowsThreeCaseSensitivePrefixes) {
    for (std::string_view yes : {"http://a", "https://a", "www.a", "http://", "www."})
        EXPECT_TRUE(IsWebAddress(yes)) << yes;
    for (std::string_view no : {"HTTP://a", "Https://a", "WWW.a", "http:/", "www", "htt",
                                "ftp://a", "mailto:a@b.c", " http://a", ""})
        EXPECT_FALSE(IsWebAddress(no)) << no;
}

TEST(NewBrowserCommandLine, QuotesBothPartsAndKeepsTheTargetOneArgument) {
    EXPECT_EQ(NewBrowserCommandLine("C:\\Program Files\\Web\\web.exe", "http://x/a b"),
              "\"C:\\Program Files\\Web\\web.exe\" \"http://x/a b\"");
    // A quote in the target must not close the argument and append browser switches.
    EXPECT_EQ(NewBrowserCommandLine("b.exe", "http://x\" --evil"),
              "\"b.exe\" \"http://x%22 --evil\"");
    EXPECT_EQ(NewBrowserCommandLine("b.exe", "www.x\r\n\x7F"), "\"b.exe\" \"www.x%0D%0A%7F\"");
    // Trailing backslashes would escape the closing quote.
    EXPECT_EQ(NewBrowserCommandLine("b.exe", "www.x\\\\"), "\"b.exe\" \"www.x\\\\\\\\\"");
    EXPECT_EQ(NewBrowserCommandLine("b.exe", "www.x\\y"), "\"b.exe\" \"www.x\\y\"");
    EXPECT_EQ(NewBrowserCommandLine("b.exe", "https://\xC3\xA4"), "\"b.exe\" \"https://\xC3\xA4\"");
}

TEST(InvalidActionMessage, AlwaysHasTheSpaceBeforeTheParameters) {
    EXPECT_EQ(InvalidActionMessage("prog.exe", "-a b"), "Invalid action command:\r\nprog.exe -a b");
    EXPECT_EQ(InvalidActionMessage("EXPLORE", ""), "Invalid action command:\r\nEXPLORE ");
    EXPECT_EQ(InvalidActionMessage("", "x y"), "Invalid action command:\r\n x y");
}

TEST(HiddenWindowStack, PopsInReverseAndIgnoresPopsWhenEmpty) {
    THiddenWindowStack<int> stack;
    EXPECT_EQ(stack.Pop(), std::nullopt);
    stack.Push(1);
    stack.Push(2);
    EXPECT_EQ(stack.HiddenCount(), 2);
    EXPECT_EQ(stack.HiddenWindows()[1], 2);  // slot 2
    EXPECT_EQ(stack.Pop(), 2);
    EXPECT_EQ(stack.Pop(), 1);
    EXPECT_EQ(stack.Pop(), std::nullopt);
    EXPECT_EQ(stack.HiddenCount(), 0);
}

TEST(HiddenWindowStack, The101stHideWrapsToSlotOneButTakeAllLosesNothing) {
    THiddenWindowStack<int> stack;
    for (int w = 1; w <= 101; ++w) stack.Push(w);
    EXPECT_EQ(stack.HiddenCount(), 1);
    EXPECT_EQ(stack.HiddenWindows()[0], 101);
    EXPECT_EQ(stack.HiddenWindows()[1], 2);
    stack.Push(102);
    EXPECT_EQ(stack.Pop(), 102);
    EXPECT_EQ(stack.Pop(), 101);
    EXPECT_EQ(stack.Pop(), std::nullopt);  // 1..100 are out of reach of Pop
    stack.Push(7);  // hidden again: must not come back twice

    std::vector<int> all = stack.TakeAll();
    ASSERT_EQ(all.size(), 100u);
    EXPECT_EQ(all.front(), 7);
    std::sort(all.begin(), all.end());
    for (int w = 1; w <= 100; ++w) EXPECT_EQ(all[static_cast<std::size_t>(w - 1)], w);
    EXPECT_EQ(stack.HiddenCount(), 0);
    EXPECT_TRUE(stack.TakeAll().empty());
}

TEST(HiddenWindowStack, ClearForgetsEverything) {
    THiddenWindowStack<int> stack;
    for (int w = 1; w <= 150; ++w) stack.Push(w);
    stack.Clear();
    EXPECT_EQ(stack.HiddenCount(), 0);
    EXPECT_EQ(stack.Pop(), std::nullopt);
    EXPECT_TRUE(stack.TakeAll().empty());
}

}  // namespace
