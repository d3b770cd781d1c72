// The sheet file: one line per member in member order, list members packed
// into one line each, entries joined by ":" and an entry's fields by ",".
// There is no quoting, so the writer keeps the separators out of the texts
// that the reader cuts apart.

#include "sheet/CharacterSheet.h"
#include "sheet/FieldSplitter.h"
#include "sheet/FileSystem.h"
#include "sheet/Numbers.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::int32_t currentFormat = 1002;
constexpr std::int32_t firstFormatWithPortrait = 1001;
constexpr std::size_t linesWithPortrait = 21;

constexpr std::string_view lineEnd = "\r\n";
// The full-width "，" and "：" stand in for the separators. They are spelled
// as their code page 932 bytes because the file's bytes must not depend on
// the compiler's execution character set.
constexpr std::string_view fullWidthComma = "\x81\x43";
constexpr std::string_view fullWidthColon = "\x81\x46";

// ---- Writing ----

// Every text comes from a single-line control, but a line break inside one
// would end its line early and shift every later member.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string replaceAll(const std::string& text, char separator, std::string_view standIn) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == separator)
            out += standIn;
        else
            out += c;
    }
    return out;
}

// A text between "," separators: the karma texts.
std::string fieldText(const std::string& text) {
    return replaceAll(oneLine(text), ',', fullWidthComma);
}

// A text inside a list entry, where both "," and ":" cut.
std::string entryText(const std::string& text) {
    return replaceAll(fieldText(text), ':', fullWidthColon);
}

std::string numberText(std::int32_t value) {
    return numberToText(value, 10);
}

template <class Items, class Format> std::string join(const Items& items, char separator, Format format) {
    std::string joined;
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            joined += separator;
        first = false;
        joined += format(item);
    }
    return joined;
}

template <class Entry, class Format>
std::string joinEntries(const std::vector<Entry>& entries, Format format) {
    return join(entries, ':', format);
}

std::string joinFields(std::initializer_list<std::string> fields) {
    return join(fields, ',', [](const std::string& field) { return field; });
}

std::string memoryLine(const std::vector<MemoryFragment>& rows) {
    return joinEntries(rows, [](const MemoryFragment& row) {
        return joinFields({entryText(row.title), numberText(row.number), entryText(row.content)});
    });
}

std::string skillLine(const std::vector<SkillEntry>& entries) {
    return joinEntries(entries, [](const SkillEntry& entry) {
        return joinFields({entryText(entry.name), entryText(entry.timing), entryText(entry.cost),
                           entryText(entry.range), entryText(entry.effect)});
    });
}

std::string regretLine(const std::vector<Regret>& rows) {
    return joinEntries(rows, [](const Regret& row) {
        return joinFields({entryText(row.target), entryText(row.content), numberText(row.madnessPoints),
                           entryText(row.madnessEffect)});
    });
}

std::string partLine(const std::vector<PartEntry>& entries) {
    return joinEntries(entries, [](const PartEntry& entry) {
        return joinFields({numberText(entry.checkMark), entryText(entry.name), entryText(entry.timing),
                           entryText(entry.cost), entryText(entry.range), entryText(entry.effect)});
    });
}

std::string karmaLine(const std::vector<std::string>& karma) {
    return join(karma, ',', fieldText);
}

// ---- Reading ----

// The field at `index`, or an empty text where the entry is short.
std::string field(const std::vector<std::string>& fields, std::size_t index) {
    return index < fields.size() ? fields[index] : std::string();
}

std::int32_t numberField(const std::vector<std::string>& fields, std::size_t index) {
    return index < fields.size() ? parseNumber(fields[index]) : 0;
}

std::vector<std::vector<std::string>> entryFields(const std::string& line) {
    std::vector<std::vector<std::string>> entries;
    for (std::string& entry : splitFields(line, ":"))
        entries.push_back(splitFields(std::move(entry), ","));
    return entries;
}

// List lines with no entries are empty; an empty line is never one empty entry.
std::vector<std::vector<std::string>> listEntries(const std::string& line) {
    return line.empty() ? std::vector<std::vector<std::string>>() : entryFields(line);
}

// Fixed-length lists keep their length whatever the line holds: surplus
// entries are dropped, missing ones stay empty.
template <class Row> std::vector<Row> fixedRows(std::vector<Row> rows, std::size_t count) {
    rows.resize(count);
    return rows;
}

