#include "sheet/EntryClipboard.h"

#include "sheet/CodePage932.h"
#include "sheet/FieldSplitter.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

// The texts of an entry in the order every format here writes them.
constexpr std::array<std::string PartEntry::*, 5> entryTexts = {
    &PartEntry::name, &PartEntry::timing, &PartEntry::cost, &PartEntry::range, &PartEntry::effect};

// C0, DEL and C1: in UTF-8, C1 is C2 followed by 80 to 9F. A byte below 80
// never belongs to a longer sequence, even a broken one, so the walk may
// look at every byte.
std::size_t controlLengthAt(std::string_view utf8, std::size_t at) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    if (byte < 0x20 || byte == 0x7F)
        return 1;
    if (byte == 0xC2 && at + 1 < utf8.size()) {
        const auto next = static_cast<unsigned char>(utf8[at + 1]);
        return next >= 0x80 && next <= 0x9F ? 2 : 0;
    }
    return 0;
}

bool hasControls(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size(); ++at)
        if (controlLengthAt(utf8, at) != 0)
            return true;
    return false;
}

// Text between controls is copied a run at a time.
std::string replacingControls(std::string_view utf8, std::string_view replacement) {
    std::string replaced;
    replaced.reserve(utf8.size());
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t control = controlLengthAt(utf8, at);
        if (control == 0) {
            ++at;
            continue;
        }
        replaced.append(utf8.substr(runStart, at - runStart));
        replaced += replacement;
        at += control;
        runStart = at;
    }
    replaced.append(utf8.substr(runStart));
    return replaced;
}

// The text without its control characters; `storage` holds it when any had
// to go, and most texts have none.
std::string_view withoutControls(std::string_view utf8, std::string& storage) {
    if (!hasControls(utf8))
        return utf8;
    storage = replacingControls(utf8, "");
    return storage;
}

// The own format: a first line naming it and its version, then an entry a
// line, its tick in decimal and its five texts between tabs, each line ending
// in LF. The texts' tabs, line breaks, backslashes and NULs are escaped with
// a backslash (\t \r \n \\ \0) byte by byte: a 0x5C that ends a double-byte
// character is doubled as well, which is harmless as only this program reads
// the format.
constexpr std::string_view ownFormatHeader = "Velmora entries 1\n";

struct Escape {
    char byte;
    char letter;
};
constexpr Escape escapes[] = {{'\\', '\\'}, {'\t', 't'}, {'\r', 'r'}, {'\n', 'n'}, {'\0', '0'}};

// The escape whose byte or letter, as `side` says, is `c`; none if no escape has it.
const Escape* escapeWith(char Escape::*side, char c) {
    const Escape* found =
        std::find_if(std::begin(escapes), std::end(escapes), [&](const Escape& e) { return e.*side == c; });
    return found == std::end(escapes) ? nullptr : found;
}

void appendEscaped(std::string& format, std::string_view text) {
    for (char c : text) {
        const Escape* escape = escapeWith(&Escape::byte, c);
        if (escape == nullptr) {
            format += c;
        } else {
            format += '\\';
            format += escape->letter;
        }
    }
}

std::optional<std::string> unescaped(std::string_view field) {
    std::string text;
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] != '\\') {
            text += field[at];
            continue;
        }
        if (++at == field.size())
            return std::nullopt;
        const Escape* escape = escapeWith(&Escape::letter, field[at]);
        if (escape == nullptr)
            return std::nullopt;
        text += escape->byte;
    }
    return text;
}

std::optional<PartEntry> ownFormatEntry(std::string_view line) {
    const std::vector<std::string> fields = splitFields(std::string(line), "\t");
    if (fields.size() != 1 + entryTexts.size())
        return std::nullopt;
    PartEntry entry;
    const std::string& tick = fields.front();
    const auto [end, error] = std::from_chars(tick.data(), tick.data() + tick.size(), entry.checkMark);
    if (error != std::errc{} || end != tick.data() + tick.size())
        return std::nullopt;
    for (std::size_t i = 0; i < entryTexts.size(); ++i) {
        std::optional<std::string> text = unescaped(fields[i + 1]);
        if (!text)
            return std::nullopt;
        entry.*entryTexts[i] = std::move(*text);
    }
    return entry;
}

// Counts no further than it must, so that a huge text costs no more than
// its first lines.
bool isTooLargeToPaste(std::string_view text) {
    if (text.size() > pastedByteLimit)
        return true;
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); at = lineAt(text, at).next)
        if (++lines > pastedLineLimit)
            return true;
    return false;
}

using PastedTexts = std::array<std::string_view, entryTexts.size()>;

PastedTexts tabSeparatedTexts(std::string_view line) {
    PastedTexts texts;
    for (std::string_view& text : texts) {
        const std::size_t tab = std::min(line.find('\t'), line.size());
        text = line.substr(0, tab);
        line.remove_prefix(std::min(tab + 1, line.size()));
    }
    return texts;
}

