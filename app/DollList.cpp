#include "app/DollList.h"

#include "app/DollListPlace.h"
#include "app/DollListWorker.h"
#include "app/ProgramStart.h"
#include "app/SheetDocument.h"
#include "app/SheetSharing.h"
#include "app/StatusBar.h"
#include "app/WaysIn.h"
#include "editor/ControlText.h"
#include "editor/OwnerDataList.h"
#include "editor/WindowsText.h"
#include "export/SheetOutputs.h"
#include "res/resource.h"
#include "sheet/CharacterSheet.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace {

// The main window's property that holds its doll list.
constexpr char dollListProperty[] = "VelmoraDollList";
// Posted to itself when rows painted lacked their thumbnails: they are
// asked for once the painting is done, for the rows then in view.
constexpr UINT askThumbnailsMessage = WM_APP + 41;

// The thumbnails of the rows last seen, a few screenfuls of them, in the
// list's image list; image 0 is the blank frame. The rest are made again
// when they come back into view.
struct ThumbnailCache {
    HIMAGELIST images = nullptr;
    PictureSize box;
    std::size_t capacity = 0;
    std::unordered_map<std::string, int> imageOf; // relative path -> image
    std::vector<std::string> holder;              // image -> relative path
    std::vector<std::uint64_t> lastShown;         // image -> when
    std::uint64_t now = 0;
    std::unordered_set<std::string> blank; // made: no portrait
    std::unordered_set<std::string> asked; // wished and not made yet
    bool askPosted = false;
};

// What one opening of the list shows.
struct DollList {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::string folder; // UTF-8
    DollOrder order;
    std::vector<DollRow> rows;
    std::vector<FoldedDoll> folded;                     // folded[i] is rows[i]'s
    std::unordered_map<std::string, std::size_t> rowOf; // relative path -> row
    std::vector<std::size_t> shown;                     // the rows in the list, in order
    FoldedWords words;
    std::size_t notSheets = 0;
    std::vector<std::string> unreadableFolders;
    bool firstSelected = false;
    // Copies just made: the selection once they are read.
    std::vector<std::string> selectAfter;
    // What the last command did, shown before the count until the next
    // command, search or folder.
    std::string outcome;
    ThumbnailCache thumbnails;
    SIZE designSize{};              // the template's client size, in pixels
    std::vector<RECT> designed;     // each of controlPlaces's, in pixels
    std::optional<RECT> startPlace; // as kept; none the first time
    std::unique_ptr<DollListWorker> worker;
};

struct DollColumnShown {
    const char* title;
    int width; // dialog units
    std::string (*text)(const DollRow& row);
};

constexpr std::array<DollColumnShown, dollColumnCount> dollColumns = {{
    {"ドール名", 90, dollRowName},
    {"ポジション", 46, [](const DollRow& row) { return row.summary.position; }},
    {"メインクラス", 46, [](const DollRow& row) { return row.summary.mainClass; }},
    {"サブクラス", 46, [](const DollRow& row) { return row.summary.subClass; }},
    {"プレイヤー名", 50, [](const DollRow& row) { return row.summary.playerName; }},
    {"ファイル", 80, dollRowFile},
    {"更新日時", 66, dollRowDate},
}};

// How each control follows the window's size: its template place moves
// right and down with the window's growth, or stretches with it.
struct ControlPlace {
    int id;
    bool followsRight, followsBottom, stretchesWide, stretchesTall;
};

constexpr ControlPlace controlPlaces[] = {
    {IDC_DOLL_SEARCH, false, false, false, false},
    {IDC_DOLL_ROWS, false, false, true, true},
    {IDC_DOLL_SUMMARY, false, true, true, false},
    {IDC_DOLL_FOLDER, false, true, false, false},
    {IDOK, true, true, false, false},
    {IDCANCEL, true, true, false, false},
};

HWND rowList(const DollList& list) {
    return GetDlgItem(list.window, IDC_DOLL_ROWS);
}

