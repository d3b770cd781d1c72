#pragma once

// The steps of changes that can be undone and done again, and where the
// sheet last matched its file. A step is the changes of one or more
// members, each before and after; the typing in one box is one step until
// the run of it ends.

#include "sheet/CharacterSheet.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class SheetHistory {
public:
    static constexpr std::size_t defaultLimit = 1000;
    explicit SheetHistory(std::size_t limit = defaultLimit) : limit(limit) {}

    // Changes reported from here on come from typing into `box` (0: from
    // anything else). Consecutive changes typed into the same box join one
    // step until the run ends.
    void typeInto(int box) { typingBox = box; }
    // The focus left the box, or anything else came between.
    void endTypingRun() { runOpen = false; }

    // Changes reported until the matching endStep join one step named `name`,
    // whichever members they change; nested calls join the outermost.
    void beginStep(std::string name);
    void endStep();

    // A change the user made: the steps that could have been done again go.
    void record(const MemberChange& change);

    bool canUndo() const { return position > 0; }
    bool canRedo() const { return position < steps.size(); }
    // The changes of the step to put back, last first, each "before" to be
    // set; none when there is no step.
    std::vector<MemberChange> undo();
    // The changes of the step to do again, in their order, each "after" to
    // be set.
    std::vector<MemberChange> redo();
    // The name of the step that undo would put back; empty for a step not
    // named, or none.
    std::string undoName() const { return canUndo() ? steps[position - 1].name : std::string(); }

    // The sheet matches its file here (saved, opened, new).
    void markSaved();
    bool isAtSaved() const { return savedAt && *savedAt == position; }
    // No state of the history matches the file: a sheet recovered from a
    // copy holds edits that no undo takes back to it.
    void forgetSavedPoint() { savedAt.reset(); }
    // A new history, matching its file: after an open or a new sheet.
    void clear();

    std::size_t stepCount() const { return steps.size(); }

private:
    struct Step {
        std::vector<MemberChange> changes;
        int box;
        std::string name;
    };

    bool joinsLastStep(const MemberChange& change) const;
    void dropOldestStep();

    std::size_t limit;
    std::deque<Step> steps;
    std::size_t position = 0; // steps before it are done
    std::optional<std::size_t> savedAt = 0;
    int typingBox = 0;
    bool runOpen = false;
    int openSteps = 0;      // beginStep calls not yet ended
    bool stepBegun = false; // the open step has its first change
    std::string openName;
};