// The texts hold no controls any more.
PartEntry pastedEntry(std::int32_t checkMark, const PastedTexts& texts) {
    PartEntry entry;
    entry.checkMark = checkMark;
    for (std::size_t i = 0; i < texts.size(); ++i)
        entry.*entryTexts[i] = utf8ToCodePage932(texts[i]);
    return entry;
}

// The fields are split at the line's tabs before its other controls go.
PartEntry tabSeparatedEntry(std::string_view line) {
    PastedTexts texts = tabSeparatedTexts(line);
    std::array<std::string, entryTexts.size()> storage;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = withoutControls(texts[i], storage[i]);
    return pastedEntry(0, texts);
}

// The sheet's entry text, in UTF-8, where no byte of a longer character can
// pass for a slash.
constexpr std::string_view untickedBox = "\xE2\x96\xA1";    // □
constexpr std::string_view tickedBox = "\xE2\x96\xA0";      // ■
constexpr std::string_view openingBracket = "\xE3\x80\x90"; // 【
constexpr std::string_view closingBracket = "\xE3\x80\x91"; // 】
constexpr std::string_view fullWidthColon = "\xEF\xBC\x9A"; // ：

bool skipPrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// 【name】timing/cost/range：effect, after a box or none; the effect may
// hold slashes and colons of its own.
std::optional<PartEntry> sheetLineEntry(std::string_view line) {
    const std::int32_t checkMark = skipPrefix(line, tickedBox) ? 1 : 0;
    if (checkMark == 0)
        skipPrefix(line, untickedBox);
    if (!skipPrefix(line, openingBracket))
        return std::nullopt;
    const std::size_t nameEnd = line.find(closingBracket);
    if (nameEnd == std::string_view::npos)
        return std::nullopt;
    const std::size_t headStart = nameEnd + closingBracket.size();
    const std::size_t colon = line.find(fullWidthColon, headStart);
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view head = line.substr(headStart, colon - headStart);
    const std::size_t firstSlash = head.find('/');
    const std::size_t secondSlash = head.find('/', firstSlash + 1);
    if (firstSlash == std::string_view::npos || secondSlash == std::string_view::npos)
        return std::nullopt;
    return pastedEntry(checkMark, {line.substr(0, nameEnd), head.substr(0, firstSlash),
                                   head.substr(firstSlash + 1, secondSlash - firstSlash - 1),
                                   head.substr(secondSlash + 1), line.substr(colon + fullWidthColon.size())});
}

// Broken sequences are replaced first, so that dropping a control between
// their bytes cannot join them into a character, or into another control.
std::optional<PartEntry> pastedLineEntry(std::string_view line) {
    std::string wellFormed;
    if (hasControls(line) && !isUtf8(line)) {
        wellFormed = wellFormedUtf8(line);
        line = wellFormed;
    }
    std::string storage;
    const std::string_view kept = withoutControls(line, storage);
    if (kept.empty())
        return std::nullopt;
    if (line.find('\t') != std::string_view::npos)
        return tabSeparatedEntry(line);
    if (std::optional<PartEntry> entry = sheetLineEntry(kept))
        return entry;
    return pastedEntry(0, {kept});
}

} // namespace

std::string entriesAsText(const std::vector<PartEntry>& entries) {
    std::string text, utf8;
    for (const PartEntry& entry : entries) {
        for (std::size_t i = 0; i < entryTexts.size(); ++i) {
            utf8.clear();
            appendAsUtf8(utf8, entry.*entryTexts[i]);
            text += replacingControls(utf8, " ");
            text += i + 1 < entryTexts.size() ? "\t" : "\r\n";
        }
    }
    return text;
}

std::string entriesAsOwnFormat(const std::vector<PartEntry>& entries) {
    std::string format(ownFormatHeader);
    for (const PartEntry& entry : entries) {
        format += std::to_string(entry.checkMark);
        for (const auto text : entryTexts) {
            format += '\t';
            appendEscaped(format, entry.*text);
        }
        format += '\n';
    }
    return format;
}

std::optional<std::vector<PartEntry>> entriesFromOwnFormat(std::string_view format) {
    if (!skipPrefix(format, ownFormatHeader))
        return std::nullopt;
    std::vector<PartEntry> entries;
    while (!format.empty()) {
        const std::size_t end = format.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // cut short
        std::optional<PartEntry> entry = ownFormatEntry(format.substr(0, end));
        if (!entry)
            return std::nullopt;
        entries.push_back(std::move(*entry));
        format.remove_prefix(end + 1);
    }
    return entries;
}

PastedEntries readPastedText(std::string_view utf8) {
    if (isTooLargeToPaste(utf8))
        return {PastedEntries::Outcome::tooLarge, {}, {}};
    PastedEntries pasted;
    skipPrefix(utf8, utf8ByteOrderMark);
    for (std::size_t at = 0, number = 0; at < utf8.size(); ++number) {
        const TextLine line = lineAt(utf8, at);
        if (std::optional<PartEntry> entry = pastedLineEntry(line.text)) {
            pasted.entries.push_back(std::move(*entry));
            pasted.lines.push_back(number);
        }
        at = line.next;
    }
    return pasted;
}
