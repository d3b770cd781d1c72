#pragma once

// What the sheet's outputs share: the form's labels and the way an entry is
// written for a chat. Texts here are code page 932, as the record holds them.

#include "sheet/CharacterSheet.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The maximum action value the form shows; wide enough for any stored bonus.
inline std::int64_t maxActionOf(const CharacterSheet& sheet) {
    return 6 + std::int64_t{sheet.getMaxActionBonus()};
}

// A body location as the form's part list names it and as other programs
// know it.
struct LocationLabels {
    BodyLocation location;
    const char* name;      // "頭"
    const char* listLabel; // "頭/攻撃判定値 10", above the form's list
    const char* key;       // "head", in the JSON record
};

inline constexpr LocationLabels locationLabels[] = {
    {BodyLocation::head, "頭", "頭/攻撃判定値 10", "head"},
    {BodyLocation::arms, "腕", "腕/攻撃判定値 9", "arms"},
    {BodyLocation::torso, "胴", "胴/攻撃判定値 8", "torso"},
    {BodyLocation::legs, "脚", "脚/攻撃判定値 7", "legs"},
};

// The line and the line feed that ends it.
void appendLine(std::string& text, std::string_view line);

// What an output writes for each ASCII byte of a text that it does not take
// as it is: null for those it does, an empty text for one it leaves out.
using AsciiEscapes = std::array<const char*, 0x80>;

// Each ASCII byte of `utf8` from `start` on that `escapes` names written as
// it says; the text before the first such byte is left where it stands.
void escapeAsciiFrom(std::string& utf8, std::size_t start, const AsciiEscapes& escapes);

// The code page 932 text in UTF-8 at the end of `utf8`, each ASCII byte
// that `escapes` names written as it says. Only ASCII bytes stand for
// themselves in UTF-8, so the text is converted whole and escaped after,
// the rare text that needs it.
void appendEscapedUtf8(std::string& utf8, std::string_view codePage932, const AsciiEscapes& escapes);

// "暗示: 喪失"; the label alone when there is no value.
std::string labelled(std::string_view label, std::string_view value);

// 【名前】タイミング/コスト/射程：効果, put at the end of `text`: the lists
// run to thousands of rows, each better without strings of its own.
template <class Entry> void appendChatLine(std::string& text, const Entry& entry) {
    text.append("【")
        .append(entry.name)
        .append("】")
        .append(entry.timing)
        .append("/")
        .append(entry.cost)
        .append("/")
        .append(entry.range)
        .append("：")
        .append(entry.effect);
}

// The placement's name as the form's box shows it; empty for none.
std::string_view placementName(std::int32_t initialPlacement);

// The rows of each list as the chat text writes them, one a line, each
// ended by a line feed; rows the player left empty are left out.
void appendKarmaLines(std::string& text, const CharacterSheet& sheet);
void appendMemoryLines(std::string& text, const CharacterSheet& sheet);
void appendRegretLines(std::string& text, const CharacterSheet& sheet);
void appendSkillLines(std::string& text, const CharacterSheet& sheet);
// A ticked part is marked as the form's box in its name cell shows it.
void appendPartLines(std::string& text, const std::vector<PartEntry>& parts);

// The chat palette that both online tables get: plain lines a player sends
// with a click, the skills first, then the parts under their locations.
std::string chatPalette(const CharacterSheet& sheet);
