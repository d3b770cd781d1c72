#include "editor/ListCommands.h"

#include "editor/OwnerDataList.h"

#include "editor/CatalogueDialog.h"
#include "editor/Clipboard.h"
#include "editor/ListEntries.h"
#include "editor/RegisterDialog.h"
#include "editor/SheetFormState.h"
#include "editor/SheetLists.h"
#include "res/resource.h"
#include "sheet/EntryClipboard.h"
#include "sheet/EntryEdit.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

namespace {

constexpr std::array<int, 10> editCommands = {
    IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_PASTE, IDM_EDIT_DELETE,        IDM_ADD_ENTRY,
    IDM_MOVE_UP,  IDM_MOVE_DOWN, IDM_EDIT_ENTRY, IDM_ADD_FROM_CATALOGUE, IDM_REGISTER_IN_CATALOGUE};

void tellUser(const std::string& text) {
    if (sheetForm.tellUser != nullptr)
        sheetForm.tellUser(text);
}

bool isOfClass(HWND window, const char* className) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

// A text box of the form, or the box of a choice.
bool isTextBox(HWND window) {
    return window != nullptr && isOfClass(window, "Edit");
}

bool hasSelectedText(HWND box) {
    DWORD start = 0, end = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

// One change of the list's entries through the record's setter, a step
// named for `action` ("削除"), then the list rebuilt with the rows `edit`
// answers selected.
template <class Edit> void editEntries(HWND list, const char* action, Edit edit) {
    withEntriesOf(list, [&](const auto& entries) {
        auto edited = edit(entries.get(), selectedRows(list));
        {
            const NamedStep step(listWord(list) + "の" + action);
            entries.set(std::move(edited.entries));
        }
        refreshSelecting(list, edited.selected);
    });
}

// Entries travel as parts: a skill as an unticked one.
std::vector<PartEntry> selectedEntries(HWND list) {
    std::vector<PartEntry> chosen;
    withEntriesOf(list, [&](const auto& entries) {
        const auto all = entries.get();
        for (int row : selectedRows(list)) {
            if (static_cast<std::size_t>(row) < all.size())
                chosen.push_back(convertEntry<PartEntry>(all[static_cast<std::size_t>(row)]));
        }
    });
    return chosen;
}

bool copySelected(HWND list) {
    const std::vector<PartEntry> entries = selectedEntries(list);
    if (entries.empty())
        return false;
    if (putOnClipboard(sheetForm.form, {entriesAsText(entries), entriesAsOwnFormat(entries)}))
        return true;
    tellUser("クリップボードにコピーできませんでした");
    return false;
}

// The program's own entries come whole; anything else is read as text.
std::optional<std::vector<PartEntry>> pastedEntries() {
    if (const std::optional<std::string> own = clipboardOwnEntries(sheetForm.form)) {
        if (std::optional<std::vector<PartEntry>> entries = entriesFromOwnFormat(*own))
            return entries;
    }
    const std::optional<std::string> text = clipboardText(sheetForm.form);
    if (!text)
        return std::nullopt;
    PastedEntries pasted = readPastedText(*text);
    if (pasted.outcome == PastedEntries::Outcome::tooLarge) {
        tellUser("貼り付けられませんでした: テキストが 10000 行か 1 MiB を超えています");
        return std::nullopt;
    }
    return std::move(pasted.entries);
}

// New entries right after the last selected row, as one step named for
// `action`.
void insertIntoList(HWND list, const char* action, const std::vector<PartEntry>& newEntries) {
    if (newEntries.empty())
        return;
    editEntries(list, action, [&](auto entries, const std::vector<int>& rows) {
        using Entry = typename decltype(entries)::value_type;
        std::vector<Entry> added;
        for (const PartEntry& entry : newEntries)
            added.push_back(convertEntry<Entry>(entry));
        return insertEntries(std::move(entries), rows, std::move(added));
    });
}

void pasteInto(HWND list) {
    if (const std::optional<std::vector<PartEntry>> pasted = pastedEntries())
        insertIntoList(list, "貼り付け", *pasted);
}

// The part catalogue starts on the list's own location. The list gets the
// focus back as the dialog ends, which selects its first row when none was:
// the selection it had decides where the entries go.
void addFromCatalogue(HWND list) {
    const std::vector<int> selected = selectedRows(list);
    const std::optional<BodyLocation> location = locationOfList(list);
    const CatalogueKind kind = location ? CatalogueKind::parts : CatalogueKind::skills;
    const std::string group = location ? locationText(*location) : std::string();
    const std::vector<PartEntry> chosen = chooseFromCatalogue(sheetForm.form, kind, group, dollChoices());
    SetFocus(list);
    selectRows(list, selected);
    insertIntoList(list, "追加", chosen);
}

// Parts go under their location, skills under the doll's main class. The
// catalogue changes, not the sheet: nothing to undo, nothing to save.
void registerSelected(HWND list) {
    const std::optional<BodyLocation> location = locationOfList(list);
    const CatalogueKind kind = location ? CatalogueKind::parts : CatalogueKind::skills;
    const std::string heading = location ? locationText(*location) : sheetForm.sheet->getMainClass();
    if (registerInCatalogueFile(sheetForm.form, kind, selectedEntries(list), heading))
        tellUser("カタログに登録しました: " + cataloguePath(kind));
    SetFocus(list);
}

void deleteSelected(HWND list, const char* action) {
    editEntries(list, action, [](auto entries, const std::vector<int>& rows) {
        return deleteEntries(std::move(entries), rows);
    });
}

void moveSelected(HWND list, bool up) {
    editEntries(list, "移動", [up](auto entries, const std::vector<int>& rows) {
        return moveEntries(std::move(entries), rows, up ? -1 : +1);
    });
}

void runListCommand(HWND list, int id) {
    const bool anySelected = !selectedRows(list).empty();
    switch (id) {
    case IDM_EDIT_CUT:
        if (copySelected(list))
            deleteSelected(list, "切り取り");
        break;
    case IDM_EDIT_COPY: copySelected(list); break;
    case IDM_EDIT_PASTE: pasteInto(list); break;
    case IDM_EDIT_DELETE:
        if (anySelected)
            deleteSelected(list, "削除");
        break;
    case IDM_ADD_ENTRY: openEntryDialog(list, EntryOpening::newAfterSelection); break;
    case IDM_ADD_FROM_CATALOGUE: addFromCatalogue(list); break;
    case IDM_REGISTER_IN_CATALOGUE:
        if (anySelected)
            registerSelected(list);
        break;
    case IDM_MOVE_UP:
    case IDM_MOVE_DOWN:
        if (anySelected)
            moveSelected(list, id == IDM_MOVE_UP);
        break;
    case IDM_EDIT_ENTRY:
        if (anySelected)
            openEntryDialog(list, EntryOpening::selectedRow);
        break;
    }
}

void runTextBoxCommand(HWND box, int id) {
    switch (id) {
    case IDM_EDIT_CUT: SendMessageA(box, WM_CUT, 0, 0); break;
    case IDM_EDIT_COPY: SendMessageA(box, WM_COPY, 0, 0); break;
    case IDM_EDIT_PASTE: SendMessageA(box, WM_PASTE, 0, 0); break;
    case IDM_EDIT_DELETE: SendMessageA(box, WM_CLEAR, 0, 0); break;
    }
}

// Whether moving the selected rows one row up (or down) moves any.
bool canMove(HWND list, bool up) {
    const std::vector<int> rows = selectedRows(list);
    const int count = ListView_GetItemCount(list);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Selected rows packed against the edge stay where they are.
        const int packed = up ? static_cast<int>(i) : count - static_cast<int>(rows.size() - i);
        if (rows[i] != packed)
            return true;
    }
    return false;
}

bool canRunOnList(HWND list, int id) {
    const bool anySelected = ListView_GetSelectedCount(list) > 0;
    switch (id) {
    case IDM_EDIT_PASTE: return clipboardHasEntriesOrText();
    case IDM_ADD_ENTRY:
    case IDM_ADD_FROM_CATALOGUE: return true;
    case IDM_MOVE_UP: return canMove(list, true);
    case IDM_MOVE_DOWN: return canMove(list, false);
    }
    return anySelected;
}

bool canRunOnTextBox(HWND box, int id) {
    const bool writable = (GetWindowLongPtrA(box, GWL_STYLE) & ES_READONLY) == 0;
    switch (id) {
    case IDM_EDIT_COPY: return hasSelectedText(box);
    case IDM_EDIT_CUT:
    case IDM_EDIT_DELETE: return writable && hasSelectedText(box);
    case IDM_EDIT_PASTE: return writable && IsClipboardFormatAvailable(CF_TEXT);
    }
    return false;
}

} // namespace

