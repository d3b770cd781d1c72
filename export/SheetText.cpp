#include "export/SheetLines.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

namespace {

void appendLabelled(std::string& text, std::string_view label, std::string_view value) {
    appendLine(text, labelled(label, value));
}

// The left column's top, read row by row as the form's tab order goes.
void appendFigures(std::string& text, const CharacterSheet& sheet) {
    appendLabelled(text, "ドール名:", sheet.getDollName());
    appendLabelled(text, "プレイヤー名:", sheet.getPlayerName());
    appendLabelled(text, "寵愛点:", std::to_string(sheet.getFavorPoints()));
    appendLabelled(text, "享年:", sheet.getAgeAtDeath());
    appendLabelled(text, "暗示:", sheet.getSuggestion());
    appendLabelled(text, "ポジション:", sheet.getPosition());
    appendLabelled(text, "武装:", std::to_string(sheet.getArmament()));
    appendLabelled(text, "メインクラス:", sheet.getMainClass());
    appendLabelled(text, "変異:", std::to_string(sheet.getMutation()));
    appendLabelled(text, "サブクラス:", sheet.getSubClass());
    appendLabelled(text, "改造:", std::to_string(sheet.getModification()));
}

// Each list under its heading, its rows as the chat writes them.
void appendList(std::string& text, std::string_view heading,
                void (*appendRows)(std::string&, const CharacterSheet&), const CharacterSheet& sheet) {
    appendLine(text, heading);
    appendRows(text, sheet);
}

void appendActionAndPlacement(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "最大行動値: 6+" + std::to_string(sheet.getMaxActionBonus()) + "=" +
                         std::to_string(maxActionOf(sheet)));
    appendLabelled(text, "初期配置:", placementName(sheet.getInitialPlacement()));
}

void appendParts(std::string& text, const CharacterSheet& sheet) {
    for (const LocationLabels& labels : locationLabels) {
        appendLine(text, std::string(labels.listLabel) + ":");
        appendPartLines(text, sheet.getParts(labels.location));
    }
}

} // namespace

std::string sheetText(const CharacterSheet& sheet) {
    std::string text;
    appendFigures(text, sheet);
    appendList(text, "カルマ:", appendKarmaLines, sheet);
    appendList(text, "記憶のカケラ:", appendMemoryLines, sheet);
    appendList(text, "スキル:", appendSkillLines, sheet);
    appendList(text, "未練:", appendRegretLines, sheet);
    appendActionAndPlacement(text, sheet);
    appendParts(text, sheet);
    return codePage932ToUtf8(text);
}
