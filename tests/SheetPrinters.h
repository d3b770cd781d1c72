#pragma once

#include "sheet/CharacterSheet.h"

#include <ostream>

// Readable failure messages for the record's rows.
inline void PrintTo(const MemoryFragment& row, std::ostream* out) {
    *out << "{[" << row.title << "], " << row.number << ", [" << row.content << "]}";
}
inline void PrintTo(const Regret& row, std::ostream* out) {
    *out << "{[" << row.target << "], [" << row.content << "], " << row.madnessPoints << ", ["
         << row.madnessEffect << "]}";
}
inline void PrintTo(const SkillEntry& entry, std::ostream* out) {
    *out << "{[" << entry.name << "], [" << entry.timing << "], [" << entry.cost << "], [" << entry.range
         << "], [" << entry.effect << "]}";
}
inline void PrintTo(const PartEntry& entry, std::ostream* out) {
    *out << "{" << entry.checkMark << ", [" << entry.name << "], [" << entry.timing << "], [" << entry.cost
         << "], [" << entry.range << "], [" << entry.effect << "]}";
}
