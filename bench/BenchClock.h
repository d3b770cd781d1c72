#pragma once

// Wall-clock timing for the benchmarks. (<chrono> cannot be compiled for the
// code page 932 execution character set, so the counter is Windows's own.)

#include <windows.h>

#include <algorithm>
#include <vector>

inline double nowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return static_cast<double>(ticks.QuadPart) / ticksPerMs;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// On a machine busy with other work, the fastest of several runs is the
// one least disturbed by it.
inline double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}
