// What the sheet's four outputs cost against reading the sheet: for a sheet
// of 3,000 entries in the skill list and in every part list, the text, the
// piece, the JSON record and the page, each against loadSheet of the same
// file in the same run. Prints figures and ratios; asserts nothing.

#include "export/SheetOutputs.h"

#include "Figures.h"
#include "LongSheet.h"
#include "NativeClock.h"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

namespace {

constexpr int entries = 3000;

// Each output as velmora-sheet writes it, to its last byte.
struct Output {
    const char* name;
    std::string (*write)(const CharacterSheet&);
};

constexpr std::array<Output, 4> outputs = {{
    {"text", sheetText},
    {"piece", [](const CharacterSheet& sheet) { return sheetPiece(sheet).dump(); }},
    {"JSON", sheetJson},
    {"page", sheetPage},
}};

// As velmora-sheet does it: a new record, the sheet read into it, and one
// output; answers {the output, the read}.
std::pair<double, double> loadAndOutput(const std::string& path, const Output& output) {
    CharacterSheet sheet;
    const double loadMs = timedMs([&] { sheet.loadSheet(path); });
    std::size_t bytes = 0;
    const double outputMs = timedMs([&] { bytes = output.write(sheet).size(); });
    return {bytes > 0 ? outputMs : 0, loadMs};
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "long-sheet.txt";
    {
        CharacterSheet sheet;
        writeLongSheet(sheet, entries, path);
    }
    // The outputs in turns, so that each sees the machine as the others do.
    std::array<FigureRuns, outputs.size()> runs;
    for (int run = 0; run < 3 * figureRuns; ++run)
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const auto [outputMs, loadMs] = loadAndOutput(path, outputs[i]);
            runs[i].add(outputMs, loadMs);
        }
    std::remove(path.c_str());
    for (std::size_t i = 0; i < outputs.size(); ++i)
        runs[i].print(std::string("the ") + outputs[i].name + " of 3000 entries a list, against loadSheet",
                      1.2);
}
