#pragma once

// The catalogues of parts and skills that a group keeps in its Database
// folder ("パーツ.txt", "スキル.txt"): entries to choose from instead of
// typing them box by box. A line is what a player would paste; a heading
// in square brackets names the group of the entries below it.

#include "sheet/CharacterSheet.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CatalogueEntry {
    PartEntry entry;   // code page 932 texts, never ticked
    std::string group; // the heading above it ("頭", a class, a book); empty above any heading
};

// Why a catalogue holds nothing, when it does not: the file is missing, is
// over the size limit, or is no text.
enum class CatalogueProblem { none, missing, tooLarge, notText };

struct Catalogue {
    std::vector<CatalogueEntry> entries;
    std::vector<std::string> groups; // the headings in file order, each once
    CatalogueProblem problem = CatalogueProblem::none;
};

inline constexpr std::size_t catalogueByteLimit = std::size_t{4} << 20;

// The catalogue file at `path` (code page 932, or UTF-8 with or without
// the byte-order mark): each line an entry as readPastedText reads it,
// "[見出し]" a heading, blank lines and lines that begin with ";" skipped.
Catalogue readCatalogue(const std::string& path);
// The same from the file's bytes.
Catalogue readCatalogueText(std::string_view bytes);

// What the user is told of a problem, in code page 932 ("" for none).
std::string catalogueProblemText(CatalogueProblem problem);

// Matching as a player types: hiragana and katakana match each other; full-
// and half-width letters, digits and katakana match each other; Latin letters
// match in either case. Each text is folded once. The folded form is for
// comparing only, never for showing: it gives every character two bytes, so
// that a match never begins inside a double-byte character.
std::string foldForSearch(std::string_view text);

// An entry's texts folded once: its name, and what a search looks in (name,
// timing, effect and heading).
struct FoldedEntry {
    std::string name;
    std::string searched;
};
FoldedEntry foldEntry(const CatalogueEntry& entry);

// The words of a search, split at half- and full-width spaces, folded.
using FoldedWords = std::vector<std::string>;
FoldedWords searchWords(std::string_view search);

// Several texts searched as one: each folded and put after those already
// there behind a separator that no word holds, so that no word is found
// across two texts. Answers where the folded text begins.
std::size_t appendFoldedText(std::string& searched, std::string_view text);
// Every word occurs in the folded `searched`, each at the start of a
// character; no words match all.
bool containsEveryWord(std::string_view searched, const FoldedWords& words);

// Every word occurs in the entry's searched texts; no words match all.
bool matchesSearch(const FoldedEntry& entry, const FoldedWords& words);
// The entry's name begins with the folded `prefix`.
bool nameBeginsWith(const FoldedEntry& entry, std::string_view prefix);

// The first entry named exactly `name`, one in `preferredGroup` before any
// other; null when none is.
const CatalogueEntry* findCatalogueEntry(const Catalogue& catalogue, std::string_view name,
                                         std::string_view preferredGroup);
