// What the sheet's four outputs cost against reading the sheet: for a sheet
// of 3,000 entries in the skill list and in every part list, the text, the
// piece, the JSON record and the page together, against loadSheet of the
// same file in the same run. Prints figures and the ratio; asserts nothing.

#include "export/SheetOutputs.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int entries = 3000;
constexpr int runs = 7;

double nowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
    double loadMs;
    double outputsMs;
    std::size_t bytes;
};

// As velmora-sheet does it: a new record, the sheet read into it, and its
// outputs.
Timing loadAndOutput(const std::string& path) {
    CharacterSheet sheet;
    const double start = nowMs();
    sheet.loadSheet(path);
    const double loaded = nowMs();
    const std::size_t bytes = sheetText(sheet).size() + sheetPiece(sheet).dump().size() +
                              sheetJson(sheet).dump().size() + sheetPage(sheet).size();
    return {loaded - start, nowMs() - loaded, bytes};
}

void writeLongSheet(const std::string& path) {
    CharacterSheet sheet;
    std::vector<SkillEntry> skills;
    std::vector<PartEntry> parts;
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        skills.push_back({"スキル" + n, "オート", "なし", "自身", "移動" + n});
        parts.push_back({i % 2, "パーツ" + n, "アクション", "1", "0～1", "肉弾攻撃" + n});
    }
    sheet.setSkills(skills);
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, parts);
    sheet.saveSheet(path);
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "long-sheet.txt";
    writeLongSheet(path);
    // On a machine busy with other work, the fastest run is the least
    // disturbed one.
    Timing fastest = loadAndOutput(path);
    for (int run = 1; run < runs; ++run) {
        const Timing timing = loadAndOutput(path);
        fastest = {std::min(fastest.loadMs, timing.loadMs), std::min(fastest.outputsMs, timing.outputsMs),
                   timing.bytes};
    }
    std::printf(
        "%d entries a list: four outputs %.1f ms (%zu bytes), loadSheet %.1f ms: %.2f x (goal at most 3 x)\n",
        entries, fastest.outputsMs, fastest.bytes, fastest.loadMs, fastest.outputsMs / fastest.loadMs);
    std::remove(path.c_str());
}