bool isEditCommand(int id) {
    for (int command : editCommands) {
        if (command == id)
            return true;
    }
    return false;
}

void runEditCommand(int id) {
    HWND focus = GetFocus();
    if (isSheetList(focus))
        runListCommand(focus, id);
    else if (isTextBox(focus))
        runTextBoxCommand(focus, id);
}

bool canRunEditCommand(int id) {
    HWND focus = GetFocus();
    if (isSheetList(focus))
        return canRunOnList(focus, id);
    return isTextBox(focus) && canRunOnTextBox(focus, id);
}

bool focusKeepsKeyOf(int id) {
    return isEditCommand(id) && !isSheetList(GetFocus());
}

void greyEditItems(HMENU menu) {
    for (int id : editCommands)
        EnableMenuItem(menu, static_cast<UINT>(id),
                       MF_BYCOMMAND | (canRunEditCommand(id) ? MF_ENABLED : MF_GRAYED));
}

void showListMenu(HWND list, LPARAM at) {
    if (!isSheetList(list))
        return;
    SetFocus(list);
    HMENU menus = LoadMenuA(sheetForm.instance, "LISTMENU");
    HMENU menu = GetSubMenu(menus, 0);
    greyEditItems(menu);
    POINT place = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1)
        place = keyboardMenuPlace(list);
    const int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, place.x, place.y, 0,
                                  sheetForm.form, nullptr);
    DestroyMenu(menus);
    if (id != 0)
        runListCommand(list, id);
}
