#pragma once

// What one opening of the doll list holds, and the steps its window, its
// rows and thumbnails and its commands take on it. Only the doll list's own
// files include this.

#include "dolls/DollFolder.h"
#include "dolls/DollListOwner.h"
#include "dolls/DollListWorker.h"
#include "editor/DialogLayout.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace doll_list {

// Posted to itself when rows painted lacked their thumbnails: they are
// asked for once the painting is done, for the rows then in view.
constexpr UINT askThumbnailsMessage = WM_APP + 41;
// Posted by the thread that saves the party's piece: wParam dolls of lParam
// done; then once it is done.
constexpr UINT pieceProgressMessage = WM_APP + 42;
constexpr UINT pieceSavedMessage = WM_APP + 43;

struct PartyPiece;

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
    std::unique_ptr<DollListOwner> host; // speaks for `owner`
    std::string folder;                  // UTF-8
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
    DialogLayout layout;
    std::optional<RECT> startPlace; // as kept; none the first time
    std::unique_ptr<DollListWorker> worker;
    std::shared_ptr<PartyPiece> piece; // while the party's piece is saved
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

HWND rowList(const DollList& list);
// A UTF-8 path as the user is shown it.
std::string shownFolderPath(const std::string& utf8);
std::wstring wideFilePath(const DollList& list, const std::string& relativePath);

// ---- Thumbnails (DollListThumbnails.cpp) ----

void createThumbnails(DollList& list);
void forgetThumbnail(ThumbnailCache& cache, const std::string& relativePath);
void forgetThumbnails(ThumbnailCache& cache);
void keepThumbnail(ThumbnailCache& cache, DollThumbnailMade& made);
// The image of a row being painted; the blank frame until its thumbnail is
// made, which is then asked for.
int thumbnailImage(DollList& list, const DollRow& row);
// The rows in view that lack their thumbnails; nothing when each of them is
// on its way already.
void askForThumbnails(DollList& list);
// What the list holds in memory as thumbnails, in bytes.
std::size_t thumbnailBytes(const ThumbnailCache& cache);

// Shows the window made hidden: once the first rows are read, so that its
// first paint shows them, or after a moment, when the reading is slow.
void showList(DollList& list);

// ---- Rows, order, search and the folder read (DollListRows.cpp) ----

void showSummary(const DollList& list);
std::vector<std::string> selectedFiles(const DollList& list);
// After every change of the search the first row is selected and shown.
void showSearched(DollList& list);
// The worker's news: rows read, gone, thumbnails made.
void takeNews(DollList& list);
void giveRowText(DollList& list, NMLVDISPINFOA& request);
// A second click on the column sorted by sorts the other way.
void sortBy(DollList& list, int column);
void startReading(DollList& list);
void chooseFolder(DollList& list);

// ---- Commands on the selected dolls (DollListCommands.cpp) ----

void openSelected(DollList& list, bool newWindow);
void runDollCommand(DollList& list, int command);
// The list's keys, where the focus is in the list.
int commandOfKey(WORD key);
void showDollMenu(DollList& list, HWND from, LPARAM at);

// ---- The party's piece (DollListPiece.cpp) ----

// Asks where, then saves the selected dolls' piece on a thread of its own.
void savePartyPiece(DollList& list);
void showPieceProgress(DollList& list, std::size_t done, std::size_t total);
void takeSavedPiece(DollList& list);
// Tells a save under way to stop; answers whether one was.
bool stopPartyPiece(DollList& list);

} // namespace doll_list
