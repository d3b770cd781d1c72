#pragma once

// Wall-clock timing for the benchmarks. (<chrono> cannot be compiled for the
// code page 932 execution character set, so the counter is Windows's own.)

#include <windows.h>

#include <string>

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

// Starts `program` with `arguments`; false when it could not be started.
inline bool startProcess(const std::string& program, const std::string& arguments,
                         PROCESS_INFORMATION& process) {
    std::string command = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != 0;
}
