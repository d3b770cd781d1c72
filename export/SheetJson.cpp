#include "export/SheetLines.h"
#include "export/SheetOutputs.h"

#include <array>
#include <iterator>

namespace {

// JSON's escapes for the ASCII bytes a string may not hold as they are.
constexpr AsciiEscapes jsonEscapes = [] {
    constexpr const char* controls[] = {
        "\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005", "\\u0006", "\\u0007",
        "\\b",     "\\t",     "\\n",     "\\u000B", "\\f",     "\\r",     "\\u000E", "\\u000F",
        "\\u0010", "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017",
        "\\u0018", "\\u0019", "\\u001A", "\\u001B", "\\u001C", "\\u001D", "\\u001E", "\\u001F"};
    AsciiEscapes escapes{};
    for (std::size_t byte = 0; byte < std::size(controls); ++byte)
        escapes[byte] = controls[byte];
    escapes['"'] = "\\\"";
    escapes['\\'] = "\\\\";
    return escapes;
}();

// The record written as it is walked, member by member, straight into the
// text that is returned: a tree of its thousands of entries built first,
// each value its own allocation, cost five times the reading of the sheet,
// and a library's writer, escaping a byte at a time into a buffer of its
// own that was copied out after, half as much again.
class JsonWriter {
public:
    explicit JsonWriter(std::size_t expectedBytes) { bytes.reserve(expectedBytes); }

    void startObject() { open('{'); }
    void endObject() { bytes += '}'; }
    void startArray() { open('['); }
    void endArray() { bytes += ']'; }

    // The record's keys are plain ASCII.
    void key(std::string_view name) {
        separate();
        bytes.append("\"").append(name).append("\":");
    }

    void text(std::string_view codePage932) {
        separate();
        bytes += '"';
        appendEscapedUtf8(bytes, codePage932, jsonEscapes);
        bytes += '"';
    }

    void number(std::int64_t value) {
        separate();
        bytes += std::to_string(value);
    }

    void boolean(bool value) {
        separate();
        bytes += value ? "true" : "false";
    }

    std::string bytes;

private:
    // A comma before every value of an object or an array but its first;
    // a key's value follows its colon.
    void separate() {
        if (!bytes.empty() && bytes.back() != '{' && bytes.back() != '[' && bytes.back() != ':')
            bytes += ',';
    }

