// The undo history's memory after a thousand single-row deletes from a list
// of 3,000 parts, against the list itself: the floor is the same list held
// by the history as one step from an empty list, counted the same way.

#include "sheet/CharacterSheet.h"
#include "sheet/SheetHistory.h"

#include "Figures.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int listLength = 3000;
constexpr int deletes = 1000;

std::vector<PartEntry> longList() {
    std::vector<PartEntry> parts;
    for (int i = 0; i < listLength; ++i)
        parts.push_back({i % 2, "パーツ" + std::to_string(i), "アクション", "2", "0",
                         "肉弾攻撃1、この攻撃の命中判定に+1 (" + std::to_string(i) + ")"});
    return parts;
}

double mib(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

int main() {
    SheetHistory floor;
    floor.record({SheetMember::headParts, std::vector<PartEntry>(), longList()});

    CharacterSheet sheet;
    sheet.setHeadParts(longList());
    SheetHistory history;
    sheet.listenToChanges([&](const MemberChange& change) { history.record(change); });
    for (int i = 0; i < deletes; ++i) {
        std::vector<PartEntry> parts = sheet.getHeadParts();
        parts.erase(parts.begin() + (i * 7) % static_cast<int>(parts.size()));
        sheet.setHeadParts(std::move(parts));
    }
    std::printf("history after %d single-row deletes from %d parts: %zu steps\n", deletes, listLength,
                history.stepCount());
    // Counted, not timed: one run tells it.
    printLimitFigure("the undo history after 1000 single-row deletes from 3000 parts",
                     {mib(history.valueBytes())}, mib(SheetHistory::defaultByteLimit), "MiB");
    std::printf("the list itself (floor): %.2f MiB; history / list: %.2f x\n", mib(floor.valueBytes()),
                static_cast<double>(history.valueBytes()) / static_cast<double>(floor.valueBytes()));
    // What steps of whole lists before and after would hold.
    std::printf("two whole lists a step would hold: %.0f MiB\n", 2.0 * deletes * mib(floor.valueBytes()));
    return 0;
}
