#pragma once

// Entries on and off the clipboard, as texts: the windows layer does the
// clipboard calls and the UTF-16. Entries travel as parts; a skill goes as
// an unticked part.

#include "sheet/CharacterSheet.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// UTF-8, an entry a line ending in CR LF and its five texts (name, timing,
// cost, range, effect) between tabs, as a spreadsheet or a chat takes them.
// A control character inside a text becomes a space, so that lines and
// fields stay whole; the tick does not go.
std::string entriesAsText(const std::vector<PartEntry>& entries);

// The program's own clipboard format, which keeps every entry exactly: the
// tick and every byte of the texts. It holds no NUL byte, so a reader of
// clipboard memory, which may be larger than what was put in it, can take it
// up to the first NUL. Anything damaged reads as nothing.
std::string entriesAsOwnFormat(const std::vector<PartEntry>& entries);
std::optional<std::vector<PartEntry>> entriesFromOwnFormat(std::string_view format);

// What a paste from another program may bring at most; a larger text is
// refused whole rather than half pasted into the list.
inline constexpr std::size_t pastedLineLimit = 10'000;
inline constexpr std::size_t pastedByteLimit = std::size_t{1} << 20;

struct PastedEntries {
    enum class Outcome { pasted, tooLarge } outcome = Outcome::pasted;
    std::vector<PartEntry> entries;
    std::vector<std::size_t> lines; // the line of each entry, counted from 0
};

// The entries in a UTF-8 text from a spreadsheet, a web page or a chat, one
// a line (CR LF, LF or CR). A line with tabs holds name, timing, cost, range
// and effect between them; a line without reads as the sheet's own
// "□【name】timing/cost/range：effect" (■ when ticked, no box from a chat
// palette) or, failing that, as a name alone. Control characters are
// dropped and a line left empty adds nothing; a line of blanks is a name.
// Texts come out in code page 932, "？" for what it cannot hold.
PastedEntries readPastedText(std::string_view utf8);