    void open(char bracket) {
        separate();
        bytes += bracket;
    }
};

// The sheet file's format number: the record as this program saves it.
constexpr int sheetFormat = 1002;

void textMember(JsonWriter& json, std::string_view key, const std::string& codePage932) {
    json.key(key);
    json.text(codePage932);
}

void numberMember(JsonWriter& json, std::string_view key, std::int64_t number) {
    json.key(key);
    json.number(number);
}

template <class Row, class Write>
void listMember(JsonWriter& json, std::string_view key, const std::vector<Row>& rows, Write write) {
    json.key(key);
    json.startArray();
    for (const Row& row : rows)
        write(json, row);
    json.endArray();
}

// A list of objects, each row's members written by `writeMembers`.
template <class Row, class WriteMembers>
void objectsMember(JsonWriter& json, std::string_view key, const std::vector<Row>& rows,
                   WriteMembers writeMembers) {
    listMember(json, key, rows, [writeMembers](JsonWriter& writer, const Row& row) {
        writer.startObject();
        writeMembers(writer, row);
        writer.endObject();
    });
}

void memoryMembers(JsonWriter& json, const MemoryFragment& row) {
    textMember(json, "title", row.title);
    numberMember(json, "number", row.number);
    textMember(json, "content", row.content);
}

template <class Entry> void entryTexts(JsonWriter& json, const Entry& entry) {
    textMember(json, "name", entry.name);
    textMember(json, "timing", entry.timing);
    textMember(json, "cost", entry.cost);
    textMember(json, "range", entry.range);
    textMember(json, "effect", entry.effect);
}

void regretMembers(JsonWriter& json, const Regret& row) {
    textMember(json, "target", row.target);
    textMember(json, "content", row.content);
    numberMember(json, "madnessPoints", row.madnessPoints);
    textMember(json, "madnessEffect", row.madnessEffect);
}

// A part's box is ticked or not; the file's 0 and 1 are its own business.
void partMembers(JsonWriter& json, const PartEntry& entry) {
    json.key("checkMark");
    json.boolean(entry.checkMark != 0);
    entryTexts(json, entry);
}

// The lists that make nearly all of the record, taken from the sheet once.
struct LongLists {
    std::vector<SkillEntry> skills;
    std::array<std::vector<PartEntry>, std::size(locationLabels)> parts; // in the order of locationLabels
};

LongLists longListsOf(const CharacterSheet& sheet) {
    LongLists lists{sheet.getSkills(), {}};
    for (std::size_t at = 0; at < lists.parts.size(); ++at)
        lists.parts[at] = sheet.getParts(locationLabels[at].location);
    return lists;
}

template <class Entry> std::size_t textBytes(const Entry& entry) {
    return entry.name.size() + entry.timing.size() + entry.cost.size() + entry.range.size() +
           entry.effect.size();
}

// Each entry's texts, half as much again in UTF-8 as code page 932's two
// bytes a character, with its members' names around them:
// {"checkMark":false,"name":"","timing":"","cost":"","range":"","effect":""},
template <class Entry> std::size_t expectedBytes(const std::vector<Entry>& entries) {
    constexpr std::size_t memberNames = 80;
    std::size_t bytes = 0;
    for (const Entry& entry : entries)
        bytes += textBytes(entry) * 3 / 2 + memberNames;
    return bytes;
}

// Room for the whole record at once, rather than each time it outgrows its
// buffer: the rest of the record is small beside the long lists.
std::size_t expectedBytes(const LongLists& lists) {
    std::size_t bytes = expectedBytes(lists.skills) + 4096;
    for (const std::vector<PartEntry>& parts : lists.parts)
        bytes += expectedBytes(parts);
    return bytes;
}

void partsMember(JsonWriter& json, const LongLists& lists) {
    json.key("parts");
    json.startObject();
    for (std::size_t at = 0; at < lists.parts.size(); ++at)
        objectsMember(json, locationLabels[at].key, lists.parts[at], partMembers);
    json.endObject();
}

} // namespace

std::string sheetJson(const CharacterSheet& sheet) {
    const LongLists lists = longListsOf(sheet);
    JsonWriter json(expectedBytes(lists));
    json.startObject();
    numberMember(json, "format", sheetFormat);
    textMember(json, "portraitPath", sheet.getPortraitPath());
    textMember(json, "dollName", sheet.getDollName());
    textMember(json, "playerName", sheet.getPlayerName());
    numberMember(json, "favorPoints", sheet.getFavorPoints());
    textMember(json, "ageAtDeath", sheet.getAgeAtDeath());
    textMember(json, "suggestion", sheet.getSuggestion());
    listMember(json, "karma", sheet.getKarma(),
               [](JsonWriter& writer, const std::string& line) { writer.text(line); });
    textMember(json, "position", sheet.getPosition());
    textMember(json, "mainClass", sheet.getMainClass());
    textMember(json, "subClass", sheet.getSubClass());
    numberMember(json, "armament", sheet.getArmament());
    numberMember(json, "mutation", sheet.getMutation());
    numberMember(json, "modification", sheet.getModification());
    objectsMember(json, "memories", sheet.getMemories(), memoryMembers);
    objectsMember(json, "skills", lists.skills, entryTexts<SkillEntry>);
    objectsMember(json, "regrets", sheet.getRegrets(), regretMembers);
    numberMember(json, "maxActionBonus", sheet.getMaxActionBonus());
    numberMember(json, "maxAction", maxActionOf(sheet));
    numberMember(json, "initialPlacement", sheet.getInitialPlacement());
    partsMember(json, lists);
    json.endObject();
    return std::move(json.bytes);
}
