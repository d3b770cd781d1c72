#pragma once

// The record's side of the sheet's five lists: a list's entries, taken and
// set back whole through the record's setters.

#include "editor/SheetFormState.h"
#include "editor/SheetLists.h"

#include <optional>
#include <utility>
#include <vector>

struct SkillListEntries {
    std::vector<SkillEntry> get() const { return sheetForm.sheet->getSkills(); }
    void set(std::vector<SkillEntry> entries) const { sheetForm.sheet->setSkills(std::move(entries)); }
};

struct PartListEntries {
    BodyLocation location;
    std::vector<PartEntry> get() const { return sheetForm.sheet->getParts(location); }
    void set(std::vector<PartEntry> entries) const {
        sheetForm.sheet->setParts(location, std::move(entries));
    }
};

// Calls `use` with the entries `list` shows; not at all for any other window.
template <class Use> void withEntriesOf(HWND list, Use use) {
    if (list == sheetForm.skillList)
        use(SkillListEntries{});
    else if (const std::optional<BodyLocation> location = locationOfList(list))
        use(PartListEntries{*location});
}
