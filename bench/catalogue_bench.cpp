// What a catalogue costs: reading one of 5,000 entries against loadSheet of
// a sheet file of about the same size, and one more character of a search
// over the 5,000 folded entries against a plain scan of their texts for the
// same word, each floor measured in the same run. Prints figures and ratios;
// asserts nothing.

#include "refdata/Catalogue.h"
#include "sheet/TextFile.h"

#include "LongSheet.h"
#include "NativeClock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int entries = 5000;
constexpr int runs = 7;
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

template <class Step> double fastestMs(Step step) {
    double fastest = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = nowMs();
        step();
        fastest = std::min(fastest, nowMs() - start);
    }
    return fastest;
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
    const double searchMs = fastestMs([&] {
                                for (int i = 0; i < searchesPerRun; ++i)
                                    found = matches(folded, search);
                            }) /
                            searchesPerRun;
    const double scanMs = fastestMs([&] {
                              for (int i = 0; i < searchesPerRun; ++i)
                                  plainFound = plainMatches(texts, search);
                          }) /
                          searchesPerRun;
    std::printf(
        "search of %zu entries for %s: %.3f ms, %zu matches; plain scan %.3f ms, %zu matches (%.2f x, goal: "
        "at most 3 x)\n",
        folded.size(), label, searchMs, found, scanMs, plainFound, searchMs / scanMs);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string cataloguePath = folder + "/catalogue.txt", sheetPath = folder + "/sheet.txt";
    const std::string text = longCatalogue();
    replaceFileContents(cataloguePath, text);
    const std::size_t sheetBytes = writeSheetOfSize(text.size(), sheetPath);

    // Taken in turns, so that both see the same state of a busy machine.
    Catalogue catalogue;
    double readMs = 1e300, loadMs = 1e300;
    for (int run = 0; run < runs; ++run) {
        readMs = std::min(readMs, fastestMs([&] { catalogue = readCatalogue(cataloguePath); }));
        loadMs = std::min(loadMs, fastestMs([&] {
                              CharacterSheet sheet;
                              sheet.loadSheet(sheetPath);
                          }));
    }
    std::remove(cataloguePath.c_str());
    std::remove(sheetPath.c_str());
    std::printf(
        "readCatalogue of %zu entries, %zu bytes: %.2f ms; loadSheet of %zu bytes: %.2f ms (%.2f x, goal: at "
        "most 1.5 x)\n",
        catalogue.entries.size(), text.size(), readMs, sheetBytes, loadMs, readMs / loadMs);

    // Labelled in ASCII: the terminal shows UTF-8, the words are code page 932.
    compareSearch(catalogue, "攻撃123", "a kanji word in a few");
    compareSearch(catalogue, "アクション", "a katakana word in every one");
    compareSearch(catalogue, "1", "an ASCII digit in many");
}
