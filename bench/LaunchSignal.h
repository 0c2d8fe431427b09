// What the launched helper and the benchmark share: when the helper ran, and how often.
#pragma once

#include <cstdint>

constexpr const char* kLaunchedBlock = "TarvoBenchLaunchedBlock";
constexpr const char* kLaunchedEvent = "TarvoBenchLaunchedEvent";

struct TLaunchedBlock {
    std::int64_t StartedAt;  // QueryPerformanceCounter at the helper's start
    std::int64_t Runs;
};