std::string shownFolderPath(const std::string& utf8) {
    return shownPath(wideOfUtf8(utf8));
}

std::wstring wideFilePath(const DollList& list, const std::string& relativePath) {
    return wideOfUtf8(dollFilePath(list.folder, relativePath));
}

// ---- Thumbnails ----

// A bitmap of the thumbnail's size, drawn by `draw` into its pixels.
HBITMAP boxBitmap(PictureSize box,
                  const std::function<void(std::uint8_t* pixels, std::size_t stride)>& draw) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = box.width;
    format.bmiHeader.biHeight = box.height; // bottom-up, as the decoder lays rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr)
        draw(static_cast<std::uint8_t*>(bits), (static_cast<std::size_t>(box.width) * 3 + 3) / 4 * 4);
    return bitmap;
}

// The black frame round the portrait, as the sheet's own frame is drawn.
void drawFrame(std::uint8_t* pixels, std::size_t stride, PictureSize box) {
    for (int y = 0; y < box.height; ++y) {
        for (int x = 0; x < box.width; ++x) {
            if (x == 0 || y == 0 || x == box.width - 1 || y == box.height - 1)
                std::fill_n(pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3,
                            3, 0);
        }
    }
}

HBITMAP thumbnailBitmap(PictureSize box, const Thumbnail* thumbnail) {
    return boxBitmap(box, [box, thumbnail](std::uint8_t* pixels, std::size_t stride) {
        const std::size_t bytes = stride * static_cast<std::size_t>(box.height);
        if (thumbnail != nullptr && thumbnail->size.width == box.width &&
            thumbnail->size.height == box.height && thumbnail->pixels.size() >= bytes)
            std::copy_n(thumbnail->pixels.begin(), bytes, pixels);
        else
            std::fill_n(pixels, bytes, 0xFF);
        drawFrame(pixels, stride, box);
    });
}

// About 48 x 64 at 96 dots an inch, scaled with the screen.
PictureSize screenThumbnailSize() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return {MulDiv(dollThumbnailSize.width, dpi, 96), MulDiv(dollThumbnailSize.height, dpi, 96)};
}

void createThumbnails(DollList& list) {
    ThumbnailCache& cache = list.thumbnails;
    cache.box = screenThumbnailSize();
    // Four screens full of rows.
    cache.capacity =
        4 * static_cast<std::size_t>(std::max(16, GetSystemMetrics(SM_CYSCREEN) / cache.box.height));
    cache.images =
        ImageList_Create(cache.box.width, cache.box.height, ILC_COLOR24, 1, static_cast<int>(cache.capacity));
    HBITMAP blank = thumbnailBitmap(cache.box, nullptr);
    ImageList_Add(cache.images, blank, nullptr);
    DeleteObject(blank);
    cache.holder.assign(1, std::string());
    cache.lastShown.assign(1, 0);
    // The list owns the image list from here on and destroys it with itself.
    ListView_SetImageList(rowList(list), cache.images, LVSIL_SMALL);
}

void forgetThumbnail(ThumbnailCache& cache, const std::string& relativePath) {
    cache.blank.erase(relativePath);
    cache.asked.erase(relativePath);
    const auto found = cache.imageOf.find(relativePath);
    if (found == cache.imageOf.end())
        return;
    cache.holder[static_cast<std::size_t>(found->second)].clear();
    cache.lastShown[static_cast<std::size_t>(found->second)] = 0;
    cache.imageOf.erase(found);
}

void forgetThumbnails(ThumbnailCache& cache) {
    std::fill(cache.holder.begin(), cache.holder.end(), std::string());
    std::fill(cache.lastShown.begin(), cache.lastShown.end(), 0);
    cache.imageOf.clear();
    cache.blank.clear();
    cache.asked.clear();
}

