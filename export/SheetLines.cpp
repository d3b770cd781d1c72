#include "export/SheetLines.h"

#include <array>

std::string labelled(std::string_view label, std::string_view value) {
    std::string line(label);
    if (!value.empty())
        line.append(" ").append(value);
    return line;
}

namespace {

// The placements in the order of the form's boxes, as `initialPlacement`
// numbers them.
constexpr std::array<std::string_view, 3> placementNames = {"煉獄", "花園", "楽園"};

template <class Entry> void appendChatLines(std::string& text, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries)
        appendLine(text, chatLine(entry));
}

// A group of the palette under its heading; an empty list has none.
template <class Entry>
void appendGroup(std::string& lines, std::string_view heading, const std::vector<Entry>& entries) {
    if (entries.empty())
        return;
    appendLine(lines, heading);
    appendChatLines(lines, entries);
}

} // namespace

void appendLine(std::string& text, std::string_view line) {
    text.append(line).append("\n");
}

std::string_view placementName(std::int32_t initialPlacement) {
    const bool chosen =
        initialPlacement >= 0 && static_cast<std::size_t>(initialPlacement) < placementNames.size();
    return chosen ? placementNames[static_cast<std::size_t>(initialPlacement)] : std::string_view();
}

void appendKarmaLines(std::string& text, const CharacterSheet& sheet) {
    for (const std::string& line : sheet.getKarma())
        if (!line.empty())
            appendLine(text, "・" + line);
}

void appendMemoryLines(std::string& text, const CharacterSheet& sheet) {
    for (const MemoryFragment& row : sheet.getMemories())
        if (row != MemoryFragment{})
            appendLine(text, row.title + "(" + std::to_string(row.number) + ")：" + row.content);
}

void appendRegretLines(std::string& text, const CharacterSheet& sheet) {
    for (const Regret& row : sheet.getRegrets())
        if (row != Regret{})
            appendLine(text, row.target + "への" + row.content + " 発狂" + std::to_string(row.madnessPoints) +
                                 "/4 " + row.madnessEffect);
}

void appendSkillLines(std::string& text, const CharacterSheet& sheet) {
    appendChatLines(text, sheet.getSkills());
}

void appendPartLines(std::string& text, const std::vector<PartEntry>& parts) {
    for (const PartEntry& entry : parts)
        appendLine(text, (entry.checkMark != 0 ? "■" : "□") + chatLine(entry));
}

std::string chatPalette(const CharacterSheet& sheet) {
    std::string lines;
    appendGroup(lines, "スキル", sheet.getSkills());
    for (const LocationLabels& labels : locationLabels)
        appendGroup(lines, labels.name, sheet.getParts(labels.location));
    return lines;
}
