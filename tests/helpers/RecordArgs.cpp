// Stands in for the programs and browsers that action commands start in tests:
// appends its command line and arguments as one record to a log, then exits.
// The log is named by TARVO_RECORD_LOG, else record_args.log beside this program.
// Record: "record", "cmdline <command line>", one "arg <argument>" per argument,
// "end", each on a line of its own.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/Handles.h"

namespace {

std::string LogPath() {
    std::string value(MAX_PATH, '\0');
    DWORD length = ::GetEnvironmentVariableA("TARVO_RECORD_LOG", value.data(),
                                             static_cast<DWORD>(value.size()));
    if (length > value.size()) {
        value.resize(length);
        length = ::GetEnvironmentVariableA("TARVO_RECORD_LOG", value.data(), length);
    }
    if (length > 0 && length < value.size()) return value.substr(0, length);

    std::string self(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n == 0) return "record_args.log";
        if (n < self.size()) {
            self.resize(n);
            break;
        }
        self.resize(self.size() * 2);
    }
    return self.substr(0, self.find_last_of('\\') + 1) + "record_args.log";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string record = "record\ncmdline ";
    record += ::GetCommandLineA();
    record += '\n';
    for (int i = 0; i < __argc; ++i) {
        record += "arg ";
        record += __argv[i];
        record += '\n';
    }
    record += "end\n";

    // One append of the whole record, so concurrent helpers never interleave.
    // A test may be reading the log right now: retry for a moment.
    fw::THandle log;
    for (int attempt = 0; attempt < 100 && !log; ++attempt) {
        log.Reset(::CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!log) ::Sleep(20);
    }
    DWORD written = 0;
    return log && ::WriteFile(log.Get(), record.data(), static_cast<DWORD>(record.size()),
                              &written, nullptr) &&
                   written == record.size()
               ? 0
               : 1;
}
