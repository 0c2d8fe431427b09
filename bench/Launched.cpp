// The program every binding's action starts in the benchmarks: it notes the moment it runs
// (the performance counter, which every process reads alike) in a named block of memory and
// signals a named event that the benchmark waits on, then exits.
#include <windows.h>

#include "LaunchSignal.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    HANDLE block = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, kLaunchedBlock);
    HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kLaunchedEvent);
    if (!block || !event) return 1;
    if (auto* shared = static_cast<TLaunchedBlock*>(::MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(TLaunchedBlock)))) {
        shared->StartedAt = now.QuadPart;
        ++shared->Runs;
        ::UnmapViewOfFile(shared);
    }
    ::SetEvent(event);
    ::CloseHandle(event);
    ::CloseHandle(block);
    return 0;
}
