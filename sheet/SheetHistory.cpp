#include "sheet/SheetHistory.h"

#include "sheet/CharacterSheet.h"

bool SheetHistory::joinsLastStep(const MemberChange& change) const {
    return runOpen && typingBox != 0 && position == steps.size() && position > 0 &&
           steps.back().box == typingBox && steps.back().changes.back().member == change.member;
}

void SheetHistory::dropOldestStep() {
    steps.pop_front();
    --position;
    if (savedAt)
        savedAt = *savedAt == 0 ? std::nullopt : std::optional<std::size_t>(*savedAt - 1);
}

void SheetHistory::beginStep(std::string name) {
    if (openSteps++ == 0) {
        openName = std::move(name);
        stepBegun = false;
        runOpen = false;
    }
}

void SheetHistory::endStep() {
    if (openSteps > 0)
        --openSteps;
}

void SheetHistory::record(const MemberChange& change) {
    if (openSteps > 0 && stepBegun) {
        steps.back().changes.push_back(change);
        return;
    }
    if (joinsLastStep(change)) {
        steps.back().changes.back().after = change.after;
        return;
    }
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(position), steps.end());
    // The saved state was among the steps just dropped: it cannot come back.
    if (savedAt && *savedAt > position)
        savedAt.reset();
    steps.push_back({{change}, typingBox, openSteps > 0 ? openName : std::string()});
    ++position;
    stepBegun = openSteps > 0;
    runOpen = typingBox != 0 && !stepBegun;
    if (steps.size() > limit)
        dropOldestStep();
}

std::vector<MemberChange> SheetHistory::undo() {
    runOpen = false;
    if (!canUndo())
        return {};
    const std::vector<MemberChange>& changes = steps[--position].changes;
    return {changes.rbegin(), changes.rend()};
}

std::vector<MemberChange> SheetHistory::redo() {
    runOpen = false;
    if (!canRedo())
        return {};
    return steps[position++].changes;
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