// An image for a new thumbnail: a new one while there is room, else the
// one shown longest ago.
int freeImage(ThumbnailCache& cache) {
    if (cache.holder.size() <= cache.capacity) {
        cache.holder.emplace_back();
        cache.lastShown.push_back(0);
        return -1;
    }
    const auto oldest = std::min_element(cache.lastShown.begin() + 1, cache.lastShown.end());
    const auto image = static_cast<std::size_t>(oldest - cache.lastShown.begin());
    cache.imageOf.erase(cache.holder[image]);
    return static_cast<int>(image);
}

void keepThumbnail(ThumbnailCache& cache, DollThumbnailMade& made) {
    forgetThumbnail(cache, made.relativePath);
    if (!made.thumbnail) {
        cache.blank.insert(made.relativePath);
        return;
    }
    HBITMAP bitmap = thumbnailBitmap(cache.box, &*made.thumbnail);
    int image = freeImage(cache);
    if (image < 0)
        image = ImageList_Add(cache.images, bitmap, nullptr);
    else
        ImageList_Replace(cache.images, image, bitmap, nullptr);
    DeleteObject(bitmap);
    if (image <= 0)
        return;
    cache.holder[static_cast<std::size_t>(image)] = made.relativePath;
    cache.lastShown[static_cast<std::size_t>(image)] = ++cache.now;
    cache.imageOf[made.relativePath] = image;
}

// The image of a row being painted; the blank frame until its thumbnail is
// made, which is then asked for.
int thumbnailImage(DollList& list, const DollRow& row) {
    ThumbnailCache& cache = list.thumbnails;
    const auto found = cache.imageOf.find(row.relativePath);
    if (found != cache.imageOf.end()) {
        cache.lastShown[static_cast<std::size_t>(found->second)] = ++cache.now;
        return found->second;
    }
    if (!cache.blank.contains(row.relativePath) && !cache.askPosted)
        cache.askPosted = PostMessageA(list.window, askThumbnailsMessage, 0, 0) != 0;
    return 0;
}

// The rows in view that lack their thumbnails; nothing when each of them is
// on its way already.
void askForThumbnails(DollList& list) {
    ThumbnailCache& cache = list.thumbnails;
    cache.askPosted = false;
    HWND rows = rowList(list);
    const int top = ListView_GetTopIndex(rows);
    const int perPage = ListView_GetCountPerPage(rows) + 1;
    std::vector<ThumbnailWish> wishes;
    for (int at = std::max(0, top); at < top + perPage && static_cast<std::size_t>(at) < list.shown.size();
         ++at) {
        const DollRow& row = list.rows[list.shown[static_cast<std::size_t>(at)]];
        if (!cache.imageOf.contains(row.relativePath) && !cache.blank.contains(row.relativePath))
            wishes.push_back({row.relativePath, row.summary.portraitPath});
    }
    if (std::all_of(wishes.begin(), wishes.end(),
                    [&cache](const ThumbnailWish& wish) { return cache.asked.contains(wish.relativePath); }))
        return;
    cache.asked.clear();
    for (const ThumbnailWish& wish : wishes)
        cache.asked.insert(wish.relativePath);
    list.worker->wishThumbnails(std::move(wishes));
}

// ---- Rows, order and search ----

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