std::vector<std::string> readKarma(const std::string& line) {
    return fixedRows(splitFields(line, ","), karmaCount);
}

std::vector<MemoryFragment> readMemories(const std::string& line) {
    std::vector<MemoryFragment> rows;
    for (const auto& fields : entryFields(line))
        rows.push_back({field(fields, 0), numberField(fields, 1), field(fields, 2)});
    return fixedRows(std::move(rows), memoryCount);
}

std::vector<SkillEntry> readSkills(const std::string& line) {
    std::vector<SkillEntry> entries;
    for (const auto& fields : listEntries(line))
        entries.push_back(
            {field(fields, 0), field(fields, 1), field(fields, 2), field(fields, 3), field(fields, 4)});
    return entries;
}

std::vector<Regret> readRegrets(const std::string& line) {
    std::vector<Regret> rows;
    for (const auto& fields : listEntries(line))
        rows.push_back({field(fields, 0), field(fields, 1), numberField(fields, 2), field(fields, 3)});
    return fixedRows(std::move(rows), regretCount);
}

std::vector<PartEntry> readParts(const std::string& line) {
    std::vector<PartEntry> entries;
    for (const auto& fields : listEntries(line))
        entries.push_back({numberField(fields, 0), field(fields, 1), field(fields, 2), field(fields, 3),
                           field(fields, 4), field(fields, 5)});
    return entries;
}

// The lines a sheet can use, read before the record is touched so that an
// unreadable file leaves it as it was. Lines past the end read as empty.
class SheetLines {
public:
    explicit SheetLines(std::vector<std::string> lines) : lines(std::move(lines)) {}
    const std::string& next() { return at < lines.size() ? lines[at++] : none; }

private:
    std::vector<std::string> lines;
    std::size_t at = 0;
    std::string none;
};

// Every sheet ever written starts with its format number, and no sheet holds
// a NUL byte. Anything else (a picture, a document, an empty file opened
// through "All files") is not read as a sheet: saving it back would replace
// the file with a sheet.
bool looksLikeSheet(const std::vector<std::string>& lines) {
    if (lines.empty() || !isWholeNumber(lines.front()))
        return false;
    return std::none_of(lines.begin(), lines.end(),
                        [](const std::string& line) { return line.find('\0') != std::string::npos; });
}

// With `wholeFile`, the reader reads on past the last line to its byte
// limit, so that a longer file is no sheet, whatever follows that line.
std::optional<SheetLines> readSheetLines(LineReader reader, bool wholeFile = false) {
    if (!reader.isOpen())
        return std::nullopt;
    reader.skip(utf8ByteOrderMark); // Notepad may put it before the first line
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < linesWithPortrait && reader.readLine(line))
        lines.push_back(line);
    while (wholeFile && reader.readLine(line)) {
    }
    if (reader.failed())
        return std::nullopt;
    if (!looksLikeSheet(lines))
        return std::nullopt;
    return SheetLines(std::move(lines));
}

} // namespace

bool isSheetFile(const std::string& path) {
    return readSheetLines(LineReader(openForReading(path))).has_value();
}

#ifdef _WIN32
bool isSheetFile(const std::wstring& path) {
    return readSheetLines(LineReader(openForReading(path))).has_value();
}
#endif

bool CharacterSheet::saveSheet(std::string path) const {
    return replaceFileContents(path, sheetFileText());
}

std::string CharacterSheet::sheetFileText() const {
    std::string text;
    const auto line = [&text](const std::string& content) {
        text += content;
        text += lineEnd;
    };
    line(numberText(currentFormat));
    line(oneLine(portraitPath));
    line(oneLine(dollName));
    line(oneLine(playerName));
    line(numberText(favorPoints));
    line(oneLine(ageAtDeath));
    line(oneLine(suggestion));
    line(karmaLine(karma));
    line(oneLine(position));
    line(oneLine(mainClass));
    line(oneLine(subClass));
    line(joinFields({numberText(armament), numberText(mutation), numberText(modification)}));
    line(memoryLine(memories));
    line(skillLine(skills));
    line(regretLine(regrets));
    line(numberText(maxActionBonus));
    line(numberText(initialPlacement));
    for (BodyLocation location : bodyLocations)
        line(partLine(getParts(location)));
    return text;
}

