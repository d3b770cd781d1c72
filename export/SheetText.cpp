#include "export/SheetLines.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

#include <array>

namespace {

// The placements in the order of the form's boxes, as `initialPlacement`
// numbers them.
constexpr std::array<const char*, 3> placementNames = {"煉獄", "花園", "楽園"};

void appendLine(std::string& text, std::string_view line) {
    text.append(line).append("\n");
}

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

// Rows the player left empty are left out: a chat has no boxes to keep.
void appendKarma(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "カルマ:");
    for (const std::string& line : sheet.getKarma())
        if (!line.empty())
            appendLine(text, "・" + line);
}

void appendMemories(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "記憶のカケラ:");
    for (const MemoryFragment& row : sheet.getMemories())
        if (row != MemoryFragment{})
            appendLine(text, row.title + "(" + std::to_string(row.number) + ")：" + row.content);
}

void appendSkills(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "スキル:");
    for (const SkillEntry& entry : sheet.getSkills())
        appendLine(text, chatLine(entry));
}

void appendRegrets(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "未練:");
    for (const Regret& row : sheet.getRegrets())
        if (row != Regret{})
            appendLine(text, row.target + "への" + row.content + " 発狂" + std::to_string(row.madnessPoints) +
                                 "/4 " + row.madnessEffect);
}

void appendActionAndPlacement(std::string& text, const CharacterSheet& sheet) {
    appendLine(text, "最大行動値: 6+" + std::to_string(sheet.getMaxActionBonus()) + "=" +
                         std::to_string(maxActionOf(sheet)));
    const std::int32_t placement = sheet.getInitialPlacement();
    const bool chosen = placement >= 0 && static_cast<std::size_t>(placement) < placementNames.size();
    appendLabelled(text, "初期配置:", chosen ? placementNames[static_cast<std::size_t>(placement)] : "");
}

// A ticked part is marked as the form's box in its name cell shows it.
void appendParts(std::string& text, const CharacterSheet& sheet) {
    for (const LocationLabels& labels : locationLabels) {
        appendLine(text, std::string(labels.listLabel) + ":");
        for (const PartEntry& entry : sheet.getParts(labels.location))
            appendLine(text, (entry.checkMark != 0 ? "■" : "□") + chatLine(entry));
    }
}

} // namespace

std::string sheetText(const CharacterSheet& sheet) {
    std::string text;
    appendFigures(text, sheet);
    appendKarma(text, sheet);
    appendMemories(text, sheet);
    appendSkills(text, sheet);
    appendRegrets(text, sheet);
    appendActionAndPlacement(text, sheet);
    appendParts(text, sheet);
    return codePage932ToUtf8(text);
}
