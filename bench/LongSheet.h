#pragma once

#include "sheet/CharacterSheet.h"

#include <string>
#include <vector>

// Fills the record with `entries` skills and `entries` parts in each
// location, every other part ticked, and saves it at `path`: the sheet the
// benchmarks of long lists open.
inline void writeLongSheet(CharacterSheet& sheet, int entries, const std::string& path) {
    std::vector<SkillEntry> skills;
    std::vector<PartEntry> parts;
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        skills.push_back({"スキル" + n, "オート", "なし", "自身", "移動" + n});
        parts.push_back({i % 2, "パーツ" + n, "アクション", "1", "0", "肉弾攻撃" + n});
    }
    sheet.setSkills(skills);
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, parts);
    sheet.saveSheet(path);
}
