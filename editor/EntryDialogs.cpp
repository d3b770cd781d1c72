#include "editor/EntryDialogs.h"

#include "editor/Catalogues.h"
#include "editor/ControlText.h"
#include "editor/NameSuggestions.h"
#include "editor/SheetFormState.h"
#include "res/resource.h"

#include <commctrl.h>

#include <memory>

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

// What differs between the two dialogs: their boxes and the list of the
// record they edit.
const EntryBoxes& boxesOf(const SkillDialog&) {
    return skillBoxes;
}

const EntryBoxes& boxesOf(const PartDialog&) {
    return partBoxes;
}

std::vector<SkillEntry> entriesOf(const SkillDialog& state) {
    return state.sheet.getSkills();
}

std::vector<PartEntry> entriesOf(const PartDialog& state) {
    return state.sheet.getParts(state.location);
}

// What the Edit menu calls the entries the dialog edits.
std::string entriesWord(const SkillDialog&) {
    return memberWord(SheetMember::skills);
}

std::string entriesWord(const PartDialog& state) {
    return memberWord(partsMemberOf(state.location));
}

// The catalogue whose names a dialog offers, and the group looked in first.
CatalogueKind catalogueKindOf(const SkillDialog&) {
    return CatalogueKind::skills;
}

CatalogueKind catalogueKindOf(const PartDialog&) {
    return CatalogueKind::parts;
}

std::string preferredGroupOf(const SkillDialog&) {
    return std::string();
}

std::string preferredGroupOf(const PartDialog& state) {
    return locationText(state.location);
}

void storeEntries(SkillDialog& state, std::vector<SkillEntry> entries) {
    state.sheet.setSkills(std::move(entries));
}

void storeEntries(PartDialog& state, std::vector<PartEntry> entries) {
    state.sheet.setParts(state.location, std::move(entries));
}

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
template <class Dialog> void showEditedEntry(HWND dialog, Dialog& state) {
    if (state.addAfter)
        return;
    const auto entries = entriesOf(state);
    const int row = firstSelectedRow(state.list);
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size())
        return;
    state.editedRow = row;
    const auto& entry = entries[static_cast<std::size_t>(row)];
    const EntryBoxes& boxes = boxesOf(state);
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

// The entry stored stays selected once the list is rebuilt.
template <class Dialog> void storeEnteredEntry(HWND dialog, Dialog& state) {
    auto entries = entriesOf(state);
    using Entry = typename decltype(entries)::value_type;
    Entry entry = enteredEntry<Entry>(dialog, boxesOf(state));
    if (entry.name.empty() && state.addAfter)
        return;
    const bool isNew = state.addAfter || state.editedRow == noRow;
    const NamedStep step(entriesWord(state) + (isNew ? "の追加" : entry.name.empty() ? "の削除" : "の編集"));
    if (state.addAfter) {
        ListEdit<Entry> added = insertEntries(std::move(entries), *state.addAfter, {std::move(entry)});
        state.rowsToSelect = std::move(added.selected);
        storeEntries(state, std::move(added.entries));
        return;
    }
    const bool stored = !entry.name.empty();
    entries = applyEntryEdit(std::move(entries), state.editedRow, std::move(entry));
    if (stored)
        state.rowsToSelect = {state.editedRow == noRow ? static_cast<int>(entries.size()) - 1
                                                       : state.editedRow};
    storeEntries(state, std::move(entries));
}

// One opening of an entry dialog: what it edits, and the catalogue whose
// names it offers as they were when it opened.
template <class Dialog> struct OpenedEntryDialog {
    Dialog& state;
    std::shared_ptr<const LoadedCatalogue> catalogue;
    std::optional<NameSuggestions> suggestions;
};

// A name that is exactly a catalogue entry's fills the boxes still empty
// with that entry's texts; what the user wrote is never replaced.
template <class Dialog> void fillFromCatalogue(HWND dialog, const OpenedEntryDialog<Dialog>& opened) {
    const EntryBoxes& boxes = boxesOf(opened.state);
    const CatalogueEntry* found = findCatalogueEntry(opened.catalogue->catalogue, boxText(dialog, boxes.name),
                                                     preferredGroupOf(opened.state));
    if (found == nullptr)
        return;
    const std::pair<int, const std::string*> texts[] = {{boxes.timing, &found->entry.timing},
                                                        {boxes.cost, &found->entry.cost},
                                                        {boxes.range, &found->entry.range},
                                                        {boxes.effect, &found->entry.effect}};
    for (const auto& [box, text] : texts) {
        if (boxText(dialog, box).empty())
            setBoxText(dialog, box, *text);
    }
}

// Names are offered only once the dialog shows: the edited entry's name
// set as it opens offers none.
template <class Dialog> void onNameChanged(HWND dialog, OpenedEntryDialog<Dialog>& opened) {
    if (IsWindowVisible(dialog) && opened.suggestions)
        opened.suggestions->offer();
    fillFromCatalogue(dialog, opened);
}

template <class Dialog> void initEntryDialog(HWND dialog, OpenedEntryDialog<Dialog>& opened) {
    opened.catalogue = catalogueOf(catalogueKindOf(opened.state));
    opened.suggestions.emplace(GetDlgItem(dialog, boxesOf(opened.state).name), opened.catalogue,
                               fittingGroups(opened.catalogue->catalogue, dollChoices()));
    showEditedEntry(dialog, opened.state);
}

template <class Dialog>
void onEntryCommand(HWND dialog, int id, int notification, HWND from, OpenedEntryDialog<Dialog>& opened) {
    if (id == boxesOf(opened.state).name && notification == EN_CHANGE) {
        onNameChanged(dialog, opened);
    } else if (id == IDOK) {
        storeEnteredEntry(dialog, opened.state);
        EndDialog(dialog, IDOK);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    } else if (opened.suggestions) {
        opened.suggestions->onCommand(from, notification);
    }
}

// The opening's state arrives with WM_INITDIALOG and stays with the dialog
// window; messages before it find none.
template <class Dialog> OpenedEntryDialog<Dialog>* dialogState(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<OpenedEntryDialog<Dialog>*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

template <class Dialog> INT_PTR entryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    OpenedEntryDialog<Dialog>* opened = dialogState<Dialog>(dialog, message, lParam);
    if (opened == nullptr)
        return 0;
    switch (message) {
    case WM_INITDIALOG: initEntryDialog(dialog, *opened); break;
    case WM_COMMAND:
        onEntryCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam), *opened);
        break;
    case WM_DESTROY: opened->suggestions.reset(); break;
    }
    return 0;
}

INT_PTR CALLBACK skillDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return entryDialogProc<SkillDialog>(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK partsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return entryDialogProc<PartDialog>(dialog, message, wParam, lParam);
}

HINSTANCE instanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

} // namespace

INT_PTR openSkillDialog(HWND owner, SkillDialog& dialog) {
    OpenedEntryDialog<SkillDialog> opened{dialog, nullptr, std::nullopt};
    return DialogBoxParamA(instanceOf(owner), "SKILLDLG", owner, skillDialogProc,
                           reinterpret_cast<LPARAM>(&opened));
}

INT_PTR openPartsDialog(HWND owner, PartDialog& dialog) {
    OpenedEntryDialog<PartDialog> opened{dialog, nullptr, std::nullopt};
    return DialogBoxParamA(instanceOf(owner), "PARTSDLG", owner, partsDialogProc,
                           reinterpret_cast<LPARAM>(&opened));
}
