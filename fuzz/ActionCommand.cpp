// Action commands as the user types them or the clipboard holds them: where the program part
// ends, which built-in word it names, and the command line a new browser window gets.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/Text.h"
#include "launch/ActionCommand.h"

namespace {

using fuzz::IsTrimmed;

// How a started program reads its command line (the C runtime's and CommandLineToArgvW's
// rules): argv[0] runs to the next quote when quoted; after it, 2n backslashes before a quote
// give n and the quote toggles quoting, 2n+1 give n and a literal quote.
std::vector<std::string> ParseCommandLine(std::string_view line) {
    std::vector<std::string> argv;
    std::size_t i = 0;
    std::string arg;
    if (i < line.size() && line[i] == '"') {
        const auto close = line.find('"', 1);
        arg = line.substr(1, close - 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') arg += line[i++];
    }
    argv.push_back(arg);
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) return argv;
        arg.clear();
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') ++slashes, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) arg += '"';
                else quoted = !quoted;
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) arg += line[i++];
            }
        }
        argv.push_back(arg);
    }
}

void CheckSplit(std::string_view command) {
    const TActionParts parts = SplitActionCommand(command);
    const std::string trimmed = TrimControl(command);
    FUZZ_CHECK(IsTrimmed(parts.Parameters));
    FUZZ_CHECK(trimmed.ends_with(parts.Parameters));
    FUZZ_CHECK(command.find(parts.Program) != std::string_view::npos);
    // One quote is taken from each end of the program part, so a quote left at an end was
    // doubled in the command.
    std::size_t first = 0;
    while (first < command.size() && fuzz::IsBlank(command[first])) ++first;
    if (parts.Program.starts_with('"')) {
        FUZZ_CHECK(command.substr(first, 2) == "\"\"");
        FUZZ_CHECK(command.find("\"" + parts.Program) != std::string_view::npos);
    }
    if (parts.Program.ends_with('"'))
        FUZZ_CHECK(command.find(parts.Program + "\"") != std::string_view::npos);
    if (command.find('"') == std::string_view::npos) {
        // Without quotes: the first space splits, the program part holds none, and only blanks
        // and control bytes lie between the parts.
        FUZZ_CHECK(parts.Program.find(' ') == std::string::npos && IsTrimmed(parts.Program));
        FUZZ_CHECK(trimmed.starts_with(parts.Program));
        const std::string_view between = std::string_view(trimmed).substr(
            parts.Program.size(), trimmed.size() - parts.Program.size() - parts.Parameters.size());
        for (char c : between) FUZZ_CHECK(fuzz::IsBlank(c));
        FUZZ_CHECK(parts.Parameters.empty() || parts.Program.empty() ||
                   between.find(' ') != std::string_view::npos);
    }
}

// The forms the launcher promises: a quoted path then arguments, a bare word then arguments.
void CheckKnownForms(std::string_view path, std::string_view args, std::string_view word) {
    // Blanks before the opening quote, but no space: a leading space would split at once.
    const std::string command = "\t\"" + std::string(path) + "\" " + std::string(args) + "\r\n";
    const TActionParts quoted = SplitActionCommand(command);
    FUZZ_CHECK(quoted.Program == path);
    FUZZ_CHECK(quoted.Parameters == TrimControl(args));
    if (word.empty()) return;
    const TActionParts bare = SplitActionCommand(std::string(word) + " " + std::string(args));
    FUZZ_CHECK(bare.Program == word);
    FUZZ_CHECK(bare.Parameters == TrimControl(args));
}

void CheckWords(std::string_view program) {
    struct TWord { const char* Text; TBuiltInWord Word; };
    static const TWord words[] = {{"USER_CLIPBOARD", TBuiltInWord::Clipboard},
                                  {"USER_HIDE_WINDOW", TBuiltInWord::HideWindow},
                                  {"USER_SHOW_WINDOW", TBuiltInWord::ShowWindow},
                                  {"EXPLORE", TBuiltInWord::Explore}};
    const TBuiltInWord word = ClassifyProgramPart(program);
    // Letter case never matters, and only the four words themselves are words.
    const std::string mixed = fuzz::MixCase(program, program.size() * 0x9E3779B97F4A7C15u);
    FUZZ_CHECK(ClassifyProgramPart(mixed) == word);
    const std::string upper = UpperAscii(program);
    TBuiltInWord expected = TBuiltInWord::None;
    for (const TWord& w : words)
        if (upper == w.Text) expected = w.Word;
    FUZZ_CHECK(word == expected);

    // The web prefixes are case-sensitive, and whatever follows them does not matter.
    if (IsWebAddress(program)) {
        FUZZ_CHECK(program.size() >= 4);
        FUZZ_CHECK(IsWebAddress(std::string(program) + "x"));
        FUZZ_CHECK(!IsWebAddress(upper));
    }
}

void CheckNewBrowser(std::string_view target) {
    const std::string browser = "C:\\Program Files\\Web Browser\\browser.exe";
    const std::string line = NewBrowserCommandLine(browser, target);
    // The browser gets exactly two arguments: itself and the whole target, where quotes and
    // control bytes are percent-encoded and nothing else is changed.
    std::string expected;
    for (char c : target) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || b < 0x20 || b == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            expected += hex;
        } else {
            expected += c;
        }
    }
    const std::vector<std::string> argv = ParseCommandLine(line);
    FUZZ_CHECK(argv.size() == 2);
    FUZZ_CHECK(argv[0] == browser);
    FUZZ_CHECK(argv[1] == expected);
    FUZZ_CHECK(!fuzz::HasControl(line));
    FUZZ_CHECK(fuzz::Without(line, '"').size() == line.size() - 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    CheckSplit(text);
    CheckNewBrowser(text);
    const TActionParts parts = SplitActionCommand(text);
    CheckWords(parts.Program);
    const std::string message = InvalidActionMessage(parts.Program, parts.Parameters);
    FUZZ_CHECK(message == "Invalid action command:\r\n" + parts.Program + " " + parts.Parameters);

    // The lines of the input as a path (no quotes), arguments and a bare word (no quotes and
    // nothing of code 32 or less).
    const auto lines = fuzz::Lines(text, 3);
    const std::string path = fuzz::Without(lines[0], '"');
    const std::string_view args = lines.size() > 1 ? lines[1] : std::string_view();
    std::string word;
    for (char c : lines.back())
        if (c != '"' && !fuzz::IsBlank(c)) word += c;
    CheckKnownForms(path, args, word);
    return 0;
}
