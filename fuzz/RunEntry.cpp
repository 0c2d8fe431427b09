// The Run entry that starts the program at logon: the value written for the program's path,
// and whether a stored value (which anyone can edit) names this program.
// Input lines: the program's path, another path.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "app/Text.h"
#include "settings/RunEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto lines = fuzz::Lines(fuzz::AsText(data, size), 2);
    lines.resize(2);
    const std::string_view path = lines[0], other = lines[1];
    const std::string entry = RunEntryFor(path);
    // The system reads an unquoted entry up to its first space: only a path without one may
    // stand bare.
    FUZZ_CHECK(entry == path || entry == "\"" + std::string(path) + "\"");
    FUZZ_CHECK((entry == path) == (path.find(' ') == std::string_view::npos));

    // Windows paths hold no quotes and no control characters; for every such path the entry
    // names the program whatever the case of a..z, blanks around it do not matter, and it
    // names no other program.
    if (path.find('"') != std::string_view::npos || fuzz::HasControl(path)) return 0;
    FUZZ_CHECK(RunEntryNames(entry, path));
    FUZZ_CHECK(RunEntryNames(entry, fuzz::MixCase(path, size * 0x9E3779B97F4A7C15u)));
    FUZZ_CHECK(RunEntryNames(" \t" + entry + "\r\n", path));
    FUZZ_CHECK(RunEntryNames("\"" + std::string(path) + "\"", path));
    FUZZ_CHECK(RunEntryNames(entry, other) == (UpperAscii(path) == UpperAscii(other)));
    return 0;
}
