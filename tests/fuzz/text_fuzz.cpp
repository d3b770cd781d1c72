// The readers of texts, in memory: the same bytes as pasted text, as the
// entries' own clipboard format and as a catalogue, and what is read from
// them searched for its own words.
//
// Pasted entries hold no control character, go out in the own format and
// come back the same, and go out as plain text and come back the same but
// for the tick. Whatever the own format reads goes back out and reads the
// same. A catalogue's entries are unticked, under one of its headings or
// none, and each is found by its name and by the words of its name and of
// its heading, and written back into the text under its heading it reads
// back the same. Any text searched for its own words matches itself.
#include "FuzzInput.h"

#include "refdata/Catalogue.h"
#include "refdata/CatalogueWrite.h"
#include "sheet/EntryClipboard.h"

#include <algorithm>
#include <span>

namespace {

bool hasControlByte(const PartEntry& entry) {
    const auto control = [](char byte) { return static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F; };
    return std::ranges::any_of(entry.name, control) || std::ranges::any_of(entry.timing, control) ||
           std::ranges::any_of(entry.cost, control) || std::ranges::any_of(entry.range, control) ||
           std::ranges::any_of(entry.effect, control);
}

void checkPasted(std::string_view input) {
    const PastedEntries pasted = readPastedText(input);
    if (pasted.outcome != PastedEntries::Outcome::pasted)
        return;
    for (const PartEntry& entry : pasted.entries)
        require(!hasControlByte(entry), "a pasted entry holds no control character");
    require(entriesFromOwnFormat(entriesAsOwnFormat(pasted.entries)) == pasted.entries,
            "pasted entries come back from the own format");
    std::vector<PartEntry> unticked = pasted.entries;
    for (PartEntry& entry : unticked)
        entry.checkMark = 0;
    // An entry of five empty texts is a line of tabs, which pastes as nothing.
    std::erase_if(unticked, [](const PartEntry& entry) { return entry == PartEntry{}; });
    require(readPastedText(entriesAsText(pasted.entries)).entries == unticked,
            "pasted entries come back from plain text, unticked");
}

void checkOwnFormat(std::string_view input) {
    if (const std::optional<std::vector<PartEntry>> entries = entriesFromOwnFormat(input))
        require(entriesFromOwnFormat(entriesAsOwnFormat(*entries)) == entries,
                "what the own format reads goes back out and reads the same");
}

// The first entries of the first entry's heading go back into the text:
// each replaces a line of its name, and reads back the same.
void checkWrittenBack(std::string_view input, const Catalogue& catalogue, std::size_t checked) {
    std::vector<PartEntry> entries;
    for (const CatalogueEntry& entry : std::span(catalogue.entries).first(checked))
        if (entry.group == catalogue.entries.front().group)
            entries.push_back(entry.entry);
    const CatalogueRegistration written =
        registerEntries(input, entries, entries.empty() ? "" : catalogue.entries.front().group);
    // Lines in another form may have been all that kept a code page 932 text
    // from reading as UTF-8; the writer then refuses.
    if (entries.empty() || written.problem == CatalogueProblem::tooLarge ||
        written.problem == CatalogueProblem::notReadBack)
        return;
    require(written.problem == CatalogueProblem::none && written.added == 0,
            "a catalogue's entries written back replace their own lines");
    const Catalogue back = readCatalogueText(written.text);
    for (const PartEntry& entry : written.registered) {
        const CatalogueEntry* found = findCatalogueEntry(back, entry.name, written.heading);
        require(found != nullptr && found->group == written.heading && found->entry == entry,
                "an entry written back reads back the same");
    }
}

void checkCatalogue(std::string_view input) {
    const Catalogue catalogue = readCatalogueText(input);
    // The first entries stand for all: looking each up among all is quadratic.
    const std::size_t checked = std::min<std::size_t>(catalogue.entries.size(), 32);
    for (const CatalogueEntry& entry : std::span(catalogue.entries).first(checked)) {
        require(entry.entry.checkMark == 0, "a catalogue entry is unticked");
        require(entry.group.empty() || std::ranges::count(catalogue.groups, entry.group) == 1,
                "an entry's heading is one of the catalogue's, once");
        const FoldedEntry folded = foldEntry(entry);
        require(matchesSearch(folded, searchWords(entry.entry.name)),
                "an entry matches the words of its name");
        require(matchesSearch(folded, searchWords(entry.group)), "an entry matches the words of its heading");
        require(nameBeginsWith(folded, foldForSearch(entry.entry.name)),
                "an entry's name begins with itself");
        const CatalogueEntry* found = findCatalogueEntry(catalogue, entry.entry.name, entry.group);
        require(found != nullptr && found->entry.name == entry.entry.name, "an entry is found by its name");
    }
    checkWrittenBack(input, catalogue, checked);
}

// The input as code page 932 texts: the name and effect of an entry, and a
// search for its words.
void checkMatching(std::string_view input) {
    const std::string text(input);
    const FoldedWords words = searchWords(text);
    for (const std::string& word : words)
        require(!word.empty() && word.size() % 2 == 0, "a folded word is whole characters");
    require(matchesSearch(foldEntry({{0, text, "", "", "", ""}, ""}), words), "a text matches its own words");
    require(matchesSearch(foldEntry({{0, "", "", "", "", text}, ""}), words),
            "an effect matches its own words");
    require(foldForSearch(text).size() % 2 == 0, "a folded text is whole characters");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkPasted(input);
    checkOwnFormat(input);
    checkCatalogue(input);
    checkMatching(input);
    return 0;
}
