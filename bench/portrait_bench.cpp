// The cost of a photo-sized portrait (a JPEG of 24 megapixels or so, made by
// scripts/bench.sh), each figure beside its floor from the same run, times
// as the median of several runs:
//   - opening a sheet that names the photo, through the program's own open
//     path (loadSheet, refreshSheetForm and the paint of the form), less
//     opening the same sheet without it; against the same libjpeg build's
//     djpeg decoding the whole file;
//   - the memory the process holds once the photo is open, against a bitmap
//     of the frame's own size;
//   - one paint of the frame with the photo, against the same paint without
//     a portrait.
//
//   portrait_bench <photo.jpg> <djpeg.exe>

#include "editor/SheetForm.h"
#include "portrait/JpegDecoder.h"
#include "portrait/PortraitImage.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "Figures.h"
#include "ShownSheetForm.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int rounds = 9;

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
// part of what it costs, and measured apart below.
double runDjpegMs(const std::string& djpeg, const std::string& arguments) {
    PROCESS_INFORMATION process{};
    const double start = nowMs();
    if (!startProcess(djpeg, arguments, process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = nowMs() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

// The same sheet file twice: the form's new sheet with no portrait, and with
// the photo on its portrait line (the second line).
struct SheetFiles {
    std::string without = "without.txt";
    std::string with = "with.txt";
};

SheetFiles writeSheetFiles(const CharacterSheet& sheet, const std::string& photo) {
    SheetFiles files;
    sheet.saveSheet(files.without);
    std::string bytes;
    if (std::FILE* in = std::fopen(files.without.c_str(), "rb")) {
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
            bytes.append(chunk, got);
        std::fclose(in);
    }
    bytes.insert(bytes.find("\r\n") + 2, photo);
    if (std::FILE* out = std::fopen(files.with.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    return files;
}

class PortraitBench {
public:
    PortraitBench() : shown(sheet), form(shown.form()) {
        GetWindowRect(GetDlgItem(form, IDC_PORTRAIT_FRAME), &frameRect);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&frameRect), 2);
    }

    PictureSize frame() const { return {frameRect.right - frameRect.left, frameRect.bottom - frameRect.top}; }

    // What the user waits for after choosing the file: the sheet read, the
    // form filled and painted.
    double openMs(const std::string& sheetFile) {
        const double start = nowMs();
        sheet.loadSheet(sheetFile);
        refreshSheetForm();
        RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
        return nowMs() - start;
    }

    std::vector<double> paintMs() {
        std::vector<double> times;
        for (int round = 0; round < 3 * rounds; ++round) {
            InvalidateRect(form, &frameRect, TRUE);
            const double start = nowMs();
            UpdateWindow(form);
            times.push_back(nowMs() - start);
        }
        return times;
    }

    CharacterSheet sheet;

private:
    ShownSheetForm shown;
    HWND form;
    RECT frameRect{};
};

// The photo as the program decodes it for this frame, before it is shrunk
// to the frame: its size and the time of the decoding alone.
struct Decoding {
    BITMAP bitmap{};
    double ms = 0;
};

Decoding timeDecoding(const std::string& photo, PictureSize frame) {
    Decoding decoding;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const double start = nowMs();
        HBITMAP bitmap = loadJpegBitmap(photo, true, {2 * frame.width, 2 * frame.height});
        times.push_back(nowMs() - start);
        GetObjectA(bitmap, sizeof decoding.bitmap, &decoding.bitmap);
        DeleteObject(bitmap);
    }
    decoding.ms = median(times);
    return decoding;
}

// djpeg decoding the photo, less the start of its process.
double djpegDecodeMs(const std::string& djpeg, const std::string& photo) {
    return runDjpegMs(djpeg, "-bmp -outfile nul \"" + photo + "\"") - runDjpegMs(djpeg, "-version");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: portrait_bench <photo.jpg> <djpeg.exe>\n");
        return 2;
    }
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    installPortraitLoader(&windowsPortraitLoader);
    const std::string photo = argv[1], djpeg = argv[2];

    PortraitBench bench;
    const SheetFiles files = writeSheetFiles(bench.sheet, photo);

    // The memory first, before anything of the photo's size was ever held.
    bench.openMs(files.without);
    const SIZE_T before = memory().PagefileUsage;
    bench.openMs(files.with);
    if (bench.sheet.getPortraitDc() == nullptr) {
        std::fprintf(stderr, "the photo did not load\n");
        return 1;
    }
    const double held = grownBy(memory().PagefileUsage, before);
    const PortraitBitmap kept = bench.sheet.getPortraitBitmap();
    const PictureSize frame = bench.frame();
    const double frameBitmapBytes = static_cast<double>(bitmapStride(frame.width)) * frame.height;

    FigureRuns open;
    for (int round = 0; round < rounds; ++round) {
        const double without = bench.openMs(files.without);
        open.add(bench.openMs(files.with) - without, djpegDecodeMs(djpeg, photo));
    }
    const std::vector<double> paint = bench.paintMs();
    bench.openMs(files.without);
    const std::vector<double> paintWithout = bench.paintMs();
    const Decoding decoding = timeDecoding(photo, frame);

    std::printf(
        "frame %d x %d pixels; the photo decoded at %ld x %ld, kept as %ld x %ld, decoding alone %.1f ms\n",
        frame.width, frame.height, decoding.bitmap.bmWidth, decoding.bitmap.bmHeight,
        static_cast<long>(kept.width), static_cast<long>(kept.height), decoding.ms);
    open.print("open a sheet with a 6000 x 4000 photo, less without, against djpeg decoding it", 0.4);
    FigureRuns paints;
    for (std::size_t at = 0; at < paint.size() && at < paintWithout.size(); ++at)
        paints.add(paint[at], paintWithout[at]);
    paints.print("one paint of the portrait frame with that photo, against the same paint without a portrait",
                 1.2);
    std::printf("a bitmap of the frame's size: %.2f MiB\n", mib(frameBitmapBytes));
    // Counted, not timed: one run tells it.
    printLimitFigure("memory held after opening that sheet", {mib(held)}, 4, "MiB");
    return 0;
}
