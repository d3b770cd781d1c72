#pragma once

// What OK in an entry dialog does to its list: a named entry is appended
// (no row chosen) or replaces the chosen row whole; an empty name deletes
// the chosen row. Only the name decides: a name of blanks is a name.

#include <string>
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
