#include "app/VersionsDialog.h"

#include "editor/DialogLayout.h"
#include "editor/FileDialogs.h"
#include "editor/OwnerDataList.h"
#include "portrait/PortraitPath.h"
#include "res/resource.h"
#include "sheet/TextFile.h"
#include "store/SheetName.h"
#include "store/SheetVersions.h"
#include "store/VersionStore.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <memory>

namespace {

constexpr std::array<ControlPlace, 6> controlPlaces = {{
    {IDC_VERSION_LIST, false, false, true, true},
    {IDC_VERSION_NONE, false, false, false, false},
    {IDOK, false, true, false, false},
    {IDC_VERSION_SAVE_AS, false, true, false, false},
    {IDC_VERSION_DELETE, false, true, false, false},
    {IDCANCEL, true, true, false, false},
}};

struct VersionRow {
    SheetVersionEntry entry;
    std::array<std::string, 3> texts; // 保存日時, 大きさ, 違い
};

// What one opening shows and what it chose.
struct VersionsDialog {
    const std::string& sheetPath;
    const CharacterSheet& shown;
    HWND window = nullptr;
    DialogLayout layout;
    std::vector<VersionRow> rows;
    std::optional<std::string> chosen;
};

HWND rowList(const VersionsDialog& dialog) {
    return GetDlgItem(dialog.window, IDC_VERSION_LIST);
}

std::string savedAtText(std::int64_t savedAt) {
    const LocalTime at = localTimeOf(savedAt);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", at.year, at.month, at.day, at.hour,
                  at.minute, at.second);
    return text;
}

