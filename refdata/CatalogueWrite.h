#pragma once

// Entries of a sheet put into a catalogue file that people also keep by
// hand: only the lines of those entries change, and every other byte of the
// file (comments, blank lines, other headings, line ends, encoding) stays as
// it was.

#include "refdata/Catalogue.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What registering entries under a heading makes of a catalogue text.
struct CatalogueRegistration {
    std::string text;                  // the whole new text
    std::string heading;               // as the catalogue reads it back; empty for none
    std::vector<PartEntry> registered; // unticked, in list order
    std::size_t added = 0;             // of them, new lines
    std::size_t replaced = 0;          // of them, lines of the same name replaced where they stand
    std::size_t leftOut = 0;           // entries that no line reads back as
    CatalogueProblem problem = CatalogueProblem::none;
};

// The catalogue text `old` with `entries` under the heading `heading` (code
// page 932; empty for the entries above any heading), each a line of name,
// timing, cost, range and effect between tabs. An entry whose name, folded as
// the search folds it, is already under the heading replaces that line; the
// others follow the heading's last entry in their order, and a heading not
// yet there is added at the end. A text of no lines is taken as a new file:
// code page 932 and CR LF.
CatalogueRegistration registerEntries(std::string_view old, const std::vector<PartEntry>& entries,
                                      std::string_view heading);

// What registering will do, as the dialog says it before it is done:
// "3 件を C:\…\パーツ.txt の [頭] に登録します（うち 1 件は置き換え）".
std::string registrationSummary(const CatalogueRegistration& registration, std::string_view path);

// The same on the file at `path`, made when it does not exist. It is read
// again right before it is written and written as a save is, through a
// temporary file; when it changed between that read and the replace (another
// player registering at the same time), it is read and merged again, a few
// times at most. A file that cannot be written is left as it was and the
// answer's problem says why. `beforeReplace` runs once the temporary file is
// written, before the check.
CatalogueRegistration registerInCatalogue(const std::string& path, const std::vector<PartEntry>& entries,
                                          std::string_view heading,
                                          const std::function<void()>& beforeReplace = {});
