// The doll list's rows: the worker's news taken in, the rows shown in the
// order and search chosen with the same files kept selected, and a folder
// read from the start.
#include "dolls/DollListState.h"

#include "editor/ControlText.h"
#include "editor/OwnerDataList.h"
#include "res/resource.h"
#include "sheet/WindowsText.h"

#include <shlobj.h>

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace doll_list {

namespace {

std::string countText(const DollList& list) {
    std::string text =
        (list.outcome.empty() ? "" : list.outcome + " ･ ") + std::to_string(list.rows.size()) + " 体";
    if (!list.words.empty())
        text += "中 " + std::to_string(list.shown.size()) + " 体";
    if (list.notSheets > 0)
        text += " ･ シートでないファイル " + std::to_string(list.notSheets) + " 件";
    for (const std::string& folder : list.unreadableFolders)
        text += " ･ 読めないフォルダー " + shownFolderPath(dollFilePath(list.folder, folder));
    return text + " ･ " + shownFolderPath(list.folder);
}

void selectFiles(const DollList& list, const std::vector<std::string>& files) {
    const std::unordered_set<std::string> wanted(files.begin(), files.end());
    std::vector<int> rows;
    for (std::size_t at = 0; at < list.shown.size(); ++at) {
        if (wanted.contains(list.rows[list.shown[at]].relativePath))
            rows.push_back(static_cast<int>(at));
    }
    markSelection(rowList(list), rows);
}

void findShown(DollList& list) {
    list.shown = shownDolls(list.rows, list.folded, list.words, list.order);
}

// The positions in the list of the rows in view, from the top one.
std::pair<int, int> rowsInView(const DollList& list) {
    HWND rows = rowList(list);
    const int top = std::max(0, ListView_GetTopIndex(rows));
    return {top, std::min(top + ListView_GetCountPerPage(rows) + 1, static_cast<int>(list.shown.size()))};
}

const DollRow& shownRow(const DollList& list, int at) {
    return list.rows[list.shown[static_cast<std::size_t>(at)]];
}

struct FilesInView {
    int top = 0;
    std::vector<std::string> files;
    bool operator==(const FilesInView&) const = default;
};

FilesInView filesInView(const DollList& list) {
    const auto [top, end] = rowsInView(list);
    FilesInView inView{top, {}};
    for (int at = top; at < end; ++at)
        inView.files.push_back(shownRow(list, at).relativePath);
    return inView;
}

// The rows again after the folder or the order changed: the same files
// stay selected, and the list where it was scrolled. The caller paints
// the rows again where they changed.
void reshowKeepingSelection(DollList& list, std::vector<std::string> selected) {
    findShown(list);
    HWND rows = rowList(list);
    ListView_SetItemCountEx(rows, static_cast<int>(list.shown.size()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    const bool copiesArrived =
        !list.selectAfter.empty() &&
        std::all_of(list.selectAfter.begin(), list.selectAfter.end(),
                    [&list](const std::string& file) { return list.rowOf.contains(file); });
    if (copiesArrived)
        selected = std::exchange(list.selectAfter, {});
    if (!list.firstSelected && !list.shown.empty()) {
        list.firstSelected = true;
        markSelection(rows, {0});
    } else if (!selected.empty() && selected != selectedFiles(list)) {
        selectFiles(list, selected);
    }
    showSummary(list);
}

void removeRow(DollList& list, const std::string& relativePath) {
    const auto found = list.rowOf.find(relativePath);
    if (found == list.rowOf.end())
        return;
    const std::size_t at = found->second;
    list.rows[at] = std::move(list.rows.back());
    list.folded[at] = std::move(list.folded.back());
    list.rows.pop_back();
    list.folded.pop_back();
    list.rowOf.erase(found);
    if (at < list.rows.size())
        list.rowOf[list.rows[at].relativePath] = at;
    forgetThumbnail(list.thumbnails, relativePath);
}

void putRow(DollList& list, DollRow& row, FoldedDoll& folded) {
    forgetThumbnail(list.thumbnails, row.relativePath);
    const auto found = list.rowOf.find(row.relativePath);
    if (found != list.rowOf.end()) {
        list.rows[found->second] = std::move(row);
        list.folded[found->second] = std::move(folded);
        return;
    }
    list.rowOf.emplace(row.relativePath, list.rows.size());
    list.rows.push_back(std::move(row));
    list.folded.push_back(std::move(folded));
}

// Only the rows in view whose thumbnails came are painted again, not the
// whole list for each thumbnail.
void repaintThumbnailRows(const DollList& list, const std::vector<DollThumbnailMade>& made) {
    const auto [top, end] = rowsInView(list);
    for (int at = top; at < end; ++at) {
        const std::string& path = shownRow(list, at).relativePath;
        if (std::any_of(made.begin(), made.end(), [&path](const DollThumbnailMade& thumbnail) {
                return thumbnail.relativePath == path;
            }))
            ListView_RedrawItems(rowList(list), at, at);
    }
}

// Whether a row in view was read again: its place may stay, its texts not.
bool rereadInView(const FilesInView& inView, const std::vector<DollRow>& read) {
    return std::any_of(read.begin(), read.end(), [&inView](const DollRow& row) {
        return std::find(inView.files.begin(), inView.files.end(), row.relativePath) != inView.files.end();
    });
}

int CALLBACK startInFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

} // namespace

void showSummary(const DollList& list) {
    SetDlgItemTextA(list.window, IDC_DOLL_SUMMARY, countText(list).c_str());
}

std::vector<std::string> selectedFiles(const DollList& list) {
    std::vector<std::string> files;
    for (int row : selectedRows(rowList(list))) {
        if (static_cast<std::size_t>(row) < list.shown.size())
            files.push_back(list.rows[list.shown[static_cast<std::size_t>(row)]].relativePath);
    }
    return files;
}

// After every change of the search the first row is selected and shown.
void showSearched(DollList& list) {
    list.outcome.clear();
    list.words = searchWords(readControlText(GetDlgItem(list.window, IDC_DOLL_SEARCH)));
    findShown(list);
    showRows(rowList(list), list.shown.size(), true);
    showSummary(list);
}

// Rows read after the screenful in view leave it as it is painted.
void takeNews(DollList& list) {
    DollNews news = list.worker->takeNews();
    const bool rowsChanged = !news.rows.empty() || !news.gone.empty();
    const std::vector<std::string> selected = rowsChanged ? selectedFiles(list) : std::vector<std::string>();
    const FilesInView before = rowsChanged ? filesInView(list) : FilesInView{};
    const bool reread = rowsChanged && rereadInView(before, news.rows);
    for (const std::string& gone : news.gone)
        removeRow(list, gone);
    for (std::size_t at = 0; at < news.rows.size(); ++at)
        putRow(list, news.rows[at], news.folded[at]);
    for (DollThumbnailMade& made : news.thumbnails)
        keepThumbnail(list.thumbnails, made);
    if (news.walked) {
        list.notSheets = news.notSheets;
        list.unreadableFolders = std::move(news.unreadableFolders);
    }
    if (rowsChanged) {
        reshowKeepingSelection(list, selected);
        if (reread || filesInView(list) != before)
            InvalidateRect(rowList(list), nullptr, TRUE);
    } else if (!news.thumbnails.empty())
        repaintThumbnailRows(list, news.thumbnails);
    if (news.walked)
        showSummary(list);
    if (rowsChanged || news.walked)
        showList(list);
}

void giveRowText(DollList& list, NMLVDISPINFOA& request) {
    LVITEMA& item = request.item;
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= list.shown.size() || item.iSubItem < 0 ||
        static_cast<std::size_t>(item.iSubItem) >= dollColumns.size())
        return;
    const DollRow& row = list.rows[list.shown[static_cast<std::size_t>(item.iItem)]];
    if ((item.mask & LVIF_TEXT) != 0)
        lstrcpynA(item.pszText, dollColumns[static_cast<std::size_t>(item.iSubItem)].text(row).c_str(),
                  item.cchTextMax);
    if ((item.mask & LVIF_IMAGE) != 0 && item.iSubItem == 0)
        item.iImage = thumbnailImage(list, row);
}

// A second click on the column sorted by sorts the other way.
void sortBy(DollList& list, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= dollColumns.size())
        return;
    const auto chosen = static_cast<DollColumn>(column);
    list.order = {chosen,
                  list.order.column == chosen ? !list.order.descending : chosen == DollColumn::updated};
    reshowKeepingSelection(list, selectedFiles(list));
    InvalidateRect(rowList(list), nullptr, TRUE);
    const std::vector<int> selected = selectedRows(rowList(list));
    if (!selected.empty())
        ListView_EnsureVisible(rowList(list), selected.front(), FALSE);
}

void startReading(DollList& list) {
    list.worker.reset();
    list.rows.clear();
    list.folded.clear();
    list.rowOf.clear();
    list.shown.clear();
    list.notSheets = 0;
    list.unreadableFolders.clear();
    list.firstSelected = false;
    list.outcome.clear();
    forgetThumbnails(list.thumbnails);
    showRows(rowList(list), 0, false);
    const std::string caption = "ドール一覧 - " + shownFolderPath(list.folder);
    SetWindowTextA(list.window, caption.c_str());
    showSummary(list);
    list.worker = std::make_unique<DollListWorker>(list.window, list.folder, list.order, list.thumbnails.box);
}

void chooseFolder(DollList& list) {
    const std::wstring start = wideOfUtf8(list.folder);
    BROWSEINFOW browse{};
    browse.hwndOwner = list.window;
    browse.lpszTitle = L"ドールのシートがあるフォルダーを選んでください";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = startInFolder;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return;
    wchar_t path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!named)
        return;
    list.folder = utf8OfWide(path);
    startReading(list);
}

} // namespace doll_list
