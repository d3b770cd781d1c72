// The cost of a photo-sized portrait: one JPEG (24 megapixels or so, made
// by scripts/bench.sh) loaded through loadJpegBitmap and decoded by the same
// libjpeg build's own djpeg, in one run; the memory the process holds after
// the load against the bitmap's own size, and its peak during the load; and
// the time of one paint of the portrait frame.
//
//   portrait_bench <photo.jpg> <djpeg.exe>

#include "editor/CellList.h"
#include "editor/SheetForm.h"
#include "portrait/PortraitImage.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "ShownSheetForm.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

PROCESS_MEMORY_COUNTERS memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

double mib(double bytes) {
    return bytes / (1024.0 * 1024.0);
}

// Growth of a counter, which may also have shrunk.
double grownBy(SIZE_T now, SIZE_T then) {
    return static_cast<double>(now) - static_cast<double>(then);
}

// One run of djpeg writing its BMP to the null device; the process start is
// part of what it costs the user, and measured apart below.
double runDjpegMs(const std::string& djpeg, const std::string& arguments) {
    std::string command = "\"" + djpeg + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = nowMs() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double paintMs(const std::string& photo) {
    CharacterSheet sheet;
    const ShownSheetForm shown(sheet);
    HWND form = shown.form();
    installPortraitLoader(&windowsPortraitLoader);
    sheet.setPortrait(photo);
    HWND frame = GetDlgItem(form, IDC_PORTRAIT_FRAME);
    RECT rect;
    GetWindowRect(frame, &rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        InvalidateRect(form, &rect, TRUE);
        const double start = nowMs();
        UpdateWindow(form);
        times.push_back(nowMs() - start);
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: portrait_bench <photo.jpg> <djpeg.exe>\n");
        return 2;
    }
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    const std::string photo = argv[1], djpeg = argv[2];

    const SIZE_T before = memory().PagefileUsage;
    std::vector<double> loads;
    BITMAP info{};
    double heldAfter = 0, peak = 0, heldAfterRelease = 0;
    for (int round = 0; round < 3; ++round) {
        const double start = nowMs();
        HBITMAP bitmap = loadJpegBitmap(photo, true);
        loads.push_back(nowMs() - start);
        if (bitmap == nullptr) {
            std::fprintf(stderr, "the photo did not load\n");
            return 1;
        }
        GetObjectA(bitmap, sizeof info, &info);
        const PROCESS_MEMORY_COUNTERS counters = memory();
        heldAfter = grownBy(counters.PagefileUsage, before);
        peak = grownBy(counters.PeakPagefileUsage, before);
        DeleteObject(bitmap);
        heldAfterRelease = grownBy(memory().PagefileUsage, before);
    }
    const double bitmapBytes = static_cast<double>(info.bmWidthBytes) * info.bmHeight;

    std::vector<double> djpegRuns, startups;
    for (int round = 0; round < 3; ++round) {
        djpegRuns.push_back(runDjpegMs(djpeg, "-bmp -outfile nul \"" + photo + "\""));
        startups.push_back(runDjpegMs(djpeg, "-version"));
    }
    const double load = median(loads), decode = median(djpegRuns), startup = median(startups);

    std::printf("photo: %ld x %ld pixels (%.1f megapixels)\n", info.bmWidth, info.bmHeight,
                info.bmWidth * static_cast<double>(info.bmHeight) / 1e6);
    std::printf("loadJpegBitmap:             %8.1f ms\n", load);
    std::printf("djpeg -bmp to nul:          %8.1f ms (of which %.1f ms starting the process)\n", decode,
                startup);
    std::printf("load / djpeg:               %8.3f (against djpeg less its start: %.3f)\n", load / decode,
                load / (decode - startup));
    std::printf("bitmap:                     %8.1f MiB\n", mib(bitmapBytes));
    std::printf("held after the load:        %8.1f MiB (%.3f of the bitmap)\n", mib(heldAfter),
                heldAfter / bitmapBytes);
    std::printf("held once the bitmap is gone: %6.1f MiB\n", mib(heldAfterRelease));
    std::printf("peak during the load:       %8.1f MiB (%.3f of the bitmap)\n", mib(peak),
                peak / bitmapBytes);
    std::printf("one paint of the frame:     %8.1f ms\n", paintMs(photo));
    return 0;
}
