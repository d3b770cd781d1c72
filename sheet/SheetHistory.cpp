#include "sheet/SheetHistory.h"

#include "sheet/CharacterSheet.h"

#include <array>
#include <type_traits>
#include <utility>

namespace {

using KeptChange = SheetHistory::KeptChange;

constexpr std::array<const char*, 22> memberWords = {
    "肖像",       "ドール名",     "プレイヤー名", "寵愛点",     "享年",       "暗示",
    "カルマ",     "ポジション",   "メインクラス", "サブクラス", "武装",       "変異",
    "改造",       "記憶のカケラ", "スキル",       "未練",       "最大行動値", "初期配置",
    "頭のパーツ", "腕のパーツ",   "胴のパーツ",   "脚のパーツ",
};

template <class T> struct IsList : std::false_type {};
template <class T> struct IsList<std::vector<T>> : std::true_type {};

std::size_t bytesOf(const std::string& text) {
    return sizeof text + text.size();
}
std::size_t bytesOf(std::int32_t) {
    return sizeof(std::int32_t);
}
std::size_t bytesOf(const MemoryFragment& memory) {
    return bytesOf(memory.title) + bytesOf(memory.content) + sizeof memory.number;
}
std::size_t bytesOf(const Regret& regret) {
    return bytesOf(regret.target) + bytesOf(regret.content) + bytesOf(regret.madnessEffect) +
           sizeof regret.madnessPoints;
}
template <class Entry> std::size_t entryBytes(const Entry& entry) {
    return bytesOf(entry.name) + bytesOf(entry.timing) + bytesOf(entry.cost) + bytesOf(entry.range) +
           bytesOf(entry.effect);
}
std::size_t bytesOf(const SkillEntry& skill) {
    return entryBytes(skill);
}
std::size_t bytesOf(const PartEntry& part) {
    return entryBytes(part) + sizeof part.checkMark;
}
template <class Row> std::size_t bytesOf(const std::vector<Row>& rows) {
    std::size_t bytes = sizeof rows;
    for (const Row& row : rows)
        bytes += bytesOf(row);
    return bytes;
}

std::size_t bytesOf(const MemberValue& value) {
    return std::visit([](const auto& held) { return bytesOf(held); }, value);
}

std::size_t bytesOf(const KeptChange& change) {
    return sizeof change + bytesOf(change.before) + bytesOf(change.after);
}

// Only the rows between the parts that "before" and "after" begin and end
// with are kept: a row deleted from a long list keeps that row alone.
template <class Row>
KeptChange keepList(SheetMember member, const std::vector<Row>& before, const std::vector<Row>& after) {
    std::size_t front = 0;
    while (front < before.size() && front < after.size() && before[front] == after[front])
        ++front;
    std::size_t back = 0;
    while (back < before.size() - front && back < after.size() - front &&
           before[before.size() - 1 - back] == after[after.size() - 1 - back])
        ++back;
    const auto middle = [&](const std::vector<Row>& rows) {
        return std::vector<Row>(rows.begin() + static_cast<std::ptrdiff_t>(front),
                                rows.end() - static_cast<std::ptrdiff_t>(back));
    };
    return {member, front, back, middle(before), middle(after)};
}

KeptChange keep(const MemberChange& change) {
    return std::visit(
        [&](const auto& before) -> KeptChange {
            using Value = std::decay_t<decltype(before)>;
            const auto* after = std::get_if<Value>(&change.after);
            if constexpr (IsList<Value>::value) {
                if (after != nullptr)
                    return keepList(change.member, before, *after);
            }
            return {change.member, 0, 0, change.before, change.after};
        },
        change.before);
}

// One side of a kept change, whole again, from the other side's whole value.
MemberValue wholeSide(const KeptChange& kept, const MemberValue& keptSide, const MemberValue& otherWhole) {
    return std::visit(
        [&](const auto& middle) -> MemberValue {
            using Value = std::decay_t<decltype(middle)>;
            if constexpr (IsList<Value>::value) {
                const auto* other = std::get_if<Value>(&otherWhole);
                if (other == nullptr || kept.alikeFront + kept.alikeBack > other->size())
                    return middle;
                Value whole(other->begin(), other->begin() + static_cast<std::ptrdiff_t>(kept.alikeFront));
                whole.insert(whole.end(), middle.begin(), middle.end());
                whole.insert(whole.end(), other->end() - static_cast<std::ptrdiff_t>(kept.alikeBack),
                             other->end());
                return whole;
            }
            return middle;
        },
        keptSide);
}

bool isList(const MemberValue& value) {
    return std::visit([](const auto& held) { return IsList<std::decay_t<decltype(held)>>::value; }, value);
}

// A text or a number is kept whole; a list is made whole from the record's
// list as it is now.
MemberChange wholeChangeFromAfter(const KeptChange& kept, const MemberValue& after) {
    if (!isList(kept.before))
        return {kept.member, kept.before, kept.after};
    return {kept.member, wholeSide(kept, kept.before, after), after};
}

MemberChange wholeChangeFromBefore(const KeptChange& kept, const MemberValue& before) {
    if (!isList(kept.before))
        return {kept.member, kept.before, kept.after};
    return {kept.member, before, wholeSide(kept, kept.after, before)};
}

std::size_t bytesOf(const std::vector<KeptChange>& changes) {
    std::size_t bytes = 0;
    for (const KeptChange& change : changes)
        bytes += bytesOf(change);
    return bytes;
}

} // namespace

