#include "refdata/Catalogue.h"

#include "sheet/CodePage932.h"
#include "sheet/EntryClipboard.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

// ---- Reading ----

// A catalogue file's bytes, read as any text file is.
CatalogueFile readCatalogueFile(const std::string& path) {
    FileBytes file = readFileBytes(path, catalogueByteLimit);
    switch (file.outcome) {
    case FileBytes::Outcome::read: break;
    case FileBytes::Outcome::missing: return {{}, CatalogueProblem::missing};
    case FileBytes::Outcome::tooLarge: return {{}, CatalogueProblem::tooLarge};
    }
    return {std::move(file.bytes)};
}

namespace {

bool skipPrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool beyondAscii(std::string_view text) {
    return std::ranges::any_of(text, [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
}

enum class Encoding { utf8, codePage932 };

// How the file's text is written, or none when it is no text; the
// byte-order mark is taken off. It is taken for UTF-8 as the reference
// lists are: when marked so, or when it is UTF-8 and holds more than ASCII;
// else it has to be code page 932.
std::optional<Encoding> encodingOf(std::string_view& bytes) {
    if (bytes.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (skipPrefix(bytes, utf8ByteOrderMark))
        return isUtf8(bytes) ? std::optional(Encoding::utf8) : std::nullopt;
    if (beyondAscii(bytes) && isUtf8(bytes))
        return Encoding::utf8;
    if (isCodePage932(bytes))
        return Encoding::codePage932;
    return std::nullopt;
}

// Spelled out in UTF-8: the fuzz build's compiler keeps literals so.
constexpr std::string_view fullWidthSpace = "\xE3\x80\x80";        // 　
constexpr std::string_view fullWidthOpenBracket = "\xEF\xBC\xBB";  // ［
constexpr std::string_view fullWidthCloseBracket = "\xEF\xBC\xBD"; // ］

// A line without the spaces around it, half- or full-width, and the tabs
// too when `tabsToo`: a tab at the start of an entry line leaves its name empty.
std::string_view trimmed(std::string_view line, bool tabsToo) {
    const auto blankAtStart = [&] {
        return skipPrefix(line, " ") || skipPrefix(line, fullWidthSpace) ||
               (tabsToo && skipPrefix(line, "\t"));
    };
    const auto blankAtEnd = [&] {
        for (const std::string_view blank : {std::string_view(" "), fullWidthSpace, std::string_view("\t")})
            if (line.ends_with(blank) && (tabsToo || blank != "\t")) {
                line.remove_suffix(blank.size());
                return true;
            }
        return false;
    };
    while (blankAtStart())
        ;
    while (blankAtEnd())
        ;
    return line;
}

// "[頭]" or "［頭］", the text between the brackets; none for any other line.
std::optional<std::string_view> heading(std::string_view line) {
    if (!skipPrefix(line, "[") && !skipPrefix(line, fullWidthOpenBracket))
        return std::nullopt;
    if (line.ends_with("]"))
        line.remove_suffix(1);
    else if (line.ends_with(fullWidthCloseBracket))
        line.remove_suffix(fullWidthCloseBracket.size());
    else
        return std::nullopt;
    return trimmed(line, true);
}

// What a line is to the reader: nothing (blank, or a comment), a heading
// with its title, or an entry's text for the reader of pasted text.
struct LineKind {
    enum class Kind { nothing, heading, entry } kind;
    std::string_view text;
};

LineKind kindOfLine(std::string_view line) {
    const std::string_view text = trimmed(line, true);
    if (text.empty() || text.starts_with(";"))
        return {LineKind::Kind::nothing, {}};
    if (const std::optional<std::string_view> title = heading(text))
        return {LineKind::Kind::heading, *title};
    return {LineKind::Kind::entry, trimmed(line, false)};
}

// Entry lines go to the reader of pasted text together, in runs that stay
// in the processor's cache and within what the reader takes.
constexpr std::size_t runLineLimit = std::min<std::size_t>(256, pastedLineLimit);

// Where each entry and heading stands is kept only for a writer.
class CatalogueBuilder {
public:
    CatalogueBuilder(std::size_t lines, CatalogueLayout* layout) : layout(layout) {
        catalogue.entries.reserve(lines);
    }

    void addLine(std::string_view line) {
        const LineKind read = kindOfLine(line);
        if (read.kind == LineKind::Kind::heading) {
            endRun();
            startGroup(utf8ToCodePage932(read.text));
        } else if (read.kind == LineKind::Kind::entry) {
            if (runLines.size() == runLineLimit || run.size() + read.text.size() + 1 > pastedByteLimit)
                endRun();
            run += read.text;
            run += '\n';
            runLines.push_back(lineNumber);
        }
        ++lineNumber;
    }

    Catalogue finished() {
        endRun();
        return std::move(catalogue);
    }

private:
    void endRun() {
        PastedEntries pasted = readPastedText(run);
        for (std::size_t i = 0; i < pasted.entries.size(); ++i) {
            CatalogueEntry& added = catalogue.entries.emplace_back();
            added.entry = std::move(pasted.entries[i]);
            added.entry.checkMark = 0;
            added.group = group;
            if (layout != nullptr)
                layout->entryLines.push_back(runLines[pasted.lines[i]]);
        }
        run.clear();
        runLines.clear();
    }

    void startGroup(std::string title) {
        group = std::move(title);
        if (!group.empty() && std::ranges::find(catalogue.groups, group) == catalogue.groups.end())
            catalogue.groups.push_back(group);
        if (layout != nullptr)
            layout->headingLines.push_back({lineNumber, group});
    }

    Catalogue catalogue;
    CatalogueLayout* layout;
    std::string group; // none above the first heading
    std::string run;
    std::vector<std::size_t> runLines; // the number of each line of the run
    std::size_t lineNumber = 0;
};

// A code page 932 file goes to the reader of pasted text a line at a time
// in UTF-8: a line feed or a carriage return is never part of a double-byte
// character.
Catalogue catalogueOf(std::string_view text, Encoding encoding, CatalogueLayout* layout) {
    CatalogueBuilder builder(static_cast<std::size_t>(std::ranges::count(text, '\n')), layout);
    std::string utf8;
    for (std::size_t at = 0; at < text.size();) {
        const TextLine line = lineAt(text, at);
        if (encoding == Encoding::utf8) {
            builder.addLine(line.text);
        } else {
            utf8.clear();
            appendAsUtf8(utf8, line.text);
            builder.addLine(utf8);
        }
        at = line.next;
    }
    return builder.finished();
}

// The catalogue in a file's bytes, and where its lines stand when `layout`
// is given.
Catalogue catalogueInText(std::string_view bytes, CatalogueLayout* layout) {
    if (bytes.size() > catalogueByteLimit)
        return {{}, {}, CatalogueProblem::tooLarge};
    const std::size_t size = bytes.size();
    const std::optional<Encoding> encoding = encodingOf(bytes);
    if (!encoding)
        return {{}, {}, CatalogueProblem::notText};
    if (layout != nullptr) {
        layout->bodyStart = size - bytes.size();
        layout->utf8 = *encoding == Encoding::utf8;
    }
    return catalogueOf(bytes, *encoding, layout);
}

// ---- Matching ----

// A folded text gives every character two bytes: a double-byte character
// its own, a single byte followed by a NUL. Folded texts then compare
// character by character, and a match at an even offset is one of whole
// characters, never one that begins on a trail byte.
struct FoldTables {
    std::array<std::uint16_t, 0x100> single; // by byte
    std::vector<std::uint16_t> doubleByte;   // by lead byte << 8 | trail byte
};

constexpr std::uint16_t codeOf(std::string_view codePage932) {
    return codePage932.size() == 2
               ? static_cast<std::uint16_t>(static_cast<unsigned char>(codePage932[0]) << 8 |
                                            static_cast<unsigned char>(codePage932[1]))
               : static_cast<unsigned char>(codePage932[0]);
}

std::uint16_t lowered(std::uint16_t code) {
    return code >= 'A' && code <= 'Z' ? static_cast<std::uint16_t>(code - 'A' + 'a') : code;
}

// Half-width katakana from 0xA1 to 0xDF, in order, as full-width characters.
constexpr std::u8string_view fullWidthOfHalfWidth =
    u8"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    u8"ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

std::string codePage932Of(std::u8string_view utf8) {
    return utf8ToCodePage932(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

// The full-width form of an ASCII character, U+FF01 to U+FF5E, as code page
// 932 has it; 0 where it has none.
std::uint16_t fullWidthCodeOf(char ascii) {
    const char32_t character = 0xFF01 + static_cast<char32_t>(ascii - '!');
    const char utf8[] = {'\xEF', static_cast<char>(0x80 | (character >> 6 & 0x3F)),
                         static_cast<char>(0x80 | (character & 0x3F))};
    const std::string codePage932 = utf8ToCodePage932(std::string_view(utf8, 3));
    return codePage932 == fullWidthQuestionMark && ascii != '?' ? 0 : codeOf(codePage932);
}

// Hiragana ぁ to ん sit at 0x829F to 0x82F1 and their katakana at 0x8340
// on, skipping 0x837F, which is no trail byte.
std::uint16_t katakanaOfHiragana(std::uint16_t code) {
    const int index = code - 0x829F;
    return static_cast<std::uint16_t>(0x8340 + index + (index >= 0x3F ? 1 : 0));
}

FoldTables buildFoldTables() {
    FoldTables tables{{}, std::vector<std::uint16_t>(0x10000)};
    for (std::size_t byte = 0; byte < tables.single.size(); ++byte)
        tables.single[byte] = lowered(static_cast<std::uint16_t>(byte));
    const std::string halfWidth = codePage932Of(fullWidthOfHalfWidth);
    for (std::size_t i = 0; i * 2 < halfWidth.size(); ++i)
        tables.single[0xA1 + i] = codeOf(std::string_view(halfWidth).substr(i * 2, 2));
    for (std::size_t code = 0; code < tables.doubleByte.size(); ++code)
        tables.doubleByte[code] = static_cast<std::uint16_t>(code);
    for (std::uint16_t code = 0x829F; code <= 0x82F1; ++code)
        tables.doubleByte[code] = katakanaOfHiragana(code);
    tables.doubleByte[0x8154] = 0x8152; // ゝ ヽ
    tables.doubleByte[0x8155] = 0x8153; // ゞ ヾ
    tables.doubleByte[0x8140] = ' ';    // the full-width space
    for (char ascii = '!'; ascii <= '~'; ++ascii)
        if (const std::uint16_t code = fullWidthCodeOf(ascii); code > 0xFF)
            tables.doubleByte[code] = lowered(static_cast<unsigned char>(ascii));
    return tables;
}

const FoldTables& foldTables() {
    static const FoldTables tables = buildFoldTables();
    return tables;
}

// A half-width katakana with the half-width sound mark after it, as one
// full-width character; 0 when they make none. Code page 932 puts each
// voiced katakana right after its plain one and the half-voiced one after
// that; ヴ stands apart.
std::uint16_t withSoundMark(char kana, char mark, const FoldTables& tables) {
    const auto byte = static_cast<unsigned char>(kana);
    const bool voiced = mark == '\xDE', halfVoiced = mark == '\xDF';
    const bool kaToTo = byte >= 0xB6 && byte <= 0xC4, haToHo = byte >= 0xCA && byte <= 0xCE;
    if (voiced && byte == 0xB3) // ｳ
        return 0x8394;
    if ((voiced && (kaToTo || haToHo)) || (halfVoiced && haToHo))
        return static_cast<std::uint16_t>(tables.single[byte] + (voiced ? 1 : 2));
    return 0;
}

void appendCode(std::string& folded, std::uint16_t code) {
    folded += static_cast<char>(code > 0xFF ? code >> 8 : code);
    folded += static_cast<char>(code > 0xFF ? code & 0xFF : 0);
}

void appendFolded(std::string& folded, std::string_view text) {
    const FoldTables& tables = foldTables();
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const bool hasNext = at + 1 < text.size();
        if (isLeadByte(text[at]) && hasNext && isTrailByte(text[at + 1])) {
            appendCode(folded, tables.doubleByte[byte << 8 | static_cast<unsigned char>(text[at + 1])]);
            at += 2;
        } else if (const std::uint16_t combined =
                       hasNext ? withSoundMark(text[at], text[at + 1], tables) : 0) {
            appendCode(folded, combined);
            at += 2;
        } else {
            appendCode(folded, tables.single[byte]);
            at += 1;
        }
    }
}

// What no word holds, as a folded character: words end at control characters.
constexpr std::string_view fieldSeparator("\n\0", 2);

bool isWordBreak(std::string_view foldedCharacter) {
    return foldedCharacter[1] == '\0' && static_cast<unsigned char>(foldedCharacter[0]) <= ' ';
}

bool containsWholeCharacters(std::string_view folded, std::string_view word) {
    for (std::size_t at = folded.find(word); at != std::string_view::npos; at = folded.find(word, at + 1))
        if (at % 2 == 0)
            return true;
    return false;
}

} // namespace

Catalogue readCatalogue(const std::string& path) {
    CatalogueFile file = readCatalogueFile(path);
    if (file.problem != CatalogueProblem::none)
        return {{}, {}, file.problem};
    return readCatalogueText(file.bytes);
}

Catalogue readCatalogueText(std::string_view bytes) {
    return catalogueInText(bytes, nullptr);
}

CatalogueLayout readCatalogueLayout(std::string_view bytes) {
    CatalogueLayout layout;
    layout.catalogue = catalogueInText(bytes, &layout);
    return layout;
}

std::optional<CatalogueLine> readCatalogueLine(std::string_view utf8) {
    const LineKind read = kindOfLine(utf8);
    if (read.kind == LineKind::Kind::heading)
        return CatalogueLine{utf8ToCodePage932(read.text), std::nullopt};
    if (read.kind == LineKind::Kind::nothing)
        return std::nullopt;
    PastedEntries pasted = readPastedText(read.text);
    if (pasted.entries.size() != 1)
        return std::nullopt;
    pasted.entries.front().checkMark = 0;
    return CatalogueLine{{}, std::move(pasted.entries.front())};
}

std::string catalogueProblemText(CatalogueProblem problem) {
    switch (problem) {
    case CatalogueProblem::none: break;
    case CatalogueProblem::missing: return "ファイルがないか、開けません";
    case CatalogueProblem::tooLarge: return "4 MiB を超えているため読み込みません";
    case CatalogueProblem::notText: return "テキストファイルではないため読み込みません";
    case CatalogueProblem::readOnly: return "読み取り専用のため書き込めません";
    case CatalogueProblem::notWritten:
        return "書き込めませんでした（フォルダーの権限とディスクの空きを確かめてください）";
    case CatalogueProblem::keptChanging: return "ほかの書き込みが続いたため書き込めませんでした";
    case CatalogueProblem::notReadBack: return "書いた行が同じ項目として読み戻せないため書き込みません";
    }
    return {};
}

std::string foldForSearch(std::string_view text) {
    std::string folded;
    folded.reserve(text.size() * 2);
    appendFolded(folded, text);
    return folded;
}

FoldedEntry foldEntry(const CatalogueEntry& entry) {
    FoldedEntry folded{foldForSearch(entry.entry.name), {}};
    folded.searched.reserve(folded.name.size() + 2 * (entry.entry.timing.size() + entry.entry.effect.size() +
                                                      entry.group.size() + 3));
    folded.searched = folded.name;
    for (const std::string* text : {&entry.entry.timing, &entry.entry.effect, &entry.group})
        appendFoldedText(folded.searched, *text);
    return folded;
}

FoldedWords searchWords(std::string_view search) {
    const std::string folded = foldForSearch(search);
    FoldedWords words;
    std::size_t wordStart = 0;
    for (std::size_t at = 0; at <= folded.size(); at += 2) {
        if (at < folded.size() && !isWordBreak(std::string_view(folded).substr(at, 2)))
            continue;
        if (at > wordStart)
            words.push_back(folded.substr(wordStart, at - wordStart));
        wordStart = at + 2;
    }
    return words;
}

std::size_t appendFoldedText(std::string& searched, std::string_view text) {
    searched += fieldSeparator;
    const std::size_t begin = searched.size();
    appendFolded(searched, text);
    return begin;
}

bool containsEveryWord(std::string_view searched, const FoldedWords& words) {
    return std::ranges::all_of(
        words, [&](const std::string& word) { return containsWholeCharacters(searched, word); });
}

bool matchesSearch(const FoldedEntry& entry, const FoldedWords& words) {
    return containsEveryWord(entry.searched, words);
}

bool nameBeginsWith(const FoldedEntry& entry, std::string_view prefix) {
    return entry.name.starts_with(prefix);
}

DollChoices dollChoicesOf(std::initializer_list<std::string_view> choices) {
    DollChoices folded;
    for (const std::string_view choice : choices)
        if (!choice.empty())
            folded.push_back(foldForSearch(choice));
    return folded;
}

std::vector<std::string> fittingGroups(const Catalogue& catalogue, const DollChoices& doll) {
    std::vector<std::string> fitting;
    for (const std::string& group : catalogue.groups)
        if (std::ranges::find(doll, foldForSearch(group)) != doll.end())
            fitting.push_back(group);
    return fitting;
}

const CatalogueEntry* findCatalogueEntry(const Catalogue& catalogue, std::string_view name,
                                         std::string_view preferredGroup) {
    const CatalogueEntry* first = nullptr;
    for (const CatalogueEntry& entry : catalogue.entries) {
        if (entry.entry.name != name)
            continue;
        if (entry.group == preferredGroup)
            return &entry;
        if (first == nullptr)
            first = &entry;
    }
    return first;
}
