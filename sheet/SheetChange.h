#pragma once

// One change of the record as its setters report it: which member, with its
// value before and after. Undoing it is the same setter called with
// "before"; nothing walks the whole sheet.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

struct MemoryFragment;
struct Regret;
struct SkillEntry;
struct PartEntry;

// The members of the sheet, in the order of its file.
enum class SheetMember {
    portraitPath,
    dollName,
    playerName,
    favorPoints,
    ageAtDeath,
    suggestion,
    karma,
    position,
    mainClass,
    subClass,
    armament,
    mutation,
    modification,
    memories,
    skills,
    regrets,
    maxActionBonus,
    initialPlacement,
    headParts,
    armParts,
    torsoParts,
    legParts,
};

using MemberValue =
    std::variant<std::string, std::int32_t, std::vector<std::string>, std::vector<MemoryFragment>,
                 std::vector<SkillEntry>, std::vector<Regret>, std::vector<PartEntry>>;

struct MemberChange {
    SheetMember member;
    MemberValue before;
    MemberValue after;
};
