// What a catalogue costs: reading one of 5,000 entries against loadSheet of
// a sheet file of about the same size, and one more character of a search
// over the 5,000 folded entries against a plain scan of their texts for the
// same word, each floor measured in the same run. Prints figures and ratios;
// asserts nothing.

#include "refdata/Catalogue.h"
#include "sheet/TextFile.h"

#include "Figures.h"
#include "LongSheet.h"
#include "NativeClock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int entries = 5000;
constexpr int searchesPerRun = 50;

// The catalogue a group might keep: the entries under the four locations'
// headings, written as a chat palette gives them.
std::string longCatalogue() {
    const char* const headings[] = {"[頭]", "[腕]", "[胴]", "[脚]"};
    std::string text;
    for (int i = 0; i < entries; ++i) {
        if (i % (entries / 4) == 0)
            text += std::string(headings[i / (entries / 4)]) + "\r\n";
        const std::string n = std::to_string(i);
        text += "【パーツ" + n + "】アクション/1/0：肉弾攻撃" + n + "\r\n";
    }
    return text;
}

// A sheet file of about `bytes` bytes, made as the other benchmarks make
// long sheets.
std::size_t writeSheetOfSize(std::size_t bytes, const std::string& path) {
    int perList = entries / 5;
    for (int attempt = 0; attempt < 2; ++attempt) {
        CharacterSheet sheet;
        writeLongSheet(sheet, perList, path);
        const std::size_t written = sheet.sheetFileText().size();
        perList = static_cast<int>(static_cast<double>(perList) * static_cast<double>(bytes) /
                                   static_cast<double>(written));
        if (attempt == 1)
            return written;
    }
    return 0;
}

// The search the dialog runs when one more character has been typed: the
// words folded, and every entry tested.
std::size_t matches(const std::vector<FoldedEntry>& folded, const std::string& search) {
    const FoldedWords words = searchWords(search);
    return static_cast<std::size_t>(
        std::ranges::count_if(folded, [&](const FoldedEntry& entry) { return matchesSearch(entry, words); }));
}

std::size_t plainMatches(const std::vector<std::string>& texts, const std::string& word) {
    return static_cast<std::size_t>(std::ranges::count_if(
        texts, [&](const std::string& text) { return text.find(word) != std::string::npos; }));
}

void compareSearch(const Catalogue& catalogue, const std::string& search, const char* label) {
    std::vector<FoldedEntry> folded;
    std::vector<std::string> texts;
    for (const CatalogueEntry& entry : catalogue.entries) {
        folded.push_back(foldEntry(entry));
        texts.push_back(entry.entry.name + "\n" + entry.entry.timing + "\n" + entry.entry.effect + "\n" +
                        entry.group);
    }
    std::size_t found = 0, plainFound = 0;
    // Taken in turns, so that both see the same state of a busy machine.
    const FigureRuns runs = takeRuns([&] {
        const double searchMs = timedMs([&] {
            for (int i = 0; i < searchesPerRun; ++i)
                found = matches(folded, search);
        });
        const double scanMs = timedMs([&] {
            for (int i = 0; i < searchesPerRun; ++i)
                plainFound = plainMatches(texts, search);
        });
        return std::pair(searchMs / searchesPerRun, scanMs / searchesPerRun);
    });
    std::printf("search of %zu entries for %s: %zu matches; the plain scan %zu\n", folded.size(), label,
                found, plainFound);
    runs.print(std::string("catalogue of 5000: a search for ") + label + ", against a plain scan", 3);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string cataloguePath = folder + "/catalogue.txt", sheetPath = folder + "/sheet.txt";
    const std::string text = longCatalogue();
    replaceFileContents(cataloguePath, text);
    const std::size_t sheetBytes = writeSheetOfSize(text.size(), sheetPath);

    Catalogue catalogue;
    const FigureRuns reads = takeRuns([&] {
        const double readMs = timedMs([&] { catalogue = readCatalogue(cataloguePath); });
        const double loadMs = timedMs([&] {
            CharacterSheet sheet;
            sheet.loadSheet(sheetPath);
        });
        return std::pair(readMs, loadMs);
    });
    std::remove(cataloguePath.c_str());
    std::remove(sheetPath.c_str());
    std::printf("readCatalogue of %zu entries, %zu bytes; loadSheet of %zu bytes\n", catalogue.entries.size(),
                text.size(), sheetBytes);
    reads.print("read a catalogue of 5000 entries, against loadSheet of a sheet as large", 1.5);

    // Labelled in ASCII: the terminal shows UTF-8, the words are code page 932.
    compareSearch(catalogue, "攻撃123", "a kanji word in a few");
    compareSearch(catalogue, "アクション", "a katakana word in every one");
    compareSearch(catalogue, "1", "an ASCII digit in many");
}
