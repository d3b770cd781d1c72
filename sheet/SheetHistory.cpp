#include "sheet/SheetHistory.h"

#include "sheet/CharacterSheet.h"

bool SheetHistory::joinsLastStep(const MemberChange& change) const {
    return runOpen && typingBox != 0 && position == steps.size() && position > 0 &&
           steps.back().box == typingBox && steps.back().change.member == change.member;
}

void SheetHistory::dropOldestStep() {
    steps.pop_front();
    --position;
    if (savedAt)
        savedAt = *savedAt == 0 ? std::nullopt : std::optional<std::size_t>(*savedAt - 1);
}

void SheetHistory::record(const MemberChange& change) {
    if (joinsLastStep(change)) {
        steps.back().change.after = change.after;
        return;
    }
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(position), steps.end());
    // The saved state was among the steps just dropped: it cannot come back.
    if (savedAt && *savedAt > position)
        savedAt.reset();
    steps.push_back({change, typingBox});
    ++position;
    runOpen = typingBox != 0;
    if (steps.size() > limit)
        dropOldestStep();
}

std::optional<MemberChange> SheetHistory::undo() {
    runOpen = false;
    if (!canUndo())
        return std::nullopt;
    return steps[--position].change;
}

std::optional<MemberChange> SheetHistory::redo() {
    runOpen = false;
    if (!canRedo())
        return std::nullopt;
    return steps[position++].change;
}

void SheetHistory::markSaved() {
    runOpen = false;
    savedAt = position;
}

void SheetHistory::clear() {
    steps.clear();
    position = 0;
    savedAt = 0;
    runOpen = false;
}
