#include "export/SheetLines.h"

#include "sheet/CodePage932.h"

#include <algorithm>
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

bool isEscaped(char c, const AsciiEscapes& escapes) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < escapes.size() && escapes[byte] != nullptr;
}

template <class Entry> void appendChatLines(std::string& text, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        appendChatLine(text, entry);
        text += '\n';
    }
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

void escapeAsciiFrom(std::string& utf8, std::size_t start, const AsciiEscapes& escapes) {
    const auto first = std::find_if(utf8.begin() + static_cast<std::ptrdiff_t>(start), utf8.end(),
                                    [&escapes](char c) { return isEscaped(c, escapes); });
    if (first == utf8.end())
        return;
    const std::string converted(first, utf8.end());
    utf8.erase(first, utf8.end());
    for (const char c : converted)
        if (isEscaped(c, escapes))
            utf8 += escapes[static_cast<unsigned char>(c)];
        else
            utf8 += c;
}

void appendEscapedUtf8(std::string& utf8, std::string_view codePage932, const AsciiEscapes& escapes) {
    const std::size_t start = utf8.size();
    appendAsUtf8(utf8, codePage932);
    escapeAsciiFrom(utf8, start, escapes);
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
    for (const PartEntry& entry : parts) {
        text.append(entry.checkMark != 0 ? "■" : "□");
        appendChatLine(text, entry);
        text += '\n';
    }
}

std::string chatPalette(const CharacterSheet& sheet) {
    std::string lines;
    appendGroup(lines, "スキル", sheet.getSkills());
    for (const LocationLabels& labels : locationLabels)
        appendGroup(lines, labels.name, sheet.getParts(labels.location));
    return lines;
}
