#pragma once

// What the entry lists' commands do to a list. OK in an entry dialog: a
// named entry is appended (no row chosen) or replaces the chosen row whole;
// an empty name deletes the chosen row. Only the name decides: a name of
// blanks is a name. Insert, delete and move take the rows the list has
// selected and give the rows to select afterwards.

#include "sheet/CharacterSheet.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

inline constexpr int noRow = -1;

template <class Entry> std::vector<Entry> applyEntryEdit(std::vector<Entry> list, int row, Entry entry) {
    const bool rowExists = row >= 0 && static_cast<std::size_t>(row) < list.size();
    if (!entry.name.empty()) {
        if (rowExists)
            list[static_cast<std::size_t>(row)] = std::move(entry);
        else
            list.push_back(std::move(entry));
    } else if (rowExists) {
        list.erase(list.begin() + row);
    }
    return list;
}

template <class Entry> struct ListEdit {
    std::vector<Entry> entries;
    std::vector<int> selected;
    bool operator==(const ListEdit&) const = default;
};

// The rows of a list of `size` that `rows` selects, one flag a row: a row
// the list no longer has, or one named twice, comes from a selection that
// went stale and counts once or not at all.
inline std::vector<bool> markedRows(const std::vector<int>& rows, std::size_t size) {
    std::vector<bool> marked(size);
    for (int row : rows)
        if (row >= 0 && static_cast<std::size_t>(row) < size)
            marked[static_cast<std::size_t>(row)] = true;
    return marked;
}

inline std::vector<int> rowsOf(const std::vector<bool>& marked) {
    std::vector<int> rows;
    for (std::size_t row = 0; row < marked.size(); ++row)
        if (marked[row])
            rows.push_back(static_cast<int>(row));
    return rows;
}

// New entries go right after the last selected row, or at the end, and
// stay selected so that the next paste follows them.
template <class Entry>
ListEdit<Entry> insertEntries(std::vector<Entry> list, const std::vector<int>& rows,
                              const std::vector<Entry>& newEntries) {
    const std::vector<int> selected = rowsOf(markedRows(rows, list.size()));
    const int at = selected.empty() ? static_cast<int>(list.size()) : selected.back() + 1;
    list.insert(list.begin() + at, newEntries.begin(), newEntries.end());
    std::vector<int> inserted(newEntries.size());
    for (std::size_t i = 0; i < inserted.size(); ++i)
        inserted[i] = at + static_cast<int>(i);
    return {std::move(list), std::move(inserted)};
}

// The row that takes the first deleted entry's place stays selected, so
// that pressing Delete again goes on down the list.
template <class Entry>
ListEdit<Entry> deleteEntries(const std::vector<Entry>& list, const std::vector<int>& rows) {
    const std::vector<bool> marked = markedRows(rows, list.size());
    const std::vector<int> deleted = rowsOf(marked);
    ListEdit<Entry> edit;
    for (std::size_t row = 0; row < list.size(); ++row)
        if (!marked[row])
            edit.entries.push_back(list[row]);
    if (!deleted.empty() && !edit.entries.empty())
        edit.selected = {std::min(deleted.front(), static_cast<int>(edit.entries.size()) - 1)};
    return edit;
}

// Each selected entry steps one row up (-1) or down (+1). The walk starts
// at the end they move towards, so an entry that cannot move, being at the
// end or behind one that did not, holds back the selected entry behind it
// and the block keeps its order.
template <class Entry>
ListEdit<Entry> moveEntries(std::vector<Entry> list, const std::vector<int>& rows, int step) {
    std::vector<bool> marked = markedRows(rows, list.size());
    const int size = static_cast<int>(list.size());
    for (int walked = 0; walked < size; ++walked) {
        const int from = step < 0 ? walked : size - 1 - walked, to = from + step;
        if (marked[from] && to >= 0 && to < size && !marked[to]) {
            std::swap(list[from], list[to]);
            marked[from] = false;
            marked[to] = true;
        }
    }
    return {std::move(list), rowsOf(marked)};
}

template <class Entry> ListEdit<Entry> moveEntriesUp(std::vector<Entry> list, const std::vector<int>& rows) {
    return moveEntries(std::move(list), rows, -1);
}

template <class Entry>
ListEdit<Entry> moveEntriesDown(std::vector<Entry> list, const std::vector<int>& rows) {
    return moveEntries(std::move(list), rows, +1);
}

// The selected entries put before row `at` of the same list (its size: at
// the end), keeping their order; moved, or copied when `copy`. The entries
// placed are selected.
template <class Entry>
ListEdit<Entry> placeEntries(const std::vector<Entry>& list, const std::vector<int>& rows, int at,
                             bool copy) {
    const std::vector<bool> marked = markedRows(rows, list.size());
    const std::size_t place = static_cast<std::size_t>(std::clamp(at, 0, static_cast<int>(list.size())));
    std::vector<Entry> placed, before, after;
    for (std::size_t row = 0; row < list.size(); ++row) {
        if (marked[row])
            placed.push_back(list[row]);
        if (!marked[row] || copy)
            (row < place ? before : after).push_back(list[row]);
    }
    const int first = static_cast<int>(before.size());
    std::vector<int> selected(placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i)
        selected[i] = first + static_cast<int>(i);
    before.insert(before.end(), placed.begin(), placed.end());
    before.insert(before.end(), after.begin(), after.end());
    return {std::move(before), std::move(selected)};
}

// An entry carried between a part list and the skill list: a skill has no
// box to tick, so a part leaves its tick behind and a skill comes unticked.
template <class To, class From> To convertEntry(const From& from) {
    if constexpr (std::is_same_v<To, From>)
        return from;
    else if constexpr (std::is_same_v<To, SkillEntry>)
        return {from.name, from.timing, from.cost, from.range, from.effect};
    else
        return {0, from.name, from.timing, from.cost, from.range, from.effect};
}

// The selected entries of one list carried before row `at` of another,
// converted as a paste converts them; they leave their list unless copied.
template <class From, class To> struct ListCarry {
    std::vector<From> source;
    ListEdit<To> target;
};

template <class From, class To>
ListCarry<From, To> carryEntries(const std::vector<From>& source, const std::vector<int>& rows,
                                 std::vector<To> target, int at, bool copy) {
    const std::vector<bool> marked = markedRows(rows, source.size());
    std::vector<To> carried;
    for (int row : rowsOf(marked))
        carried.push_back(convertEntry<To>(source[static_cast<std::size_t>(row)]));
    // The carried entries go after the target's own, then find their place.
    at = std::clamp(at, 0, static_cast<int>(target.size()));
    std::vector<int> placed(carried.size());
    for (std::size_t i = 0; i < carried.size(); ++i)
        placed[i] = static_cast<int>(target.size() + i);
    target.insert(target.end(), carried.begin(), carried.end());
    ListCarry<From, To> carry{copy ? source : deleteEntries(source, rows).entries, {}};
    carry.target = placeEntries(target, placed, at, false);
    return carry;
}
