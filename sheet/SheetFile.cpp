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

std::optional<SheetLines> readSheetLines(LineReader reader) {
    if (!reader.isOpen())
        return std::nullopt;
    reader.skip(utf8ByteOrderMark); // Notepad may put it before the first line
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < linesWithPortrait && reader.readLine(line))
        lines.push_back(line);
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

// A sheet's portrait may lie beside the sheet at `path`.
bool loadSheetLines(CharacterSheet& sheet, std::optional<SheetLines> lines, const std::string& path) {
    if (!lines)
        return false;
    // Files of format 1000 and older have no portrait line; their doll name
    // is on line 2 and the current portrait stays.
    if (parseNumber(lines->next()) >= firstFormatWithPortrait)
        sheet.setPortrait(lines->next(), PortraitOrigin::sheetFile, path);
    sheet.setDollName(lines->next());
    sheet.setPlayerName(lines->next());
    sheet.setFavorPoints(parseNumber(lines->next()));
    sheet.setAgeAtDeath(lines->next());
    sheet.setSuggestion(lines->next());
    sheet.setKarma(readKarma(lines->next()));
    sheet.setPosition(lines->next());
    sheet.setMainClass(lines->next());
    sheet.setSubClass(lines->next());
    const std::vector<std::string> values = splitFields(lines->next(), ",");
    sheet.setArmament(numberField(values, 0));
    sheet.setMutation(numberField(values, 1));
    sheet.setModification(numberField(values, 2));
    sheet.setMemories(readMemories(lines->next()));
    sheet.setSkills(readSkills(lines->next()));
    sheet.setRegrets(readRegrets(lines->next()));
    sheet.setMaxActionBonus(parseNumber(lines->next()));
    sheet.setInitialPlacement(parseNumber(lines->next()));
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, readParts(lines->next()));
    return true;
}

} // namespace

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
