#include "editor/CatalogueDialog.h"

#include "editor/ControlText.h"
#include "editor/OwnerDataList.h"
#include "res/resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>

namespace {

// What one opening shows: the catalogue as it was read when the dialog
// opened, and the entries that match, one a row.
struct CatalogueDialog {
    std::shared_ptr<const LoadedCatalogue> loaded;
    std::string startGroup;
    std::vector<std::string> fitting; // the headings that name the doll
    std::vector<std::size_t> matches;
    // What the matches were found for.
    FoldedWords searched;
    int searchedGroup = -1;
    std::vector<PartEntry> chosen;
};

struct CatalogueColumn {
    const char* title;
    int width; // dialog units
    const std::string& (*text)(const CatalogueEntry& entry);
};

constexpr std::array<CatalogueColumn, 6> catalogueColumns = {{
    {"名前", 70, [](const CatalogueEntry& e) -> const std::string& { return e.entry.name; }},
    {"タイミング", 40, [](const CatalogueEntry& e) -> const std::string& { return e.entry.timing; }},
    {"コスト", 26, [](const CatalogueEntry& e) -> const std::string& { return e.entry.cost; }},
    {"射程", 26, [](const CatalogueEntry& e) -> const std::string& { return e.entry.range; }},
    {"効果", 114, [](const CatalogueEntry& e) -> const std::string& { return e.entry.effect; }},
    {"見出し", 36, [](const CatalogueEntry& e) -> const std::string& { return e.group; }},
}};

HWND entryList(HWND dialog) {
    return GetDlgItem(dialog, IDC_CATALOGUE_ENTRIES);
}

HWND groupChoice(HWND dialog) {
    return GetDlgItem(dialog, IDC_CATALOGUE_GROUP);
}

const Catalogue& catalogueIn(const CatalogueDialog& state) {
    return state.loaded->catalogue;
}

void addColumns(HWND dialog) {
    HWND list = entryList(dialog);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    for (const CatalogueColumn& shown : catalogueColumns)
        addListColumn(dialog, list, shown.title, shown.width);
}

// The group choice's items: the doll's entries, all, then the headings.
constexpr int fittingChoice = 0, allChoice = 1, firstHeadingChoice = 2;

// "このドール向け" and "すべて", then the file's headings in its order. It
// starts on the heading asked for, else on the doll's entries when a heading
// names the doll.
void listGroups(HWND dialog, const CatalogueDialog& state) {
    HWND choice = groupChoice(dialog);
    ComboBox_AddString(choice, "このドール向け");
    ComboBox_AddString(choice, "すべて");
    int chosen = state.fitting.empty() ? allChoice : fittingChoice;
    const std::vector<std::string>& groups = catalogueIn(state).groups;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        ComboBox_AddString(choice, groups[i].c_str());
        if (groups[i] == state.startGroup)
            chosen = static_cast<int>(i) + firstHeadingChoice;
    }
    ComboBox_SetCurSel(choice, chosen);
}

// The doll's entries are those under a heading that names it and those
// under none.
bool isInGroup(const CatalogueEntry& entry, int chosen, const CatalogueDialog& state) {
    const std::vector<std::string>& groups = catalogueIn(state).groups;
    if (chosen == fittingChoice)
        return entry.group.empty() || std::ranges::find(state.fitting, entry.group) != state.fitting.end();
    const auto heading = static_cast<std::size_t>(chosen - firstHeadingChoice);
    return chosen < firstHeadingChoice || heading >= groups.size() || entry.group == groups[heading];
}

void showSummary(HWND dialog, const CatalogueDialog& state) {
    const Catalogue& catalogue = catalogueIn(state);
    const std::string summary = catalogue.problem == CatalogueProblem::none
                                    ? std::to_string(state.matches.size()) + " 件: " + state.loaded->path
                                    : catalogueProblemText(catalogue.problem) + ": " + state.loaded->path;
    SetDlgItemTextA(dialog, IDC_CATALOGUE_SUMMARY, summary.c_str());
}

// Typing on at the end of a word, or adding a word, only narrows the
// search: what matches now matched before.
bool narrows(const FoldedWords& before, const FoldedWords& after) {
    if (after.size() < before.size())
        return false;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!after[i].starts_with(before[i]))
            return false;
    }
    return true;
}

