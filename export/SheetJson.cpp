#include "export/SheetLines.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace {

// The record is written as it is walked, member by member: a tree of its
// thousands of entries built first, each value its own allocation, cost
// five times the reading of the sheet. Its texts go from code page 932
// through one buffer, so that thousands of them need no string each.
class JsonWriter : public rapidjson::Writer<rapidjson::StringBuffer> {
public:
    explicit JsonWriter(rapidjson::StringBuffer& out) : Writer(out) {}

    void text(const std::string& codePage932) {
        utf8.clear();
        appendAsUtf8(utf8, codePage932);
        String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
    }

private:
    std::string utf8;
};

// The sheet file's format number: the record as this program saves it.
constexpr int sheetFormat = 1002;

void textMember(JsonWriter& json, const char* key, const std::string& codePage932) {
    json.Key(key);
    json.text(codePage932);
}

void numberMember(JsonWriter& json, const char* key, std::int64_t number) {
    json.Key(key);
    json.Int64(number);
}

template <class Row, class Write>
void listMember(JsonWriter& json, const char* key, const std::vector<Row>& rows, Write write) {
    json.Key(key);
    json.StartArray();
    for (const Row& row : rows)
        write(json, row);
    json.EndArray();
}

// A list of objects, each row's members written by `writeMembers`.
template <class Row, class WriteMembers>
void objectsMember(JsonWriter& json, const char* key, const std::vector<Row>& rows,
                   WriteMembers writeMembers) {
    listMember(json, key, rows, [writeMembers](JsonWriter& writer, const Row& row) {
        writer.StartObject();
        writeMembers(writer, row);
        writer.EndObject();
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
    json.Key("checkMark");
    json.Bool(entry.checkMark != 0);
    entryTexts(json, entry);
}

void partsMember(JsonWriter& json, const CharacterSheet& sheet) {
    json.Key("parts");
    json.StartObject();
    for (const LocationLabels& labels : locationLabels)
        objectsMember(json, labels.key, sheet.getParts(labels.location), partMembers);
    json.EndObject();
}

} // namespace

std::string sheetJson(const CharacterSheet& sheet) {
    rapidjson::StringBuffer record;
    JsonWriter json(record);
    json.StartObject();
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
    objectsMember(json, "skills", sheet.getSkills(), entryTexts<SkillEntry>);
    objectsMember(json, "regrets", sheet.getRegrets(), regretMembers);
    numberMember(json, "maxActionBonus", sheet.getMaxActionBonus());
    numberMember(json, "maxAction", maxActionOf(sheet));
    numberMember(json, "initialPlacement", sheet.getInitialPlacement());
    partsMember(json, sheet);
    json.EndObject();
    return std::string(record.GetString(), record.GetSize());
}
