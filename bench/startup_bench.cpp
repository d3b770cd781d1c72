// Start-up of the program against its floor, the same first screen built
// with plain calls (bare_form): from the process's creation until it first
// waits for input with its first paint done (WaitForInputIdle). Both start
// in turn; each figure is the median of several starts, its ratio the
// median of each round's own against the floor's start. The program starts
// once more with 8 recovery copies waiting in its profile folder, whose
// windows (this bench holds their locks) still run: it looks at each and
// offers none, which shows what looking for copies costs.
//
//   startup_bench <velmora.exe> <bare_form.exe>
// Run it in a folder holding the Database folder, as the program is.

#include "BenchClock.h"
#include "Figures.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int rounds = 15;

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM processAndFound) {
    auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(processAndFound);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search->second = owner == search->first && IsWindowVisible(window);
    return !search->second;
}

bool showsAWindow(DWORD processId) {
    std::pair<DWORD, bool> search = {processId, false};
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// A start that did not reach idle with its window shown (the process ended,
// the wait failed, or Wine answered it before the window was there)
// answers a negative time.
double startToIdleMs(const std::string& program) {
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!startProcess(program, std::string(), process))
        return -1;
    const DWORD waited = WaitForInputIdle(process.hProcess, 30'000);
    const double elapsed = nowMs() - start;
    const bool running = WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
    const bool shown = showsAWindow(process.dwProcessId);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return waited == 0 && running && shown ? elapsed : -1;
}

// Such a start is made again.
double measuredStartMs(const std::string& program) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (const double elapsed = startToIdleMs(program); elapsed >= 0)
            return elapsed;
    }
    std::fprintf(stderr, "%s does not start\n", program.c_str());
    std::exit(1);
}

std::string profileFolder(const char* name) {
    char full[MAX_PATH];
    GetFullPathNameA(name, MAX_PATH, full, nullptr);
    return full;
}

// Recovery copies of windows still running: sheets with their records, and
// their locks held until this ends.
class WaitingCopies {
public:
    WaitingCopies(const std::string& local, int count) {
        const std::string folder = local + "\\Velmora\\Recovery\\";
        CreateDirectoryA(local.c_str(), nullptr);
        CreateDirectoryA((local + "\\Velmora").c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < count; ++i) {
            const std::string name = folder + "waiting-" + std::to_string(i);
            write(name + ".txt", "1002\r\n\r\nLily\r\n");
            write(name + ".about",
                  "Velmora recovery 1\r\n\r\n2026-12-09 14:03:0" + std::to_string(i) + "\r\n");
            locks.push_back(CreateFileA((name + ".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        }
    }
    ~WaitingCopies() {
        for (HANDLE lock : locks)
            CloseHandle(lock);
    }
    WaitingCopies(const WaitingCopies&) = delete;
    WaitingCopies& operator=(const WaitingCopies&) = delete;

private:
    static void write(const std::string& path, const std::string& bytes) {
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }

    std::vector<HANDLE> locks;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: startup_bench <velmora.exe> <bare_form.exe>\n");
        return 2;
    }
    // The programs' profile folders are the bench's own: one empty, one
    // with the copies.
    const std::string empty = profileFolder("Local"), copies = profileFolder("LocalWithCopies");
    CreateDirectoryA(empty.c_str(), nullptr);
    const WaitingCopies waiting(copies, 8);
    FigureRuns program, withCopies;
    for (int round = 0; round < rounds; ++round) {
        SetEnvironmentVariableA("LOCALAPPDATA", empty.c_str());
        const double bare = measuredStartMs(argv[2]);
        program.add(measuredStartMs(argv[1]), bare);
        SetEnvironmentVariableA("LOCALAPPDATA", copies.c_str());
        withCopies.add(measuredStartMs(argv[1]), bare);
    }
    program.print("start-up to idle, against its first screen built plainly", 1.2);
    withCopies.print("start-up with 8 recovery copies waiting, against the same", 1.2);
    return 0;
}
