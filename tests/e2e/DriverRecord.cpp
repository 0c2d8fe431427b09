// What the driver does around the recording helper: a fresh log, a copy at a path with
// spaces, waiting for its runs to end, and reading what they recorded.
#include "Driver.h"

#include <tlhelp32.h>

#include <stdexcept>

#include "DriverText.h"

namespace e2e {

namespace {

std::string TempFolder() {
    return FetchText([](char* b, DWORD n) { return ::GetTempPathA(n, b); }, "no temporary folder");
}

}  // namespace

// --- The recording helper ---------------------------------------------------------------

std::string ResetRecordLog() {
    std::string path = TempFolder() + "tarvo-e2e-record.log";
    ::DeleteFileA(path.c_str());
    ::SetEnvironmentVariableA("TARVO_RECORD_LOG", path.c_str());
    return path;
}

std::string RecordArgsWithSpaces() {
    const std::string folder = TempFolder() + "Tarvo e2e";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\record args.exe";
    if (!::CopyFileA(RecordArgsPath().c_str(), copy.c_str(), FALSE))
        throw std::runtime_error("cannot copy record_args.exe to " + copy);
    return copy;
}

bool HelpersEnded(DWORD timeoutMs) {
    auto running = [] {
        fw::THandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) throw std::runtime_error("cannot list the processes");
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32First(snapshot.Get(), &entry); more; more = ::Process32Next(snapshot.Get(), &entry))
            if (::lstrcmpiA(entry.szExeFile, "record_args.exe") == 0 || ::lstrcmpiA(entry.szExeFile, "record args.exe") == 0)
                return true;
        return false;
    };
    return WaitFor([&] { return !running(); }, timeoutMs);
}

std::vector<TRecord> ReadRecords(const std::string& logPath) {
    std::vector<TRecord> records;
    fw::THandle file(::CreateFileA(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return records;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    file.Reset();

    std::optional<TRecord> current;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) break;  // a record still being written
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (line == "record") {
            current = TRecord{};
        } else if (line == "end" && current) {
            records.push_back(*current);
            current.reset();
        } else if (current && line.rfind("cmdline ", 0) == 0) {
            current->CommandLine = line.substr(8);
        } else if (current && line.rfind("arg ", 0) == 0) {
            current->Args.push_back(line.substr(4));
        }
    }
    return records;
}

}  // namespace e2e
