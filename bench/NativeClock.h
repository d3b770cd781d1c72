#pragma once

// Wall-clock timing for the benchmarks that run natively.

#include <time.h>

inline double nowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <class Step> double timedMs(Step step) {
    const double start = nowMs();
    step();
    return nowMs() - start;
}
