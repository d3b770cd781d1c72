#include "editor/EntryDialogs.h"

#include "editor/ControlText.h"
#include "editor/SheetForm.h"
#include "editor/SheetLists.h"
#include "res/resource.h"
#include "sheet/EntryEdit.h"

#include <commctrl.h>

namespace {

// The boxes of an entry's five texts in one dialog.
struct EntryBoxes {
    int name;
    int timing;
    int cost;
    int range;
    int effect;
};

constexpr EntryBoxes skillBoxes = {IDC_SKILL_NAME, IDC_SKILL_TIMING, IDC_SKILL_COST, IDC_SKILL_RANGE,
                                   IDC_SKILL_EFFECT};
constexpr EntryBoxes partBoxes = {IDC_PART_NAME, IDC_PART_TIMING, IDC_PART_COST, IDC_PART_RANGE,
                                  IDC_PART_EFFECT};

// Valid while a dialog is open; the dialogs are modal, so one at a time.
BodyLocation editedLocation = BodyLocation::head;
int editedRow = noRow;

int firstSelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void setBoxText(HWND dialog, int id, const std::string& text) {
    SetWindowTextA(GetDlgItem(dialog, id), text.c_str());
}

std::string boxText(HWND dialog, int id) {
    return readControlText(GetDlgItem(dialog, id));
}

// Shows the edited row's texts; a new entry starts with empty boxes.
template <class Entry>
void showEditedEntry(HWND dialog, const EntryBoxes& boxes, HWND list, const std::vector<Entry>& entries) {
    editedRow = firstSelectedRow(list);
    if (editedRow < 0 || static_cast<std::size_t>(editedRow) >= entries.size()) {
        editedRow = noRow;
        return;
    }
    const Entry& entry = entries[static_cast<std::size_t>(editedRow)];
    setBoxText(dialog, boxes.name, entry.name);
    setBoxText(dialog, boxes.timing, entry.timing);
    setBoxText(dialog, boxes.cost, entry.cost);
    setBoxText(dialog, boxes.range, entry.range);
    setBoxText(dialog, boxes.effect, entry.effect);
}

// A fresh entry from the boxes alone: a part's check mark starts clear.
template <class Entry> Entry enteredEntry(HWND dialog, const EntryBoxes& boxes) {
    Entry entry{};
    entry.name = boxText(dialog, boxes.name);
    entry.timing = boxText(dialog, boxes.timing);
    entry.cost = boxText(dialog, boxes.cost);
    entry.range = boxText(dialog, boxes.range);
    entry.effect = boxText(dialog, boxes.effect);
    return entry;
}

void storeSkill(HWND dialog) {
    CharacterSheet& sheet = *sheetForm.sheet;
    sheet.setSkills(
        applyEntryEdit(sheet.getSkills(), editedRow, enteredEntry<SkillEntry>(dialog, skillBoxes)));
}

void storePart(HWND dialog) {
    CharacterSheet& sheet = *sheetForm.sheet;
    sheet.setParts(editedLocation, applyEntryEdit(sheet.getParts(editedLocation), editedRow,
                                                  enteredEntry<PartEntry>(dialog, partBoxes)));
}

void onEntryCommand(HWND dialog, int id, void (*store)(HWND)) {
    if (id == IDOK) {
        store(dialog);
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    }
}

// One procedure per body location, so each opening edits exactly the list
// that was activated.
template <BodyLocation location>
INT_PTR CALLBACK partsDialogFor(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    editedLocation = location;
    return partsDialogProc(dialog, message, wParam, lParam);
}

DLGPROC partsDialogProcFor(BodyLocation location) {
    switch (location) {
    case BodyLocation::head: return partsDialogFor<BodyLocation::head>;
    case BodyLocation::arms: return partsDialogFor<BodyLocation::arms>;
    case BodyLocation::torso: return partsDialogFor<BodyLocation::torso>;
    case BodyLocation::legs: break;
    }
    return partsDialogFor<BodyLocation::legs>;
}

} // namespace

INT_PTR openSkillDialog() {
    return DialogBoxParamA(sheetForm.instance, "SKILLDLG", sheetForm.form, skillDialogProc, 0);
}

INT_PTR openPartsDialog(BodyLocation location) {
    return DialogBoxParamA(sheetForm.instance, "PARTSDLG", sheetForm.form, partsDialogProcFor(location), 0);
}

INT_PTR CALLBACK skillDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showEditedEntry(dialog, skillBoxes, sheetForm.skillList, sheetForm.sheet->getSkills());
        break;
    case WM_COMMAND: onEntryCommand(dialog, LOWORD(wParam), storeSkill); break;
    }
    return 0;
}

INT_PTR CALLBACK partsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showEditedEntry(dialog, partBoxes, partList(editedLocation),
                        sheetForm.sheet->getParts(editedLocation));
        break;
    case WM_COMMAND: onEntryCommand(dialog, LOWORD(wParam), storePart); break;
    }
    return 0;
}
