// What the sheet's four outputs cost against reading the sheet: for a sheet
// of 3,000 entries in the skill list and in every part list, the text, the
// piece, the JSON record and the page, each against loadSheet of the same
// file in the same run. Prints figures and ratios; asserts nothing.

#include "export/SheetOutputs.h"

#include "LongSheet.h"
#include "NativeClock.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

constexpr int entries = 3000;
constexpr int runs = 7;

// Each output as velmora-sheet writes it, to its last byte.
struct Output {
    const char* name;
    std::string (*write)(const CharacterSheet&);
};

constexpr std::array<Output, 4> outputs = {{
    {"text", sheetText},
    {"piece", [](const CharacterSheet& sheet) { return sheetPiece(sheet).dump(); }},
    {"json", sheetJson},
    {"html", sheetPage},
}};

struct Timing {
    double loadMs = 1e300;
    std::array<double, outputs.size()> outputMs;
    std::size_t bytes = 0;
};

// As velmora-sheet does it: a new record, the sheet read into it, and one
// output. On a machine busy with other work, the fastest of the runs is the
// least disturbed one.
void loadAndOutput(const std::string& path, Timing& fastest) {
    fastest.bytes = 0;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        CharacterSheet sheet;
        double start = nowMs();
        sheet.loadSheet(path);
        fastest.loadMs = std::min(fastest.loadMs, nowMs() - start);
        start = nowMs();
        fastest.bytes += outputs[i].write(sheet).size();
        fastest.outputMs[i] = std::min(fastest.outputMs[i], nowMs() - start);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "long-sheet.txt";
    {
        CharacterSheet sheet;
        writeLongSheet(sheet, entries, path);
    }
    Timing fastest;
    fastest.outputMs.fill(1e300);
    for (int run = 0; run < runs; ++run)
        loadAndOutput(path, fastest);
    std::remove(path.c_str());

    std::printf("%d entries a list: loadSheet %.1f ms;", entries, fastest.loadMs);
    for (std::size_t i = 0; i < outputs.size(); ++i)
        std::printf(" %s %.1f ms (%.2f x),", outputs[i].name, fastest.outputMs[i],
                    fastest.outputMs[i] / fastest.loadMs);
    std::printf(" %zu bytes (goal: each at most 1.5 x loadSheet)\n", fastest.bytes);
}
