#include "editor/SheetLists.h"

#include "editor/CellList.h"
#include "editor/EntryDialogs.h"
#include "editor/ListColumns.h"
#include "editor/SheetFormState.h"
#include "sheet/EntryEdit.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace {

struct LocationBinding {
    BodyLocation location;
    HWND SheetFormState::*list;
};

constexpr std::array<LocationBinding, 4> locationBindings = {{
    {BodyLocation::head, &SheetFormState::headList},
    {BodyLocation::arms, &SheetFormState::armList},
    {BodyLocation::torso, &SheetFormState::torsoList},
    {BodyLocation::legs, &SheetFormState::legList},
}};

// Every location has its binding: the table holds all four.
const LocationBinding& bindingOfLocation(BodyLocation location) {
    for (const LocationBinding& binding : locationBindings) {
        if (binding.location == location)
            return binding;
    }
    return locationBindings.back();
}

const LocationBinding* bindingOfList(HWND list) {
    for (const LocationBinding& binding : locationBindings) {
        if (sheetForm.*binding.list == list)
            return &binding;
    }
    return nullptr;
}

// A list gaining the focus without a selection selects its first row, so
// Enter has a row to open; a selection it had stays as it was, so that a
// command after Tab acts on the rows the user chose. Wine's list sends no
// NM_RETURN while no row has the item focus, so the first row takes that
// too when no other row holds it.
void selectFirstRow(HWND list) {
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const bool rowFocused = ListView_GetNextItem(list, -1, LVNI_FOCUSED) != -1;
    const UINT state = (selected < 0 ? LVIS_SELECTED : 0) | (rowFocused ? 0 : LVIS_FOCUSED);
    if (state != 0)
        ListView_SetItemState(list, std::max(selected, 0), state, state);
}

// The name-cell ticks are the parts' check marks: every row is read back,
// since the notification does not say which box changed.
void storeCheckMarks(const LocationBinding& binding) {
    HWND list = sheetForm.*binding.list;
    std::vector<PartEntry> parts = sheetForm.sheet->getParts(binding.location);
    const int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows && static_cast<std::size_t>(row) < parts.size(); ++row)
        parts[static_cast<std::size_t>(row)].checkMark = getCellCheck(list, row, 0);
    const NamedStep tick(memberWord(partsMemberOf(binding.location)) + "のチェック");
    sheetForm.sheet->setParts(binding.location, std::move(parts));
}

// The list has the focus again once the dialog is over, with the entry the
// dialog stored selected, or as it was after Cancel.
template <class Dialog> void openDialog(HWND list, Dialog dialog, INT_PTR (*open)(HWND, Dialog&)) {
    const std::vector<int> selected = selectedRows(list);
    const bool stored = open(sheetForm.form, dialog) == IDOK;
    SetFocus(list);
    if (stored)
        refreshSelecting(list, dialog.rowsToSelect);
    else
        selectRows(list, selected);
}