std::string sizeText(std::uint64_t bytes) {
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

// What the version has that the sheet shown does not; said plainly when the
// version cannot be read.
std::string differenceText(const VersionsDialog& dialog, const SheetVersionEntry& entry) {
    const std::optional<std::string> bytes =
        entry.readable ? versionBytes(dialog.sheetPath, entry.id) : std::nullopt;
    std::optional<SheetContents> contents = bytes ? sheetContentsOf(*bytes) : std::nullopt;
    if (!contents)
        return "読めません";
    const CharacterSheet version(std::move(*contents));
    const std::string difference = versionDifference(version, dialog.shown);
    return difference.empty() ? "同じ内容" : difference;
}

void showVersions(VersionsDialog& dialog) {
    dialog.rows.clear();
    for (SheetVersionEntry& entry : versionsOf(dialog.sheetPath)) {
        VersionRow row{std::move(entry), {}};
        row.texts = {savedAtText(row.entry.savedAt), sizeText(row.entry.size),
                     differenceText(dialog, row.entry)};
        dialog.rows.push_back(std::move(row));
    }
    const bool none = dialog.rows.empty();
    ShowWindow(GetDlgItem(dialog.window, IDC_VERSION_NONE), none ? SW_SHOW : SW_HIDE);
    for (int id : {IDOK, IDC_VERSION_SAVE_AS, IDC_VERSION_DELETE})
        EnableWindow(GetDlgItem(dialog.window, id), !none);
    showRows(rowList(dialog), dialog.rows.size(), true);
}

const VersionRow* focusedRow(const VersionsDialog& dialog) {
    const std::vector<int> selected = selectedRows(rowList(dialog));
    return selected.empty() ? nullptr : &dialog.rows[static_cast<std::size_t>(selected.front())];
}

void tell(const VersionsDialog& dialog, const std::string& text) {
    MessageBoxA(dialog.window, text.c_str(), "以前の版", MB_OK | MB_ICONWARNING);
}

void openChosen(VersionsDialog& dialog) {
    const VersionRow* row = focusedRow(dialog);
    if (row == nullptr)
        return;
    std::optional<std::string> bytes = versionBytes(dialog.sheetPath, row->entry.id);
    if (!bytes || !sheetContentsOf(*bytes)) {
        tell(dialog, "この版は読めません。");
        return;
    }
    dialog.chosen = std::move(bytes);
    EndDialog(dialog.window, IDOK);
}

// The version's bytes as they were kept, to a file of the player's choice.
void saveChosenAs(const VersionsDialog& dialog) {
    const VersionRow* row = focusedRow(dialog);
    if (row == nullptr)
        return;
    const std::optional<std::string> bytes = versionBytes(dialog.sheetPath, row->entry.id);
    if (!bytes) {
        tell(dialog, "この版は読めません。");
        return;
    }
    const std::string path = askSaveFileNameIn(dialog.window, "別名で保存", sheetFileFilter, "txt",
                                               std::string(folderPart(dialog.sheetPath)), "");
    if (!path.empty() && !replaceFileContents(path, *bytes))
        tell(dialog, "保存できませんでした: " + path);
}

void deleteChosen(VersionsDialog& dialog) {
    const std::vector<int> selected = selectedRows(rowList(dialog));
    if (selected.empty())
        return;
    const std::string question =
        selected.size() == 1 ? "選んだ版を削除しますか？"
                             : "選んだ " + std::to_string(selected.size()) + " 個の版を削除しますか？";
    if (MessageBoxA(dialog.window, question.c_str(), "以前の版",
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    std::size_t failed = 0;
    for (int at : selected)
        failed += deleteVersion(dialog.sheetPath, dialog.rows[static_cast<std::size_t>(at)].entry.id) ? 0 : 1;
    showVersions(dialog);
    if (failed > 0)
        tell(dialog, std::to_string(failed) + " 個の版を削除できませんでした。");
}

void giveRowText(const VersionsDialog& dialog, NMLVDISPINFOA& request) {
    LVITEMA& item = request.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= dialog.rows.size() || item.iSubItem < 0 || item.iSubItem > 2)
        return;
    lstrcpynA(item.pszText, dialog.rows[static_cast<std::size_t>(item.iItem)].texts[item.iSubItem].c_str(),
              item.cchTextMax);
}

void initVersionsDialog(VersionsDialog& dialog) {
    const std::string caption = "以前の版 - " + sheetName(dialog.sheetPath);
    SetWindowTextA(dialog.window, caption.c_str());
    dialog.layout = designedLayout(dialog.window, controlPlaces);
    HWND rows = rowList(dialog);
    ListView_SetExtendedListViewStyle(rows, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    addListColumn(dialog.window, rows, "保存日時", 80);
    addListColumn(dialog.window, rows, "大きさ", 40);
    addListColumn(dialog.window, rows, "違い", 210);
    showVersions(dialog);
}

void onRowsNotify(VersionsDialog& dialog, NMHDR& header) {
    if (header.idFrom != IDC_VERSION_LIST)
        return;
    switch (header.code) {
    case LVN_GETDISPINFOA: giveRowText(dialog, reinterpret_cast<NMLVDISPINFOA&>(header)); break;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
            openChosen(dialog);
        break;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN&>(header).wVKey == VK_DELETE)
            deleteChosen(dialog);
        break;
    }
}

void onVersionsCommand(VersionsDialog& dialog, int id) {
    switch (id) {
    case IDOK: openChosen(dialog); break;
    case IDC_VERSION_SAVE_AS: saveChosenAs(dialog); break;
    case IDC_VERSION_DELETE: deleteChosen(dialog); break;
    case IDCANCEL: EndDialog(dialog.window, IDCANCEL); break;
    }
}

INT_PTR CALLBACK versionsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<VersionsDialog*>(lParam)->window = window;
    }
    auto* dialog = reinterpret_cast<VersionsDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: initVersionsDialog(*dialog); return TRUE;
    case WM_COMMAND: onVersionsCommand(*dialog, LOWORD(wParam)); return TRUE;
    case WM_NOTIFY: onRowsNotify(*dialog, *reinterpret_cast<NMHDR*>(lParam)); return TRUE;
    case WM_SIZE: placeControls(window, dialog->layout, controlPlaces, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_GETMINMAXINFO:
        limitToHalfTheDesign(window, dialog->layout, *reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    }
    return FALSE;
}

} // namespace

std::optional<std::string> chooseVersion(HWND owner, const std::string& sheetPath,
                                         const CharacterSheet& shown) {
    VersionsDialog dialog{sheetPath, shown, nullptr, {}, {}, std::nullopt};
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    DialogBoxParamA(instance, "VERSIONSDLG", owner, versionsDialogProc, reinterpret_cast<LPARAM>(&dialog));
    return std::move(dialog.chosen);
}