std::string memberWord(SheetMember member) {
    return memberWords[static_cast<std::size_t>(member)];
}

bool SheetHistory::joinsTypingRun(const MemberChange& change) const {
    return runOpen && typingBox != 0 && position == steps.size() && position > 0 &&
           steps.back().box == typingBox && steps.back().changes.size() == 1 &&
           steps.back().changes.front().member == change.member;
}

// A member the step already changed keeps its first "before": the change
// reported now starts from the step's "after".
void SheetHistory::addToStep(Step& step, const MemberChange& change) {
    heldBytes -= step.bytes;
    bool joined = false;
    for (KeptChange& kept : step.changes) {
        if (kept.member != change.member)
            continue;
        kept = keep({change.member, wholeChangeFromAfter(kept, change.before).before, change.after});
        joined = true;
    }
    if (!joined)
        step.changes.push_back(keep(change));
    step.bytes = bytesOf(step.changes);
    heldBytes += step.bytes;
}

void SheetHistory::dropRedoSteps() {
    while (steps.size() > position) {
        heldBytes -= steps.back().bytes;
        steps.pop_back();
    }
    // The saved state was among the steps just dropped: it cannot come back.
    if (savedAt && *savedAt > position)
        savedAt.reset();
}

void SheetHistory::startStep(const MemberChange& change) {
    dropRedoSteps();
    const bool named = stepDepth > 0;
    Step step;
    step.name = named ? stepName : memberWord(change.member) + (typingBox != 0 ? "の入力" : "の変更");
    step.box = named ? 0 : typingBox;
    steps.push_back(std::move(step));
    ++position;
    addToStep(steps.back(), change);
    runOpen = !named && typingBox != 0;
    namedStepOpen = named;
}

void SheetHistory::dropOldestStep() {
    heldBytes -= steps.front().bytes;
    steps.pop_front();
    --position;
    if (savedAt)
        savedAt = *savedAt == 0 ? std::nullopt : std::optional<std::size_t>(*savedAt - 1);
    if (steps.empty())
        runOpen = namedStepOpen = false;
}

void SheetHistory::dropStepsBeyondLimits() {
    while (!steps.empty() && (steps.size() > limit || heldBytes > byteLimit))
        dropOldestStep();
}

void SheetHistory::beginStep(std::string name) {
    if (stepDepth++ > 0)
        return;
    runOpen = false;
    stepName = std::move(name);
    namedStepOpen = false;
}

void SheetHistory::endStep() {
    if (stepDepth > 0 && --stepDepth == 0)
        namedStepOpen = false;
}

void SheetHistory::record(const MemberChange& change) {
    if (namedStepOpen && position == steps.size())
        addToStep(steps.back(), change);
    else if (joinsTypingRun(change))
        addToStep(steps.back(), change);
    else
        startStep(change);
    dropStepsBeyondLimits();
}

std::string SheetHistory::undoName() const {
    return canUndo() ? steps[position - 1].name : std::string();
}

std::string SheetHistory::redoName() const {
    return canRedo() ? steps[position].name : std::string();
}

std::optional<HistoryStep> SheetHistory::undo(const MemberNow& now) {
    runOpen = namedStepOpen = false;
    if (!canUndo())
        return std::nullopt;
    const Step& step = steps[--position];
    HistoryStep whole{step.name, {}};
    for (const KeptChange& kept : step.changes)
        whole.changes.push_back(wholeChangeFromAfter(kept, now(kept.member)));
    return whole;
}

std::optional<HistoryStep> SheetHistory::redo(const MemberNow& now) {
    runOpen = namedStepOpen = false;
    if (!canRedo())
        return std::nullopt;
    const Step& step = steps[position++];
    HistoryStep whole{step.name, {}};
    for (const KeptChange& kept : step.changes)
        whole.changes.push_back(wholeChangeFromBefore(kept, now(kept.member)));
    return whole;
}

void SheetHistory::markSaved() {
    runOpen = namedStepOpen = false;
    savedAt = position;
}

void SheetHistory::clear() {
    steps.clear();
    position = 0;
    savedAt = 0;
    heldBytes = 0;
    runOpen = namedStepOpen = false;
}
