// A save of a long sheet with the version it replaces kept, against the
// same save without: the sheet's text made and written over its file in
// one step, as "上書き保存" does. Each save changes the doll's name, so that
// every one keeps a version and the store fills and trims as it would.

#include "sheet/CharacterSheet.h"
#include "sheet/TextFile.h"
#include "store/SheetVersions.h"

#include "Figures.h"
#include "LongSheet.h"
#include "NativeClock.h"

#include <malloc.h>

#include <cstdio>
#include <string>

namespace {

constexpr int listLength = 3000;

double timedSave(CharacterSheet& sheet, const std::string& path, int save, const SheetVersions* versions) {
    sheet.setDollName("リリィ " + std::to_string(save));
    return timedMs([&] {
        const std::string bytes = sheet.sheetFileText();
        if (versions != nullptr && versions->keepBeforeWrite(path, path, bytes) != VersionKept::kept)
            std::printf("no version kept at save %d\n", save);
        if (!replaceFileContents(path, bytes))
            std::printf("save %d failed\n", save);
    });
}

// glibc maps blocks larger than a threshold apart, raising the threshold
// only when such a block is freed, and gives back the top of its heap once a
// little of it is free: whether making the sheet's text faults in fresh
// pages, which may cost more than the save, would hang on what else the run
// happened to allocate. Held, both thresholds give every save the same warm
// heap.
void holdTheHeap() {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

} // namespace

int main(int argc, char** argv) {
    holdTheHeap();
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string path = folder + "/long-sheet-versions.txt";
    const SheetVersions versions(folder + "/Versions");
    CharacterSheet sheet;
    writeLongSheet(sheet, listLength, path);
    std::printf("sheet of %d entries a list: %zu bytes\n", listLength, sheet.sheetFileText().size());
    int save = 0;
    const FigureRuns runs = takeRuns(
        [&] {
            const double without = timedSave(sheet, path, save++, nullptr);
            const double with = timedSave(sheet, path, save++, &versions);
            return std::pair{with, without};
        },
        15);
    runs.print("a save of a 3000-entry sheet with its version kept", 1.2);
    return 0;
}
