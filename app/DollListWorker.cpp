#include "app/DollListWorker.h"

#include "editor/WindowsText.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

namespace {

// Quiet this long after a change before the folder is walked again: a sync
// or a save touches a file several times in a row.
constexpr DWORD settleMilliseconds = 300;
// Where the folder cannot be followed (a share that tells nothing), it is
// walked this often.
constexpr DWORD pollMilliseconds = 2000;

// The first this many rows read go to the window each as it is read, the
// rest at most this often.
constexpr std::size_t firstScreenful = 24;
constexpr std::uint64_t batchMilliseconds = 100;

constexpr DWORD followedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                  FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

template <class Value> std::vector<Value> valuesOf(const std::map<std::string, Value>& byPath) {
    std::vector<Value> values;
    values.reserve(byPath.size());
    for (const auto& [path, value] : byPath)
        values.push_back(value);
    return values;
}

} // namespace

DollListWorker::DollListWorker(HWND window, std::string folder, DollOrder order, PictureSize box)
    : window(window), folder(std::move(folder)), order(order), box(box),
      wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    reader = std::thread([this] {
        walkAndRead();
        followFolder();
    });
    // Decoding a photograph is most of a thumbnail: a second painter halves
    // the wait for a screenful where there is a core for it.
    const unsigned painterCount = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    for (unsigned i = 0; i < painterCount; ++i)
        painters.emplace_back([this] { makeThumbnails(); });
}

DollListWorker::~DollListWorker() {
    stop = true;
    SetEvent(wake);
    {
        const std::lock_guard lock(mutex);
        wished.notify_all();
    }
    reader.join();
    for (std::thread& painter : painters)
        painter.join();
    CloseHandle(wake);
}

DollNews DollListWorker::takeNews() {
    const std::lock_guard lock(mutex);
    newsPosted = false;
    return std::exchange(news, DollNews{});
}

void DollListWorker::wishThumbnails(std::vector<ThumbnailWish> wanted) {
    const std::lock_guard lock(mutex);
    // The ones being made come anyway.
    std::erase_if(wanted, [this](const ThumbnailWish& wish) {
        return std::find(making.begin(), making.end(), wish.relativePath) != making.end();
    });
    wishes = std::move(wanted);
    wished.notify_all();
}

void DollListWorker::lookAgain() {
    SetEvent(wake);
}

// A message already on its way carries this news as well. Once the window
// is gone no message is posted, and the news stays here until the worker
// goes.
void DollListWorker::deliver(const std::function<void(DollNews&)>& add) {
    const std::lock_guard lock(mutex);
    add(news);
    if (!newsPosted)
        newsPosted = PostMessageA(window, dollNewsMessage, 0, 0) != 0;
}

void DollListWorker::deliverRows(std::vector<DollRow>& batch) {
    if (batch.empty())
        return;
    deliver(
        [&batch](DollNews& news) { std::move(batch.begin(), batch.end(), std::back_inserter(news.rows)); });
    batch.clear();
}

void DollListWorker::walkAndRead() {
    FolderWalk walk = walkDollFolder(folder, listFolder, stop);
    orderForReading(walk.files, order);
    readChanges(walk);
}

void DollListWorker::readChanges(const FolderWalk& walk) {
    std::map<std::string, DollRow> rows;
    for (DollRow& row : known)
        rows.emplace(row.relativePath, std::move(row));
    std::map<std::string, FoundSheetFile> others;
    for (FoundSheetFile& file : notSheets)
        others.emplace(file.relativePath, std::move(file));
    const FolderChanges changes = changesSince(valuesOf(rows), valuesOf(others), walk);
    std::vector<std::string> gone;
    for (const std::string& path : changes.gone) {
        if (rows.erase(path) > 0)
            gone.push_back(path);
        others.erase(path);
    }
    deliver([&gone](DollNews& news) { news.gone.insert(news.gone.end(), gone.begin(), gone.end()); });
    // The first screenful goes row by row, to show as soon as it is read;
    // the rest in batches, so that the window orders its rows again a few
    // times a second, not for every row, and not while it waits for the
    // thumbnails of the rows in view.
    std::vector<DollRow> batch;
    std::size_t sheetsRead = 0;
    std::uint64_t delivered = 0;
    for (const FoundSheetFile& file : changes.toRead) {
        if (stop)
            break;
        DollRow row{file.relativePath, file.look, {}};
        const DollRead read = readDollSheet(dollFilePath(folder, file.relativePath), row.summary);
        const bool wasRow = rows.erase(file.relativePath) > 0;
        others.erase(file.relativePath);
        if (read == DollRead::sheet) {
            rows.emplace(file.relativePath, row);
            batch.push_back(std::move(row));
            if (++sheetsRead <= firstScreenful ||
                (GetTickCount64() - delivered >= batchMilliseconds && !makingThumbnails())) {
                deliverRows(batch);
                delivered = GetTickCount64();
            }
            continue;
        }
        if (read == DollRead::notSheet)
            others.emplace(file.relativePath, file);
        if (wasRow)
            deliver([&file](DollNews& news) { news.gone.push_back(file.relativePath); });
    }
    deliverRows(batch);
    known = valuesOf(rows);
    notSheets = valuesOf(others);
    deliver([this, &walk](DollNews& news) {
        news.walked = true;
        news.notSheets = notSheets.size();
        news.unreadableFolders = walk.unreadableFolders;
    });
}

// Changes come while the list is open: each, once the folder has been quiet
// for a moment, walks it again and reads what changed.
void DollListWorker::followFolder() {
    HANDLE change = FindFirstChangeNotificationW(wideOfUtf8(folder).c_str(), TRUE, followedChanges);
    const bool followed = change != INVALID_HANDLE_VALUE;
    const HANDLE handles[2] = {wake, change};
    while (!stop) {
        const DWORD got =
            WaitForMultipleObjects(followed ? 2 : 1, handles, FALSE, followed ? INFINITE : pollMilliseconds);
        if (stop)
            break;
        if (got == WAIT_OBJECT_0 + 1) {
            do
                FindNextChangeNotification(change);
            while (!stop &&
                   WaitForMultipleObjects(2, handles, FALSE, settleMilliseconds) == WAIT_OBJECT_0 + 1);
        }
        if (stop)
            break;
        walkAndRead();
    }
    if (followed)
        FindCloseChangeNotification(change);
}

bool DollListWorker::makingThumbnails() {
    const std::lock_guard lock(mutex);
    return !wishes.empty() || !making.empty();
}

void DollListWorker::makeThumbnails() {
    while (true) {
        ThumbnailWish wish;
        {
            std::unique_lock lock(mutex);
            wished.wait(lock, [this] { return stop || !wishes.empty(); });
            if (stop)
                return;
            wish = std::move(wishes.front());
            wishes.erase(wishes.begin());
            making.push_back(wish.relativePath);
        }
        DollThumbnailMade made{wish.relativePath, makeThumbnail(dollFilePath(folder, wish.relativePath),
                                                                wish.portraitPath, box)};
        deliver([this, &made](DollNews& news) {
            news.thumbnails.push_back(std::move(made));
            making.erase(std::find(making.begin(), making.end(), made.relativePath));
        });
    }
}
