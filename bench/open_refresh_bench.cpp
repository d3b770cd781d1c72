// How opening a sheet grows with the length of its lists: for sheets of 10,
// 100 and 1,000 entries in the skill list and in every part list, the time
// of loadSheet plus refreshSheetForm on the real form (under Wine: the real
// list views, with a check box window for every name and timing cell), the
// time of the first paint of the lists, and the save. Prints figures and the
// growth from one size to the next; a linear cost grows tenfold.

#include "editor/CellList.h"
#include "editor/SheetForm.h"
#include "res/resource.h"

#include "BenchClock.h"
#include "ShownSheetForm.h"
#include "WindowTesting.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A sheet with `entries` skills and `entries` parts in each location.
void writeSheet(CharacterSheet& sheet, int entries, const std::string& path) {
    std::vector<SkillEntry> skills;
    std::vector<PartEntry> parts;
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        skills.push_back({"スキル" + n, "オート", "なし", "自身", "移動" + n});
        parts.push_back({i % 2, "パーツ" + n, "アクション", "1", "0", "肉弾攻撃" + n});
    }
    sheet.setSkills(skills);
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, parts);
    sheet.saveSheet(path);
}

struct Timing {
    double openMs;
    double paintMs;
    double saveMs;
};

Timing measure(HWND form, CharacterSheet& sheet, const std::string& input, const std::string& output) {
    std::vector<double> open, paint, save;
    for (int round = 0; round < 3; ++round) {
        const double start = nowMs();
        sheet.loadSheet(input);
        refreshSheetForm();
        const double opened = nowMs();
        RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpMessages();
        const double painted = nowMs();
        sheet.saveSheet(output);
        const double saved = nowMs();
        open.push_back(opened - start);
        paint.push_back(painted - opened);
        save.push_back(saved - painted);
    }
    return {median(open), median(paint), median(save)};
}

bool sameFile(const std::string& a, const std::string& b) {
    auto read = [](const std::string& path) {
        std::string bytes;
        if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
            char chunk[65536];
            for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
                bytes.append(chunk, got);
            std::fclose(in);
        }
        return bytes;
    };
    return read(a) == read(b);
}

} // namespace

int main() {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    CharacterSheet sheet;
    const ShownSheetForm shown(sheet);
    HWND form = shown.form();

    std::printf("%-9s %12s %12s %12s %14s %10s\n", "entries", "open+refresh", "paint", "save", "open growth",
                "same file");
    double previous = 0;
    for (int entries : {10, 100, 1000}) {
        const std::string input = "bench-" + std::to_string(entries) + ".txt";
        const std::string output = "bench-" + std::to_string(entries) + "-saved.txt";
        writeSheet(sheet, entries, input);
        const Timing timing = measure(form, sheet, input, output);
        const std::string growth =
            previous > 0 ? std::to_string(timing.openMs / previous).substr(0, 5) + "x" : "";
        std::printf("%-9d %9.1f ms %9.1f ms %9.1f ms %14s %10s\n", entries, timing.openMs, timing.paintMs,
                    timing.saveMs, growth.c_str(), sameFile(input, output) ? "yes" : "NO");
        previous = timing.openMs;
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
    std::printf("check boxes held by the lists: %zu rows' worth\n", [] {
        std::size_t rows = 0;
        for (const auto& [list, listRows] : cellCheckBoxes)
            rows += listRows.size();
        return rows;
    }());
    return 0;
}
