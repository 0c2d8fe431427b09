// What the whole-program benchmarks need to watch Tarvo.exe and the baseline from outside:
// starting and ending them, finding their windows (keys and shortcuts: Desktop.h), writing the
// stored bindings, and under Wine the Linux process behind a Windows one.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "app/Binding.h"

namespace bench {

// Milliseconds on the performance counter; comparable between processes.
double Now();
double CounterToMs(std::int64_t counter);
double Median(std::vector<double> v);
// Spread of a sample: the smallest and largest value.
double Min(const std::vector<double>& v);
double Max(const std::vector<double>& v);

// --- Processes ---------------------------------------------------------------------------

class TProcess {
public:
    TProcess() = default;
    ~TProcess();
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;

    // Starts the program with these arguments (already quoted as needed).
    void Start(const std::string& path, const std::string& arguments = "");
    bool Running() const;
    // Asks the program's first thread to leave its message loop; kills it when it has not
    // ended within the time. Either way it has ended on return.
    void Quit(DWORD timeoutMs = 5000);
    HANDLE Handle() const { return FProcess; }
    DWORD Pid() const { return FPid; }
    DWORD ThreadId() const { return FThreadId; }

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0, FThreadId = 0;
};

// A top-level window of this process (hidden ones too), by class and/or exact caption.
HWND FindProcessWindow(DWORD pid, const char* className, const char* caption);
std::vector<HWND> ProcessWindows(DWORD pid, const char* className);
// True once the window's thread has handled a message sent to it.
bool Answers(HWND window, DWORD timeoutMs = 5000);

// Process CPU time (user + kernel) in milliseconds.
double CpuMs(HANDLE process);
// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage and WorkingSetSize in bytes.
struct TMemory {
    SIZE_T PrivateUsage = 0, WorkingSet = 0;
};
TMemory Memory(HANDLE process);
std::int64_t FileSize(const std::string& path);

// --- Under Wine: the Linux side ------------------------------------------------------------

// The Linux process that runs the newest process of this program file in our Wine prefix;
// nothing when not under Wine or not found.
std::optional<int> LinuxProcess(const std::string& exeName);
// Voluntary and involuntary context switches of all the Linux process's threads: every
// time a thread went to sleep and woke, or was put aside.
struct TSwitches {
    std::int64_t Voluntary = 0, Involuntary = 0;
    int Threads = 0;
};
std::optional<TSwitches> ContextSwitches(int linuxPid);
// CPU time of the whole Linux process (utime + stime of /proc/<pid>/stat), in milliseconds.
std::optional<double> LinuxCpuMs(int linuxPid);
// Memory the process alone holds (Private_Clean + Private_Dirty of smaps_rollup), bytes.
std::optional<std::int64_t> LinuxPrivateBytes(int linuxPid);

// --- Registry (HKEY_CURRENT_USER) ----------------------------------------------------------

std::string UserName();
// Software\Morvane\Tarvo\<user>\HotKeys
std::string HotKeysKey();
void DeleteTree(const std::string& path);
// Writes these bindings under the key, each under its subkey name, and the first-run marker.
void WriteBindings(const std::string& path, const std::vector<TBinding>& bindings);
// The subkey names of a key in the order the registry lists them.
std::vector<std::string> SubKeys(const std::string& path);

}  // namespace bench
