#include "Outside.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace bench {

namespace {

double Frequency() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return frequency;
}

// A whole file of the Linux side, read through Wine's view of the root as drive Z:.
std::optional<std::string> ReadLinuxFile(const std::string& path) {
    std::string windowsPath = "Z:" + path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    HANDLE file = ::CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    std::string chunk(4096, '\0');
    DWORD read = 0;
    while (::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) && read > 0)
        content.append(chunk.data(), read);
    ::CloseHandle(file);
    return content;
}

// The names in a Linux directory.
std::vector<std::string> LinuxDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::string pattern = "Z:" + path + "/*";
    std::replace(pattern.begin(), pattern.end(), '/', '\\');
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Environment(const char* name) {
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return {};
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

// The number after "name" in a /proc file of "name value" lines.
std::optional<std::int64_t> Field(const std::string& text, const std::string& name) {
    size_t at = 0;
    while ((at = text.find(name, at)) != std::string::npos) {
        if (at == 0 || text[at - 1] == '\n') {
            size_t p = at + name.size();
            while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
            return std::strtoll(text.c_str() + p, nullptr, 10);
        }
        at += name.size();
    }
    return std::nullopt;
}

}  // namespace

double Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / Frequency();
}

double CounterToMs(std::int64_t counter) { return static_cast<double>(counter) * 1000.0 / Frequency(); }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Min(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// --- Processes ---------------------------------------------------------------------------

TProcess::~TProcess() {
    if (Running()) Quit();
    if (FProcess) ::CloseHandle(FProcess);
}

void TProcess::Start(const std::string& path, const std::string& arguments) {
    std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        throw std::runtime_error("cannot start " + path);
    ::CloseHandle(pi.hThread);
    if (FProcess) ::CloseHandle(FProcess);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
    FThreadId = pi.dwThreadId;
}

bool TProcess::Running() const { return FProcess && ::WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT; }

void TProcess::Quit(DWORD timeoutMs) {
    if (!Running()) return;
    ::PostThreadMessageA(FThreadId, WM_QUIT, 0, 0);
    if (::WaitForSingleObject(FProcess, timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(FProcess, 99);
        ::WaitForSingleObject(FProcess, 10000);
    }
}

HWND FindProcessWindow(DWORD pid, const char* className, const char* caption) {
    auto found = TopLevelWindows(pid, [&](HWND h) {
        return (!className || ClassOf(h) == className) && (!caption || WindowCaption(h) == caption);
    });
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> ProcessWindows(DWORD pid, const char* className) {
    return TopLevelWindows(pid, [&](HWND h) { return ClassOf(h) == className; });
}

bool Answers(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return window && ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

TMemory Memory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    TMemory memory;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        memory.PrivateUsage = counters.PrivateUsage;
        memory.WorkingSet = counters.WorkingSetSize;
    }
    return memory;
}

std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// --- Under Wine: the Linux side ------------------------------------------------------------

std::optional<int> LinuxProcess(const std::string& exeName) {
    const std::string prefix = Environment("WINEPREFIX");
    if (prefix.empty()) return std::nullopt;
    const std::string wanted = Lower(exeName);
    const std::string prefixEntry = "WINEPREFIX=" + prefix + std::string(1, '\0');
    std::optional<int> newest;
    for (const std::string& name : LinuxDirectory("/proc")) {
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
        const std::optional<std::string> commandLine = ReadLinuxFile("/proc/" + name + "/cmdline");
        if (!commandLine) continue;
        // The first word is the Windows program path, as the command line gave it.
        std::string program = Lower(commandLine->substr(0, commandLine->find('\0')));
        program.erase(std::remove(program.begin(), program.end(), '"'), program.end());
        const size_t slash = program.find_last_of("\\/");
        const std::string file = program.substr(slash == std::string::npos ? 0 : slash + 1);
        if (file.rfind(wanted, 0) != 0) continue;
        const std::optional<std::string> environment = ReadLinuxFile("/proc/" + name + "/environ");
        if (!environment || environment->find(prefixEntry) == std::string::npos) continue;
        const int pid = std::atoi(name.c_str());
        if (!newest || pid > *newest) newest = pid;
    }
    return newest;
}

std::optional<TSwitches> ContextSwitches(int linuxPid) {
    const std::string task = "/proc/" + std::to_string(linuxPid) + "/task";
    TSwitches total;
    for (const std::string& thread : LinuxDirectory(task)) {
        if (thread.empty() || !std::isdigit(static_cast<unsigned char>(thread[0]))) continue;
        const std::optional<std::string> status = ReadLinuxFile(task + "/" + thread + "/status");
        if (!status) continue;
        total.Voluntary += Field(*status, "voluntary_ctxt_switches:").value_or(0);
        total.Involuntary += Field(*status, "nonvoluntary_ctxt_switches:").value_or(0);
        ++total.Threads;
    }
    if (total.Threads == 0) return std::nullopt;
    return total;
}

std::optional<double> LinuxCpuMs(int linuxPid) {
    const std::optional<std::string> stat = ReadLinuxFile("/proc/" + std::to_string(linuxPid) + "/stat");
    if (!stat) return std::nullopt;
    // After the program name in parentheses: state is field 3, utime 14, stime 15.
    const size_t close = stat->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat->size()) {
        const size_t end = stat->find(' ', at);
        fields.push_back(stat->substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (fields.size() < 13) return std::nullopt;
    // Clock ticks of 10 ms: Linux's USER_HZ is 100 on every architecture Wine runs on.
    return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) * 10.0;
}

std::optional<std::int64_t> LinuxPrivateBytes(int linuxPid) {
    const std::optional<std::string> rollup =
        ReadLinuxFile("/proc/" + std::to_string(linuxPid) + "/smaps_rollup");
    if (!rollup) return std::nullopt;
    const auto clean = Field(*rollup, "Private_Clean:"), dirty = Field(*rollup, "Private_Dirty:");
    if (!clean || !dirty) return std::nullopt;
    return (*clean + *dirty) * 1024;
}

// --- Registry --------------------------------------------------------------------------------

std::string UserName() {
    DWORD size = 0;
    ::GetUserNameA(nullptr, &size);
    std::string name(size + 1, '\0');
    size = static_cast<DWORD>(name.size());
    if (!::GetUserNameA(name.data(), &size)) throw std::runtime_error("GetUserName failed");
    name.resize(size > 0 ? size - 1 : 0);
    return name;
}

std::string HotKeysKey() { return "Software\\Morvane\\Tarvo\\" + UserName() + "\\HotKeys"; }

void DeleteTree(const std::string& path) { ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

void WriteBindings(const std::string& path, const std::vector<TBinding>& bindings) {
    HKEY root = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    HKEY first = nullptr;
    ::RegCreateKeyExA(root, "_FirstRun", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &first, nullptr);
    ::RegCloseKey(first);
    auto dword = [](HKEY key, const char* name, DWORD value) {
        ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    for (const TBinding& b : bindings) {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(root, b.SubkeyName().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create " + b.SubkeyName());
        ::RegSetValueExA(key, "Address", 0, REG_SZ, reinterpret_cast<const BYTE*>(b.Action.c_str()),
                         static_cast<DWORD>(b.Action.size() + 1));
        dword(key, "VirtualKey", static_cast<DWORD>(b.VirtualKey()));
        dword(key, "Ctrl", b.Ctrl());
        dword(key, "Alt", b.Alt());
        dword(key, "Shift", b.Shift());
        dword(key, "Enabled", b.Enabled);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(root);
}

std::vector<std::string> SubKeys(const std::string& path) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    DWORD count = 0, longest = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr);
    std::string name(longest + 1, '\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.emplace_back(name.data(), length);
    }
    ::RegCloseKey(key);
    return names;
}

}  // namespace bench