// After every change of the search the first row is selected and shown.
void showSearched(DollList& list) {
    list.outcome.clear();
    list.words = searchWords(readControlText(GetDlgItem(list.window, IDC_DOLL_SEARCH)));
    findShown(list);
    showRows(rowList(list), list.shown.size(), true);
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

void putRow(DollList& list, DollRow& row) {
    forgetThumbnail(list.thumbnails, row.relativePath);
    FoldedDoll folded = foldDoll(row);
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

// Rows read after the screenful in view leave it as it is painted.
void takeNews(DollList& list) {
    DollNews news = list.worker->takeNews();
    const bool rowsChanged = !news.rows.empty() || !news.gone.empty();
    const std::vector<std::string> selected = rowsChanged ? selectedFiles(list) : std::vector<std::string>();
    const FilesInView before = rowsChanged ? filesInView(list) : FilesInView{};
    const bool reread = rowsChanged && rereadInView(before, news.rows);
    for (const std::string& gone : news.gone)
        removeRow(list, gone);
    for (DollRow& row : news.rows)
        putRow(list, row);
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

// ---- Reading a folder ----

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

int CALLBACK startInFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
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

// ---- Commands on the selected dolls ----

// A doll a command acts on, as the player chose it: its file and how the
// row showed the file. A box that the command shows runs the list's
// messages, and the rows may change under it; these do not.
struct ChosenDoll {
    std::string relativePath;
    FileLook look;
};

std::vector<ChosenDoll> chosenDolls(const DollList& list) {
    std::vector<ChosenDoll> dolls;
    for (std::string& file : selectedFiles(list)) {
        const FileLook look = list.rows[list.rowOf.at(file)].look;
        dolls.push_back({std::move(file), look});
    }
    return dolls;
}

// Whether the file is still the one chosen, looked at just before a
// command acts on it: below the folder, there, and of the size and time the
// row showed. Anything else (gone, renamed, another file in its place) is
// left alone.
bool stillChosen(const DollList& list, const ChosenDoll& doll) {
    if (!namesFileBelowFolder(doll.relativePath))
        return false;
    const FileLook now = lookAtUtf8File(dollFilePath(list.folder, doll.relativePath));
    return now.kind == FileLook::Kind::file && now == doll.look;
}

std::string fileNameOf(const std::string& relativePath) {
    return relativePath.substr(relativePath.find_last_of('\\') + 1);
}

std::string folderPartOf(const std::string& relativePath) {
    const std::size_t separator = relativePath.find_last_of('\\');
    return separator == std::string::npos ? std::string() : relativePath.substr(0, separator + 1);
}

// The files a command names in a question or an outcome: one by its name,
// several by their number.
std::string dollsNamed(const std::vector<ChosenDoll>& dolls) {
    return dolls.size() == 1 ? shownFolderPath(fileNameOf(dolls.front().relativePath))
                             : std::to_string(dolls.size()) + " 個のシート";
}

// A box owned by the list leaves the main window enabled, and closing that
// window destroys the list while the box is open: the answer, or nothing
// once the list is gone, when the command must not go on.
std::optional<int> askInList(const DollList& list, const std::string& text, UINT style) {
    HWND window = list.window;
    const int answer = MessageBoxA(window, text.c_str(), "ドール一覧", style);
    if (IsWindow(window) == FALSE ||
        GetWindowLongPtrA(window, DWLP_USER) != reinterpret_cast<LONG_PTR>(&list))
        return std::nullopt;
    return answer;
}

// What a command did with each file it was given; the line under the list
// says it until the next command.
struct DollsActedOn {
    std::vector<ChosenDoll> done, deleted, left, failed;
};

void tellOutcome(DollList& list, const DollsActedOn& acted, const char* doneText, const char* failedText) {
    const std::pair<const std::vector<ChosenDoll>*, const char*> parts[] = {
        {&acted.done, doneText},
        {&acted.deleted, "を完全に削除しました"},
        {&acted.left, "は選んだ後で変わったため、そのままにしました"},
        {&acted.failed, failedText},
    };
    list.outcome.clear();
    for (const auto& [dolls, text] : parts) {
        if (!dolls->empty())
            list.outcome += (list.outcome.empty() ? "" : " ･ ") + dollsNamed(*dolls) + " " + text;
    }
    showSummary(list);
}

// As Explorer starts the program for a sheet: a name that code page 932
// cannot hold is refused as the command line refuses it.
void openInNewWindow(const std::wstring& path) {
    const std::optional<std::string> narrow = narrowPath(path);
    if (!narrow || !openInOwnWindow(path))
        showOpenFailedMessage(shownPath(path));
}

void openSelected(DollList& list, bool newWindow) {
    const std::vector<ChosenDoll> dolls = chosenDolls(list);
    if (dolls.empty() || !namesFileBelowFolder(dolls.front().relativePath))
        return;
    const std::wstring path = wideFilePath(list, dolls.front().relativePath);
    if (newWindow)
        openInNewWindow(path);
    else
        openSheetHere(list.owner, path);
}

bool fileIsAt(const DollList& list, const std::string& relativePath) {
    return GetFileAttributesW(wideFilePath(list, relativePath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Copies beside each original; the first that cannot be made stops the
// rest, and its box is the command's last step.
void duplicateSelected(DollList& list) {
    DollsActedOn acted;
    std::vector<std::string> copies;
    for (const ChosenDoll& doll : chosenDolls(list)) {
        if (!acted.failed.empty() || !stillChosen(list, doll)) {
            (acted.failed.empty() ? acted.left : acted.failed).push_back(doll);
            continue;
        }
        const std::string folder = folderPartOf(doll.relativePath);
        const std::string name = copyFileName(fileNameOf(doll.relativePath), [&](const std::string& taken) {
            return fileIsAt(list, folder + taken);
        });
        if (name.empty() || CopyFileW(wideFilePath(list, doll.relativePath).c_str(),
                                      wideFilePath(list, folder + name).c_str(), TRUE) == 0) {
            acted.failed.push_back(doll);
            continue;
        }
        acted.done.push_back(doll);
        copies.push_back(folder + name);
    }
    list.selectAfter = std::move(copies);
    list.worker->lookAgain();
    tellOutcome(list, acted, "を複製しました", "を複製できませんでした");
    if (!acted.failed.empty())
        askInList(list, shownFolderPath(acted.failed.front().relativePath) + " を複製できませんでした。",
                  MB_OK | MB_ICONWARNING);
}

std::optional<int> askToRecycle(const DollList& list, const std::vector<ChosenDoll>& dolls) {
    return askInList(list, dollsNamed(dolls) + " をごみ箱に移動しますか？",
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

std::optional<int> askToDeleteForGood(const DollList& list, const std::vector<ChosenDoll>& dolls) {
    return askInList(list, dollsNamed(dolls) + " はごみ箱に入らないため、完全に削除されます。削除しますか？",
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
}

// A share, a stick or a card has no Recycle Bin: the shell would delete
// from it for good.
bool hasRecycleBin(const std::wstring& path) {
    wchar_t volume[MAX_PATH] = {};
    return GetVolumePathNameW(path.c_str(), volume, MAX_PATH) != 0 && GetDriveTypeW(volume) == DRIVE_FIXED;
}

// Through the shell, with undo allowed. Should the shell find no Recycle
// Bin after all, it asks before deleting rather than deleting unasked.
void moveToRecycleBin(const DollList& list, const std::vector<ChosenDoll>& dolls, DollsActedOn& acted) {
    std::wstring from;
    for (const ChosenDoll& doll : dolls)
        from += wideFilePath(list, doll.relativePath) + L'\0';
    if (from.empty())
        return;
    from += L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = list.window;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
    for (const ChosenDoll& doll : dolls)
        (fileIsAt(list, doll.relativePath) ? acted.failed : acted.done).push_back(doll);
}

void deleteForGood(const DollList& list, const std::vector<ChosenDoll>& dolls, DollsActedOn& acted) {
    for (const ChosenDoll& doll : dolls) {
        if (!stillChosen(list, doll))
            acted.left.push_back(doll);
        else
            (DeleteFileW(wideFilePath(list, doll.relativePath).c_str()) != 0 ? acted.deleted : acted.failed)
                .push_back(doll);
    }
}

// The files still chosen, each where it can go: to the Recycle Bin, or
// deleted for good once that is asked.
struct RecycleSorting {
    std::vector<ChosenDoll> recyclable, notRecyclable;
};

RecycleSorting sortForRecycling(const DollList& list, const std::vector<ChosenDoll>& dolls,
                                DollsActedOn& acted) {
    RecycleSorting sorted;
    for (const ChosenDoll& doll : dolls) {
        if (!stillChosen(list, doll))
            acted.left.push_back(doll);
        else if (hasRecycleBin(wideFilePath(list, doll.relativePath)))
            sorted.recyclable.push_back(doll);
        else
            sorted.notRecyclable.push_back(doll);
    }
    return sorted;
}

void recycleSelected(DollList& list) {
    const std::vector<ChosenDoll> chosen = chosenDolls(list);
    if (chosen.empty() || askToRecycle(list, chosen) != IDYES)
        return;
    DollsActedOn acted;
    RecycleSorting sorted = sortForRecycling(list, chosen, acted);
    if (!sorted.notRecyclable.empty()) {
        const std::optional<int> forGood = askToDeleteForGood(list, sorted.notRecyclable);
        if (!forGood)
            return;
        if (*forGood == IDYES)
            deleteForGood(list, sorted.notRecyclable, acted);
        else
            acted.left.insert(acted.left.end(), sorted.notRecyclable.begin(), sorted.notRecyclable.end());
        // The box ran the folder's news: look at the others again too.
        std::erase_if(sorted.recyclable, [&](const ChosenDoll& doll) {
            const bool changed = !stillChosen(list, doll);
            if (changed)
                acted.left.push_back(doll);
            return changed;
        });
    }
    moveToRecycleBin(list, sorted.recyclable, acted);
    list.worker->lookAgain();
    tellOutcome(list, acted, "をごみ箱に移動しました", "を削除できませんでした");
    if (!acted.failed.empty())
        askInList(list, dollsNamed(acted.failed) + " を削除できませんでした。", MB_OK | MB_ICONWARNING);
}

// The selected sheets read in full, their portraits too; none when one of
// them cannot be read, which the user is told.
std::vector<std::unique_ptr<CharacterSheet>> readSelectedSheets(const DollList& list) {
    std::vector<std::unique_ptr<CharacterSheet>> sheets;
    for (const ChosenDoll& doll : chosenDolls(list)) {
        const std::wstring path = wideFilePath(list, doll.relativePath);
        auto sheet = std::make_unique<CharacterSheet>();
        if (!namesFileBelowFolder(doll.relativePath) ||
            !sheet->loadSheetCopy(path, narrowPath(path).value_or(std::string()))) {
            showOpenFailedMessage(shownPath(path));
            return {};
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

void copySelectedTexts(const DollList& list) {
    const std::vector<std::unique_ptr<CharacterSheet>> sheets = readSelectedSheets(list);
    if (sheets.empty())
        return;
    std::string texts;
    for (const auto& sheet : sheets) {
        std::string text = sheetText(*sheet);
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        texts += (texts.empty() ? "" : "\n\n") + text;
    }
    tellUser(copyToClipboard(list.window, texts + "\n") ? "クリップボードにコピーしました"
                                                        : "クリップボードにコピーできませんでした");
}

void openSelectedPage(const DollList& list) {
    const std::vector<std::unique_ptr<CharacterSheet>> sheets = readSelectedSheets(list);
    if (sheets.empty())
        return;
    std::vector<const CharacterSheet*> printed;
    for (const auto& sheet : sheets)
        printed.push_back(sheet.get());
    tellUser(openPrintablePage(printablePagePath("ドール一覧.txt"), sheetsPage(printed)));
}

void runDollCommand(DollList& list, int command) {
    switch (command) {
    case IDM_DOLL_OPEN: openSelected(list, false); break;
    case IDM_DOLL_OPEN_NEW_WINDOW: openSelected(list, true); break;
    case IDM_DOLL_DUPLICATE: duplicateSelected(list); break;
    case IDM_DOLL_RECYCLE: recycleSelected(list); break;
    case IDM_DOLL_COPY_TEXT: copySelectedTexts(list); break;
    case IDM_DOLL_OPEN_PAGE: openSelectedPage(list); break;
    }
}

// The list's keys, where the focus is in the list.
int commandOfKey(WORD key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_DELETE: return control ? 0 : IDM_DOLL_RECYCLE;
    case 'C': return control ? IDM_DOLL_COPY_TEXT : 0;
    case 'D': return control ? IDM_DOLL_DUPLICATE : 0;
    case 'P': return control ? IDM_DOLL_OPEN_PAGE : 0;
    }
    return 0;
}

void showDollMenu(DollList& list, HWND from, LPARAM at) {
    HWND rows = rowList(list);
    if (from != rows)
        return;
    POINT place = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1)
        place = keyboardMenuPlace(rows);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list.window, GWLP_HINSTANCE));
    HMENU menus = LoadMenuA(instance, "DOLLMENU");
    const int command = TrackPopupMenu(GetSubMenu(menus, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       place.x, place.y, 0, list.window, nullptr);
    DestroyMenu(menus);
    if (command != 0 && !selectedRows(rows).empty())
        runDollCommand(list, command);
}

// ---- The window ----

void addColumns(DollList& list) {
    HWND rows = rowList(list);
    ListView_SetExtendedListViewStyle(rows, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (const DollColumnShown& column : dollColumns)
        addListColumn(list.window, rows, column.title, column.width);
}

// Each control's template place, to move from as the window grows.
void keepDesignedPlaces(DollList& list) {
    RECT client;
    GetClientRect(list.window, &client);
    list.designSize = {client.right, client.bottom};
    for (const ControlPlace& place : controlPlaces) {
        RECT at;
        GetWindowRect(GetDlgItem(list.window, place.id), &at);
        MapWindowPoints(nullptr, list.window, reinterpret_cast<POINT*>(&at), 2);
        list.designed.push_back(at);
    }
}

void placeControls(const DollList& list, int width, int height) {
    if (list.designed.size() != std::size(controlPlaces))
        return;
    const int wider = width - list.designSize.cx, taller = height - list.designSize.cy;
    HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(controlPlaces)));
    for (std::size_t i = 0; i < std::size(controlPlaces); ++i) {
        const ControlPlace& place = controlPlaces[i];
        RECT at = list.designed[i];
        at.left += place.followsRight ? wider : 0;
        at.top += place.followsBottom ? taller : 0;
        at.right += place.followsRight || place.stretchesWide ? wider : 0;
        at.bottom += place.followsBottom || place.stretchesTall ? taller : 0;
        moves = DeferWindowPos(moves, GetDlgItem(list.window, place.id), nullptr, at.left, at.top,
                               at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(moves);
}

// No smaller than half its template.
void limitSize(const DollList& list, MINMAXINFO& limits) {
    RECT smallest = {0, 0, list.designSize.cx / 2, list.designSize.cy / 2};
    AdjustWindowRectEx(&smallest, static_cast<DWORD>(GetWindowLongPtrA(list.window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(list.window, GWL_EXSTYLE)));
    limits.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
}

void showPlace(const DollList& list) {
    if (const std::optional<RECT> place = list.startPlace)
        SetWindowPos(list.window, nullptr, place->left, place->top, place->right - place->left,
                     place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Its place as it is when neither minimised nor maximised.
void keepSettings(const DollList& list) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(list.window, &placement);
    keepDollListSettings({list.folder, placement.rcNormalPosition, list.order});
}

void initDollList(DollList& list) {
    SetPropA(list.owner, dollListProperty, list.window);
    addColumns(list);
    createThumbnails(list);
    keepDesignedPlaces(list);
    showPlace(list);
    startReading(list);
}

void closeDollList(DollList& list) {
    keepSettings(list);
    list.worker.reset();
    RemovePropA(list.owner, dollListProperty);
}

void onDollCommand(DollList& list, int id, int notification) {
    switch (id) {
    case IDC_DOLL_SEARCH:
        if (notification == EN_CHANGE)
            showSearched(list);
        break;
    case IDC_DOLL_FOLDER: chooseFolder(list); break;
    // Enter reaches the list as its default button; with Shift held, as
    // Explorer does, the doll opens in a window of its own.
    case IDOK: openSelected(list, GetKeyState(VK_SHIFT) < 0); break;
    case IDCANCEL: DestroyWindow(list.window); break;
    default: runDollCommand(list, id); break;
    }
}

void onRowsNotify(DollList& list, NMHDR& header) {
    if (header.idFrom != IDC_DOLL_ROWS)
        return;
    switch (header.code) {
    case LVN_GETDISPINFOA: giveRowText(list, reinterpret_cast<NMLVDISPINFOA&>(header)); break;
    case LVN_COLUMNCLICK: sortBy(list, reinterpret_cast<NMLISTVIEW&>(header).iSubItem); break;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
            openSelected(list, false);
        break;
    case LVN_KEYDOWN:
        if (const int command = commandOfKey(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey))
            runDollCommand(list, command);
        break;
    }
}

INT_PTR CALLBACK dollListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<DollList*>(lParam)->window = window;
    }
    auto* list = reinterpret_cast<DollList*>(GetWindowLongPtrA(window, DWLP_USER));
    if (list == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: initDollList(*list); return TRUE;
    case WM_COMMAND: onDollCommand(*list, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_NOTIFY: onRowsNotify(*list, *reinterpret_cast<NMHDR*>(lParam)); break;
    case WM_CONTEXTMENU: showDollMenu(*list, reinterpret_cast<HWND>(wParam), lParam); break;
    case WM_SIZE: placeControls(*list, LOWORD(lParam), HIWORD(lParam)); break;
    case WM_GETMINMAXINFO: limitSize(*list, *reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case dollNewsMessage: takeNews(*list); break;
    case askThumbnailsMessage: askForThumbnails(*list); break;
    case WM_DESTROY: closeDollList(*list); break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete list;
        break;
    }
    return FALSE;
}

} // namespace

void showDollList(HWND mainWindow) {
    if (HWND open = dollListOf(mainWindow)) {
        if (IsIconic(open))
            ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    auto list = std::make_unique<DollList>();
    list->owner = mainWindow;
    const DollListSettings settings = readDollListSettings();
    list->folder = startFolder(settings.folder, currentSheetPath);
    list->order = settings.order;
    list->startPlace = settings.place;
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    // The dialog owns the state from its creation on and deletes it as it goes.
    HWND window = CreateDialogParamA(instance, "DOLLLISTDLG", mainWindow, dollListProc,
                                     reinterpret_cast<LPARAM>(list.get()));
    if (window == nullptr)
        return;
    list.release();
    ShowWindow(window, SW_SHOW);
}

HWND dollListOf(HWND mainWindow) {
    return static_cast<HWND>(GetPropA(mainWindow, dollListProperty));
}

bool deliverToDollList(MSG& message) {
    HWND root = message.hwnd == nullptr ? nullptr : GetAncestor(message.hwnd, GA_ROOT);
    HWND owner = root == nullptr ? nullptr : GetWindow(root, GW_OWNER);
    if (owner == nullptr || dollListOf(owner) != root)
        return false;
    return IsDialogMessageA(root, &message) != FALSE;
}

std::size_t dollThumbnailBytes(HWND dollList) {
    const auto* list = reinterpret_cast<const DollList*>(GetWindowLongPtrA(dollList, DWLP_USER));
    if (list == nullptr)
        return 0;
    const ThumbnailCache& cache = list->thumbnails;
    const std::size_t stride = (static_cast<std::size_t>(cache.box.width) * 3 + 3) / 4 * 4;
    return static_cast<std::size_t>(ImageList_GetImageCount(cache.images)) * stride *
           static_cast<std::size_t>(cache.box.height);
}
