#pragma once

// What the sheet's outputs share: the form's labels and the way an entry is
// written for a chat. Texts here are code page 932, as the record holds them.

#include "sheet/CharacterSheet.h"

#include <cstdint>
#include <string>
#include <string_view>

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

// "暗示: 喪失"; the label alone when there is no value.
std::string labelled(std::string_view label, std::string_view value);

// 【名前】タイミング/コスト/射程：効果
template <class Entry> std::string chatLine(const Entry& entry) {
    return "【" + entry.name + "】" + entry.timing + "/" + entry.cost + "/" + entry.range + "：" +
           entry.effect;
}
