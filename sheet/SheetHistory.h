#pragma once

// The steps of changes that can be undone and done again, and where the
// sheet last matched its file. A step is what the user did once: typing in
// one box until the run of it ends, a tick, a list command, a drag between
// two lists. It holds the changes of one or more members, and a name that
// says what changed and where ("頭のパーツの移動").

#include "sheet/CharacterSheet.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The sheet form's word for a member: "ドール名", "頭のパーツ", "肖像".
std::string memberWord(SheetMember member);

// A step as it is undone or done again: every change whole, before and
// after.
struct HistoryStep {
    std::string name;
    std::vector<MemberChange> changes;
};

// A member's value as the record holds it now. A list step keeps only the
// rows it changed and takes the others from here.
using MemberNow = std::function<MemberValue(SheetMember)>;

class SheetHistory {
public:
    static constexpr std::size_t defaultLimit = 1000;
    static constexpr std::size_t defaultByteLimit = std::size_t{32} << 20;
    explicit SheetHistory(std::size_t limit = defaultLimit, std::size_t byteLimit = defaultByteLimit)
        : limit(limit), byteLimit(byteLimit) {}

    // Changes reported from here on come from typing into `box` (0: from
    // anything else). Consecutive changes typed into the same box join one
    // step, named "<member>の入力", until the run ends.
    void typeInto(int box) { typingBox = box; }
    // The focus left the box, or anything else came between.
    void endTypingRun() { runOpen = false; }

    // Changes reported until the matching endStep join one step named
    // `name`, whichever members they change; nested calls join the
    // outermost. A change outside any is a step of its own, named
    // "<member>の変更".
    void beginStep(std::string name);
    void endStep();

    // A change the user made: the steps that could have been done again go.
    void record(const MemberChange& change);

    bool canUndo() const { return position > 0; }
    bool canRedo() const { return position < steps.size(); }
    // What undo and redo would take back or do again; empty when nothing.
    std::string undoName() const;
    std::string redoName() const;
    // The step to put back, each change's "before" to be set; none when
    // there is none.
    std::optional<HistoryStep> undo(const MemberNow& now);
    // The step to do again, each change's "after" to be set.
    std::optional<HistoryStep> redo(const MemberNow& now);

    // The sheet matches its file here (saved, opened, new).
    void markSaved();
    bool isAtSaved() const { return savedAt && *savedAt == position; }
    // No state of the history matches the file: a sheet recovered from a
    // copy holds edits that no undo takes back to it.
    void forgetSavedPoint() { savedAt.reset(); }
    // A new history, matching its file: after an open or a new sheet.
    void clear();

    std::size_t stepCount() const { return steps.size(); }
    // The bytes of the values the steps hold, about.
    std::size_t valueBytes() const { return heldBytes; }

    // A member's change as a step keeps it: a list only from its first to
    // its last changed row, the rows before and after being alike in
    // "before" and "after".
    struct KeptChange {
        SheetMember member;
        std::size_t alikeFront = 0;
        std::size_t alikeBack = 0;
        MemberValue before;
        MemberValue after;
    };

private:
    struct Step {
        std::string name;
        std::vector<KeptChange> changes;
        int box = 0;
        std::size_t bytes = 0;
    };

    bool joinsTypingRun(const MemberChange& change) const;
    void addToStep(Step& step, const MemberChange& change);
    void startStep(const MemberChange& change);
    void dropOldestStep();
    void dropStepsBeyondLimits();
    void dropRedoSteps();

    std::size_t limit;
    std::size_t byteLimit;
    std::deque<Step> steps;
    std::size_t position = 0; // steps before it are done
    std::optional<std::size_t> savedAt = 0;
    std::size_t heldBytes = 0;
    int typingBox = 0;
    bool runOpen = false;
    int stepDepth = 0;
    std::string stepName;
    bool namedStepOpen = false; // the last step takes the named step's changes
};