void findMatches(HWND dialog, CatalogueDialog& state) {
    FoldedWords words = searchWords(readControlText(GetDlgItem(dialog, IDC_CATALOGUE_SEARCH)));
    const int groupChosen = ComboBox_GetCurSel(groupChoice(dialog));
    const std::vector<CatalogueEntry>& entries = catalogueIn(state).entries;
    std::vector<std::size_t> candidates;
    const bool narrowing = groupChosen == state.searchedGroup && narrows(state.searched, words);
    if (narrowing)
        candidates.swap(state.matches);
    state.matches.clear();
    const std::size_t count = narrowing ? candidates.size() : entries.size();
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t i = narrowing ? candidates[n] : n;
        if (isInGroup(entries[i], groupChosen, state) && matchesSearch(state.loaded->folded[i], words))
            state.matches.push_back(i);
    }
    state.searched = std::move(words);
    state.searchedGroup = groupChosen;
}

// The first match is selected, so that Enter adds it.
void showMatches(HWND dialog, CatalogueDialog& state) {
    findMatches(dialog, state);
    showRows(entryList(dialog), state.matches.size(), true);
    showSummary(dialog, state);
}

void initCatalogueDialog(HWND dialog, CatalogueDialog& state) {
    addColumns(dialog);
    listGroups(dialog, state);
    showMatches(dialog, state);
}

void giveRowText(const NMLVDISPINFOA& request, const CatalogueDialog& state) {
    const LVITEMA& item = request.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= state.matches.size() || item.iSubItem < 0 ||
        static_cast<std::size_t>(item.iSubItem) >= catalogueColumns.size())
        return;
    const CatalogueEntry& entry =
        catalogueIn(state).entries[state.matches[static_cast<std::size_t>(item.iItem)]];
    lstrcpynA(item.pszText, catalogueColumns[static_cast<std::size_t>(item.iSubItem)].text(entry).c_str(),
              item.cchTextMax);
}

// Nothing selected (no entry matches) leaves the dialog open on the search.
void addChosen(HWND dialog, CatalogueDialog& state) {
    for (int row : selectedRows(entryList(dialog))) {
        if (static_cast<std::size_t>(row) >= state.matches.size())
            break;
        PartEntry entry = catalogueIn(state).entries[state.matches[static_cast<std::size_t>(row)]].entry;
        entry.checkMark = 0;
        state.chosen.push_back(std::move(entry));
    }
    if (!state.chosen.empty())
        EndDialog(dialog, IDOK);
}

void onCatalogueCommand(HWND dialog, int id, int notification, CatalogueDialog& state) {
    if ((id == IDC_CATALOGUE_SEARCH && notification == EN_CHANGE) ||
        (id == IDC_CATALOGUE_GROUP && notification == CBN_SELCHANGE))
        showMatches(dialog, state);
    else if (id == IDOK)
        addChosen(dialog, state);
    else if (id == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
}

void onCatalogueNotify(HWND dialog, const NMHDR& header, CatalogueDialog& state) {
    if (header.idFrom != IDC_CATALOGUE_ENTRIES)
        return;
    if (header.code == LVN_GETDISPINFOA)
        giveRowText(reinterpret_cast<const NMLVDISPINFOA&>(header), state);
    else if (header.code == NM_DBLCLK && reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0)
        addChosen(dialog, state);
}

INT_PTR CALLBACK catalogueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* state = reinterpret_cast<CatalogueDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: initCatalogueDialog(dialog, *state); return TRUE;
    case WM_COMMAND: onCatalogueCommand(dialog, LOWORD(wParam), HIWORD(wParam), *state); break;
    case WM_NOTIFY: onCatalogueNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam), *state); break;
    }
    return FALSE;
}

} // namespace

std::vector<PartEntry> chooseFromCatalogue(HWND owner, CatalogueKind kind, const std::string& group,
                                           const DollChoices& doll) {
    const std::shared_ptr<const LoadedCatalogue> loaded = catalogueOf(kind);
    CatalogueDialog state{loaded, group, fittingGroups(loaded->catalogue, doll), {}, {}, -1, {}};
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    if (DialogBoxParamA(instance, "CATALOGDLG", owner, catalogueDialogProc,
                        reinterpret_cast<LPARAM>(&state)) != IDOK)
        return {};
    return std::move(state.chosen);
}
