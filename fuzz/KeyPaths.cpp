// Registry key paths: the settings path built from the component's naming properties (which
// the options and the user name fill) and the splitting of any path the registry object gets.
// Input lines: Group, Company, Application, User; the whole input is also split as a path.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "settings/KeyPaths.h"

namespace {

// The key names a path walks through: the pieces between backslashes, empty ones dropped.
std::vector<std::string> Names(std::string_view path) {
    std::vector<std::string> names{""};
    for (char c : path) {
        if (c != '\\') names.back() += c;
        else if (!names.back().empty()) names.emplace_back();
    }
    if (names.back().empty()) names.pop_back();
    return names;
}

void CheckSplit(std::string_view path) {
    const TRegKeyPath split = SplitKeyPath(path);
    FUZZ_CHECK(split.FromRoot == path.starts_with('\\'));
    // The same key names, joined by single backslashes, with none at either end.
    FUZZ_CHECK(Names(split.SubKey) == Names(path));
    FUZZ_CHECK(!split.SubKey.starts_with('\\') && !split.SubKey.ends_with('\\'));
    FUZZ_CHECK(split.SubKey.find("\\\\") == std::string::npos);
    // Splitting what a split gave changes nothing.
    const TRegKeyPath again = SplitKeyPath("\\" + split.SubKey);
    FUZZ_CHECK(again.FromRoot && again.SubKey == split.SubKey);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    CheckSplit(text);
    auto lines = fuzz::Lines(text, 4);
    lines.resize(4);
    const std::string_view group = lines[0], company = lines[1], application = lines[2], user = lines[3];

    // The path walks through the parts' names in order, from the root.
    const std::string path = MakeKeyPath(group, company, application, user);
    FUZZ_CHECK(path.starts_with('\\') && path.ends_with('\\'));
    std::vector<std::string> names;
    for (std::string_view part : lines)
        for (std::string& name : Names(part)) names.push_back(std::move(name));
    FUZZ_CHECK(Names(path) == names);
    const TRegKeyPath split = SplitKeyPath(path);
    FUZZ_CHECK(split.FromRoot && Names(split.SubKey) == names);

    // The settings key always has a user part, and the bindings key sits right below it.
    const std::string userPart = SettingsUserPart(user);
    FUZZ_CHECK(!userPart.empty() && fuzz::IsTrimmed(userPart));
    FUZZ_CHECK(userPart == "Default" || std::string_view(user).find(userPart) != std::string_view::npos);
    const std::string settings = MakeSettingsKeyPath(group, company, application, user);
    FUZZ_CHECK(settings == MakeKeyPath(group, company, application, "") + userPart + "\\");
    FUZZ_CHECK(MakeHotKeysKeyPath(group, company, application, user) == settings + "HotKeys\\");
    return 0;
}