namespace {

// The part lines in the order of bodyLocations.
constexpr std::array partLists = {&SheetContents::headParts, &SheetContents::armParts,
                                  &SheetContents::torsoParts, &SheetContents::legParts};

// A sheet's members as its lines give them; files of format 1000 and older
// have no portrait line, their doll name is on line 2.
struct ReadContents {
    SheetContents contents;
    bool hasPortraitLine = false;
};

ReadContents contentsOf(SheetLines lines) {
    ReadContents read;
    SheetContents& sheet = read.contents;
    read.hasPortraitLine = parseNumber(lines.next()) >= firstFormatWithPortrait;
    if (read.hasPortraitLine)
        sheet.portraitPath = lines.next();
    sheet.dollName = lines.next();
    sheet.playerName = lines.next();
    sheet.favorPoints = parseNumber(lines.next());
    sheet.ageAtDeath = lines.next();
    sheet.suggestion = lines.next();
    sheet.karma = readKarma(lines.next());
    sheet.position = lines.next();
    sheet.mainClass = lines.next();
    sheet.subClass = lines.next();
    const std::vector<std::string> values = splitFields(lines.next(), ",");
    sheet.armament = numberField(values, 0);
    sheet.mutation = numberField(values, 1);
    sheet.modification = numberField(values, 2);
    sheet.memories = readMemories(lines.next());
    sheet.skills = readSkills(lines.next());
    sheet.regrets = readRegrets(lines.next());
    sheet.maxActionBonus = parseNumber(lines.next());
    sheet.initialPlacement = parseNumber(lines.next());
    for (auto parts : partLists)
        sheet.*parts = readParts(lines.next());
    return read;
}

// A sheet's portrait may lie beside the sheet at `path`; the current
// portrait stays when the file has no portrait line.
bool loadSheetLines(CharacterSheet& sheet, std::optional<SheetLines> lines, const std::string& path) {
    if (!lines)
        return false;
    ReadContents read = contentsOf(std::move(*lines));
    SheetContents& contents = read.contents;
    if (read.hasPortraitLine)
        sheet.setPortrait(std::move(contents.portraitPath), PortraitOrigin::sheetFile, path);
    sheet.setDollName(std::move(contents.dollName));
    sheet.setPlayerName(std::move(contents.playerName));
    sheet.setFavorPoints(contents.favorPoints);
    sheet.setAgeAtDeath(std::move(contents.ageAtDeath));
    sheet.setSuggestion(std::move(contents.suggestion));
    sheet.setKarma(std::move(contents.karma));
    sheet.setPosition(std::move(contents.position));
    sheet.setMainClass(std::move(contents.mainClass));
    sheet.setSubClass(std::move(contents.subClass));
    sheet.setArmament(contents.armament);
    sheet.setMutation(contents.mutation);
    sheet.setModification(contents.modification);
    sheet.setMemories(std::move(contents.memories));
    sheet.setSkills(std::move(contents.skills));
    sheet.setRegrets(std::move(contents.regrets));
    sheet.setMaxActionBonus(contents.maxActionBonus);
    sheet.setInitialPlacement(contents.initialPlacement);
    for (std::size_t at = 0; at < bodyLocations.size(); ++at)
        sheet.setParts(bodyLocations[at], std::move(contents.*partLists[at]));
    return true;
}

} // namespace

std::optional<SheetContents> readSheetContents(std::FILE* opened, std::size_t byteLimit) {
    std::optional<SheetLines> lines = readSheetLines(LineReader(opened, byteLimit), true);
    if (!lines)
        return std::nullopt;
    return contentsOf(std::move(*lines)).contents;
}

std::optional<SheetContents> sheetContentsOf(std::string_view bytes) {
    std::optional<SheetLines> lines = readSheetLines(LineReader(bytes));
    if (!lines)
        return std::nullopt;
    return contentsOf(std::move(*lines)).contents;
}

bool CharacterSheet::loadSheet(std::string path) {
    return loadSheetLines(*this, readSheetLines(LineReader(openForReading(path))), path);
}

bool CharacterSheet::loadSheetText(std::string_view bytes, const std::string& path) {
    return loadSheetLines(*this, readSheetLines(LineReader(bytes)), path);
}

#ifdef _WIN32
bool CharacterSheet::loadSheetCopy(const std::wstring& copyPath, const std::string& sheetPath) {
    return loadSheetLines(*this, readSheetLines(LineReader(openForReading(copyPath))), sheetPath);
}
#endif
