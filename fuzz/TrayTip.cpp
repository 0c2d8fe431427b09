// The tray icon's tip: the hint cut to what the shell's record holds, never inside a UTF-8
// character. The first byte picks "hidden" ('-') and a second limit; the rest is the hint.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "shell/TrayTip.h"

namespace {

void Check(const std::string& hint, bool show, std::size_t limit) {
    const std::string tip = TrayTipText(hint, show, limit);
    if (!show || hint.empty()) {
        FUZZ_CHECK(tip.empty());
        return;
    }
    // What the shell would show of the hint: up to its first zero byte.
    const std::string seen = hint.substr(0, hint.find('\0'));
    FUZZ_CHECK(tip.size() <= limit && seen.starts_with(tip));
    if (seen.size() <= limit) {
        FUZZ_CHECK(tip == seen);
        return;
    }
    // Cut where a character starts, giving up no more than the one character the limit
    // falls into (its continuation bytes): valid text stays valid.
    auto continues = [&](std::size_t i) { return (static_cast<unsigned char>(seen[i]) & 0xC0) == 0x80; };
    FUZZ_CHECK(!continues(tip.size()) || tip.empty());
    for (std::size_t i = tip.size() + 1; i <= limit; ++i) FUZZ_CHECK(continues(i));
    if (fuzz::IsUtf8(seen)) {
        FUZZ_CHECK(fuzz::IsUtf8(tip));
        FUZZ_CHECK(tip.size() + 3 >= limit);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool show = data[0] != '-';
    const std::string hint(fuzz::AsText(data + 1, size - 1));
    Check(hint, show, TrayTipLimit);
    Check(hint, show, data[0] % 80);
    return 0;
}
