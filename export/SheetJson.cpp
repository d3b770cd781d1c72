#include "export/SheetLines.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

namespace {

using nlohmann::ordered_json;

// The sheet file's format number: the record as this program saves it.
constexpr int sheetFormat = 1002;

std::string utf8(const std::string& text) {
    return codePage932ToUtf8(text);
}

template <class Row, class Convert> ordered_json listOf(const std::vector<Row>& rows, Convert convert) {
    ordered_json list = ordered_json::array();
    for (const Row& row : rows)
        list.push_back(convert(row));
    return list;
}

ordered_json memoryJson(const MemoryFragment& row) {
    return {{"title", utf8(row.title)}, {"number", row.number}, {"content", utf8(row.content)}};
}

// Entries are built member by member into an object with room for them all:
// for the thousands a long list may hold, that is twice as quick as the
// library's initializer lists, which build a small array for every member
// and grow the object one member at a time.
ordered_json objectWithRoom(std::size_t members) {
    ordered_json object = ordered_json::object();
    object.get_ref<ordered_json::object_t&>().reserve(members);
    return object;
}

template <class Entry> void putEntryTexts(ordered_json& object, const Entry& entry) {
    object["name"] = utf8(entry.name);
    object["timing"] = utf8(entry.timing);
    object["cost"] = utf8(entry.cost);
    object["range"] = utf8(entry.range);
    object["effect"] = utf8(entry.effect);
}

ordered_json skillJson(const SkillEntry& entry) {
    ordered_json skill = objectWithRoom(5);
    putEntryTexts(skill, entry);
    return skill;
}

ordered_json regretJson(const Regret& row) {
    return {{"target", utf8(row.target)},
            {"content", utf8(row.content)},
            {"madnessPoints", row.madnessPoints},
            {"madnessEffect", utf8(row.madnessEffect)}};
}

// A part's box is ticked or not; the file's 0 and 1 are its own business.
ordered_json partJson(const PartEntry& entry) {
    ordered_json part = objectWithRoom(6);
    part["checkMark"] = entry.checkMark != 0;
    putEntryTexts(part, entry);
    return part;
}

ordered_json partsJson(const CharacterSheet& sheet) {
    ordered_json parts = ordered_json::object();
    for (const LocationLabels& labels : locationLabels)
        parts[labels.key] = listOf(sheet.getParts(labels.location), partJson);
    return parts;
}

} // namespace

nlohmann::ordered_json sheetJson(const CharacterSheet& sheet) {
    return {{"format", sheetFormat},
            {"portraitPath", utf8(sheet.getPortraitPath())},
            {"dollName", utf8(sheet.getDollName())},
            {"playerName", utf8(sheet.getPlayerName())},
            {"favorPoints", sheet.getFavorPoints()},
            {"ageAtDeath", utf8(sheet.getAgeAtDeath())},
            {"suggestion", utf8(sheet.getSuggestion())},
            {"karma", listOf(sheet.getKarma(), utf8)},
            {"position", utf8(sheet.getPosition())},
            {"mainClass", utf8(sheet.getMainClass())},
            {"subClass", utf8(sheet.getSubClass())},
            {"armament", sheet.getArmament()},
            {"mutation", sheet.getMutation()},
            {"modification", sheet.getModification()},
            {"memories", listOf(sheet.getMemories(), memoryJson)},
            {"skills", listOf(sheet.getSkills(), skillJson)},
            {"regrets", listOf(sheet.getRegrets(), regretJson)},
            {"maxActionBonus", sheet.getMaxActionBonus()},
            {"maxAction", maxActionOf(sheet)},
            {"initialPlacement", sheet.getInitialPlacement()},
            {"parts", partsJson(sheet)}};
}
