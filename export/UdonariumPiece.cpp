#include "export/UdonariumPiece.h"

#include "export/SheetLines.h"
#include "sheet/CodePage932.h"

#include <pugixml.hpp>

#include <algorithm>

namespace {

using pugi::xml_node;

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Removed after the conversion, where no byte of a longer character is
// below 0x80: removed before it, a control byte between a lead byte and
// the next could make them one character that was never there.
std::string xmlText(std::string_view codePage932, bool keepLineFeeds = false) {
    std::string utf8 = codePage932ToUtf8(codePage932);
    std::erase_if(utf8, [keepLineFeeds](char c) { return isControl(c) && !(keepLineFeeds && c == '\n'); });
    return utf8;
}

// The rows the chat text writes for a list, each ended by a line feed.
std::string rowsOf(void (*appendRows)(std::string&, const CharacterSheet&), const CharacterSheet& sheet) {
    std::string rows;
    appendRows(rows, sheet);
    return rows;
}

xml_node dataNamed(xml_node parent, std::string_view name) {
    xml_node data = parent.append_child("data");
    data.append_attribute("name").set_value(codePage932ToUtf8(name).c_str());
    return data;
}

// A leaf holds its value alone: the document is written without
// indentation inside a leaf, so no blank comes around it.
void leaf(xml_node parent, std::string_view name, const std::string& utf8Value) {
    dataNamed(parent, name).text().set(utf8Value.c_str());
}

xml_node typedLeaf(xml_node parent, const char* type, std::string_view name, const std::string& utf8Value) {
    xml_node data = parent.append_child("data");
    data.append_attribute("type").set_value(type);
    data.append_attribute("name").set_value(xmlText(name).c_str());
    data.text().set(utf8Value.c_str());
    return data;
}

void numberResource(xml_node section, std::string_view name, std::int64_t current, std::int64_t max) {
    typedLeaf(section, "numberResource", name, std::to_string(max))
        .append_attribute("currentValue")
        .set_value(std::to_string(current).c_str());
}

// A section holding one multi-line text, the rows of a list; the line feeds
// between the rows are the note's own.
void note(xml_node detail, std::string_view name, std::string rows) {
    if (!rows.empty())
        rows.pop_back();
    typedLeaf(dataNamed(detail, name), "note", name, xmlText(rows, true));
}

// The action value, then a madness track for each regret that has a target,
// as the CCFOLIA piece's status has them.
void resources(xml_node detail, const CharacterSheet& sheet) {
    xml_node section = dataNamed(detail, "リソース");
    const std::int64_t maxAction = maxActionOf(sheet);
    numberResource(section, "行動値", maxAction, maxAction);
    for (const Regret& row : sheet.getRegrets())
        if (!row.target.empty())
            numberResource(section, row.target, row.madnessPoints, 4);
}

void information(xml_node detail, const CharacterSheet& sheet) {
    xml_node section = dataNamed(detail, "情報");
    leaf(section, "プレイヤー名", xmlText(sheet.getPlayerName()));
    leaf(section, "享年", xmlText(sheet.getAgeAtDeath()));
    leaf(section, "暗示", xmlText(sheet.getSuggestion()));
    leaf(section, "ポジション", xmlText(sheet.getPosition()));
    leaf(section, "メインクラス", xmlText(sheet.getMainClass()));
    leaf(section, "サブクラス", xmlText(sheet.getSubClass()));
    leaf(section, "初期配置", xmlText(placementName(sheet.getInitialPlacement())));
    leaf(section, "寵愛点", std::to_string(sheet.getFavorPoints()));
    leaf(section, "武装", std::to_string(sheet.getArmament()));
    leaf(section, "変異", std::to_string(sheet.getMutation()));
    leaf(section, "改造", std::to_string(sheet.getModification()));
}

void notes(xml_node detail, const CharacterSheet& sheet) {
    note(detail, "カルマ", rowsOf(appendKarmaLines, sheet));
    note(detail, "記憶のカケラ", rowsOf(appendMemoryLines, sheet));
    note(detail, "未練", rowsOf(appendRegretLines, sheet));
    note(detail, "スキル", rowsOf(appendSkillLines, sheet));
    for (const LocationLabels& labels : locationLabels) {
        std::string rows;
        appendPartLines(rows, sheet.getParts(labels.location));
        note(detail, labels.name, std::move(rows));
    }
}

void characterData(xml_node character, const CharacterSheet& sheet, std::string_view imageIdentifier) {
    xml_node data = dataNamed(character, "character");
    xml_node image = dataNamed(data, "image").append_child("data");
    image.append_attribute("type").set_value("image");
    image.append_attribute("name").set_value("imageIdentifier");
    image.text().set(std::string(imageIdentifier).c_str());
    xml_node common = dataNamed(data, "common");
    leaf(common, "name", xmlText(sheet.getDollName()));
    leaf(common, "size", "1");
    xml_node detail = dataNamed(data, "detail");
    resources(detail, sheet);
    information(detail, sheet);
    notes(detail, sheet);
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

} // namespace

std::string udonariumCharacter(const CharacterSheet& sheet, std::string_view imageIdentifier) {
    pugi::xml_document document;
    xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    xml_node character = document.append_child("character");
    for (const auto& [name, value] : {std::pair{"location.name", "table"},
                                      {"location.x", "0"},
                                      {"location.y", "0"},
                                      {"posZ", "0"},
                                      {"rotate", "0"},
                                      {"roll", "0"}})
        character.append_attribute(name).set_value(value);
    characterData(character, sheet, imageIdentifier);
    xml_node palette = character.append_child("chat-palette");
    palette.append_attribute("dicebot").set_value("");
    palette.text().set(xmlText(chatPalette(sheet), true).c_str());
    StringWriter writer;
    document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    return writer.text;
}
