#include "editor/SheetLists.h"

#include "editor/CellList.h"
#include "editor/SheetForm.h"

#include <array>

namespace {

struct ListColumn {
    const char* title;
    int width; // pixels
};

constexpr std::array<ListColumn, 5> listColumns = {
    {{"名称", 100}, {"タイミング", 60}, {"コスト", 40}, {"射程", 40}, {"効果", 124}}};

struct LocationBinding {
    BodyLocation location;
    const char* text;
    HWND SheetFormState::*list;
};

constexpr std::array<LocationBinding, 4> locationBindings = {{
    {BodyLocation::head, "頭", &SheetFormState::headList},
    {BodyLocation::arms, "腕", &SheetFormState::armList},
    {BodyLocation::torso, "胴", &SheetFormState::torsoList},
    {BodyLocation::legs, "脚", &SheetFormState::legList},
}};

// Columns 2 to 4 are the same for skills and parts.
template <class Entry> void setPlainCells(HWND list, int row, const Entry& entry) {
    setCell(list, row, 2, entry.cost, false);
    setCell(list, row, 3, entry.range, false);
    setCell(list, row, 4, entry.effect, false);
}

} // namespace

void addListColumns(HWND list) {
    for (std::size_t i = 0; i < listColumns.size(); ++i)
        insertCellColumn(list, static_cast<int>(i), listColumns[i].width, listColumns[i].title);
}

void refreshSkillList() {
    HWND list = sheetForm.skillList;
    clearCells(list);
    const std::vector<SkillEntry> skills = sheetForm.sheet->getSkills();
    for (std::size_t i = 0; i < skills.size(); ++i) {
        const int row = static_cast<int>(i);
        setCell(list, row, 0, skills[i].name, false);
        setCell(list, row, 1, skills[i].timing, true); // a mark on the screen only
        setPlainCells(list, row, skills[i]);
    }
}

void refreshPartList(const std::string& text) {
    for (const LocationBinding& binding : locationBindings) {
        if (text != binding.text)
            continue;
        HWND list = sheetForm.*binding.list;
        clearCells(list);
        const std::vector<PartEntry> parts = sheetForm.sheet->getParts(binding.location);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const int row = static_cast<int>(i);
            setCell(list, row, 0, parts[i].name, true);
            if (parts[i].checkMark != 0)
                setCellCheck(list, row, 0, 1);
            setCell(list, row, 1, parts[i].timing, true);
            setPlainCells(list, row, parts[i]);
        }
    }
}

std::string locationText(BodyLocation location) {
    for (const LocationBinding& binding : locationBindings) {
        if (binding.location == location)
            return binding.text;
    }
    return std::string();
}
