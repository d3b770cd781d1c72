// Start-up of the program against its floor, a window holding nothing but
// the sheet form's template (bare_form): from the process's creation until
// it first waits for input with its first paint done (WaitForInputIdle).
// The two start in turn; each figure is the fastest of several starts.
//
//   startup_bench <velmora.exe> <bare_form.exe>
// Run it in a folder holding the Database folder, as the program is.

#include "BenchClock.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int rounds = 15;

double startToIdleMs(const std::string& program) {
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForInputIdle(process.hProcess, 30'000);
    const double elapsed = nowMs() - start;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: startup_bench <velmora.exe> <bare_form.exe>\n");
        return 2;
    }
    std::vector<double> program, bare;
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(startToIdleMs(argv[2]));
        program.push_back(startToIdleMs(argv[1]));
    }
    const double programMs = fastest(program), bareMs = fastest(bare);
    std::printf("start to idle, the program:        %8.1f ms (median %.1f ms)\n", programMs, median(program));
    std::printf("floor, the bare MAINDLG window:    %8.1f ms (median %.1f ms)\n", bareMs, median(bare));
    std::printf("  ratio:                           %8.3f (goal <= 1.15)\n", programMs / bareMs);
    return 0;
}