// While a list is rebuilt it does not repaint: a list view that repaints
// after every inserted row makes a rebuild slow beyond use for long lists.
// It repaints once when the rebuild is over. The list view still paints
// at once when it scrolls to a row while told not to draw, so the window
// is also kept from painting as the system keeps any window that is told
// so.
class RebuildWithoutRepaint {
public:
    explicit RebuildWithoutRepaint(HWND list) : list(list) {
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        DefWindowProcA(list, WM_SETREDRAW, FALSE, 0);
    }
    ~RebuildWithoutRepaint() {
        DefWindowProcA(list, WM_SETREDRAW, TRUE, 0);
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        // A scroll bar that came or went while the list was kept from
        // painting is drawn with it.
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    RebuildWithoutRepaint(const RebuildWithoutRepaint&) = delete;
    RebuildWithoutRepaint& operator=(const RebuildWithoutRepaint&) = delete;

private:
    HWND list;
};

void fillSkillList() {
    HWND list = sheetForm.skillList;
    emptyCells(list);
    for (const SkillEntry& skill : sheetForm.sheet->getSkills())
        addCellRow(list, {{skill.name, false},
                          {skill.timing, true}, // a mark on the screen only
                          {skill.cost, false},
                          {skill.range, false},
                          {skill.effect, false}});
}

void fillPartList(const LocationBinding& binding) {
    HWND list = sheetForm.*binding.list;
    emptyCells(list);
    for (const PartEntry& part : sheetForm.sheet->getParts(binding.location)) {
        const int row = addCellRow(list, {{part.name, true},
                                          {part.timing, true},
                                          {part.cost, false},
                                          {part.range, false},
                                          {part.effect, false}});
        if (part.checkMark != 0)
            setCellCheck(list, row, 0, 1);
    }
}

void fillList(HWND list) {
    if (list == sheetForm.skillList)
        fillSkillList();
    else if (const LocationBinding* binding = bindingOfList(list))
        fillPartList(*binding);
}

} // namespace

void refreshSkillList() {
    refreshList(sheetForm.skillList);
}

void refreshPartList(const std::string& text) {
    for (const LocationBinding& binding : locationBindings)
        if (text == locationText(binding.location))
            refreshList(sheetForm.*binding.list);
}

void addListColumns(HWND list) {
    for (std::size_t i = 0; i < listColumns.size(); ++i)
        insertCellColumn(list, static_cast<int>(i), listColumns[i].width, listColumns[i].title);
}

bool onListNotify(const NMHDR& header) {
    if (!isSheetList(header.hwndFrom))
        return false;
    switch (header.code) {
    case LVN_DELETEALLITEMS: return true;
    case NM_SETFOCUS: selectFirstRow(header.hwndFrom); break;
    case NM_DBLCLK:
    case NM_RETURN: openEntryDialog(header.hwndFrom, EntryOpening::selectedRow); break;
    case cellCheckToggled:
        if (const LocationBinding* binding = bindingOfList(header.hwndFrom))
            storeCheckMarks(*binding);
        break;
    }
    return false;
}

bool isSheetList(HWND window) {
    return window == sheetForm.skillList || bindingOfList(window) != nullptr;
}

std::optional<BodyLocation> locationOfList(HWND list) {
    if (const LocationBinding* binding = bindingOfList(list))
        return binding->location;
    return std::nullopt;
}

HWND listOfLocation(BodyLocation location) {
    return sheetForm.*bindingOfLocation(location).list;
}

std::string listWord(HWND list) {
    if (const LocationBinding* binding = bindingOfList(list))
        return memberWord(partsMemberOf(binding->location));
    return memberWord(SheetMember::skills);
}

void refreshList(HWND list) {
    const RebuildWithoutRepaint rebuild(list);
    fillList(list);
}

// Each row selected would repaint on its own.
void selectRows(HWND list, const std::vector<int>& rows) {
    const RebuildWithoutRepaint selection(list);
    markSelection(list, rows);
}

// Setting the list to draw again costs about as much as selecting a hundred
// rows: a rebuild and its selection share one.
void refreshSelecting(HWND list, const std::vector<int>& rows) {
    const RebuildWithoutRepaint rebuild(list);
    fillList(list);
    markSelection(list, rows);
}

void openEntryDialog(HWND list, EntryOpening opening) {
    std::optional<std::vector<int>> addAfter;
    if (opening == EntryOpening::newAfterSelection)
        addAfter = selectedRows(list);
    CharacterSheet& sheet = *sheetForm.sheet;
    if (list == sheetForm.skillList)
        openDialog<SkillDialog>(list, {sheet, list, addAfter, noRow, {}}, openSkillDialog);
    else if (const LocationBinding* binding = bindingOfList(list))
        openDialog<PartDialog>(list, {sheet, list, binding->location, addAfter, noRow, {}}, openPartsDialog);
}
