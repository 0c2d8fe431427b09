#include "launch/ActionCommand.h"

#include "app/Text.h"

TActionParts SplitActionCommand(std::string_view command) {
    TActionParts parts;
    bool inQuotes = false;
    std::string_view::size_type split = std::string_view::npos;
    for (std::string_view::size_type i = 0; i < command.size(); ++i) {
        if (command[i] == '"') {
            inQuotes = !inQuotes;
        } else if (command[i] == ' ' && !inQuotes) {
            split = i;
            break;
        }
    }
    if (split == std::string_view::npos) {
        parts.Program = TrimControl(command);
    } else {
        // The space itself is trimmed away from both halves.
        parts.Program = TrimControl(command.substr(0, split + 1));
        parts.Parameters = TrimControl(command.substr(split));
    }
    std::string& program = parts.Program;
    if (!program.empty() && program.front() == '"') program.erase(0, 1);
    if (!program.empty() && program.back() == '"') program.pop_back();
    return parts;
}

TBuiltInWord ClassifyProgramPart(std::string_view program) {
    const std::string word = UpperAscii(program);
    if (word == "USER_CLIPBOARD") return TBuiltInWord::Clipboard;
    if (word == "USER_HIDE_WINDOW") return TBuiltInWord::HideWindow;
    if (word == "USER_SHOW_WINDOW") return TBuiltInWord::ShowWindow;
    if (word == "EXPLORE") return TBuiltInWord::Explore;
    return TBuiltInWord::None;
}

bool IsWebAddress(std::string_view target) {
    return target.starts_with("http://") || target.starts_with("https://") ||
           target.starts_with("www.");
}

std::string NewBrowserCommandLine(std::string_view browser, std::string_view target) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string line = "\"";
    line.append(browser);
    line += "\" \"";
    for (char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || byte < 0x20 || byte == 0x7F) {
            line += '%';
            line += Hex[byte >> 4];
            line += Hex[byte & 0x0F];
        } else {
            line += c;
        }
    }
    // Backslashes right before the closing quote would escape it: double them.
    std::string::size_type backslashes = 0;
    while (backslashes < target.size() && target[target.size() - 1 - backslashes] == '\\')
        ++backslashes;
    line.append(backslashes, '\\');
    line += '"';
    return line;
}

std::string InvalidActionMessage(std::string_view program, std::string_view parameters) {
    std::string text = "Invalid action command:\r\n";
    text.append(program);
    text += ' ';
    text.append(parameters);
    return text;
}
