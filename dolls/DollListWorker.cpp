#include "dolls/DollListWorker.h"

#include "sheet/WindowsText.h"

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// Quiet this long after a change before the folder is walked again: a sync
// or a save touches a file several times in a row.
constexpr DWORD settleMilliseconds = 300;
// Where the folder cannot be followed (a share that tells nothing), it is
// walked this often.
constexpr DWORD pollMilliseconds = 2000;

// The first this many rows read go to the window together, or each as it
// is read once the reading has taken this long; the rest at most this often.
constexpr std::size_t firstScreenful = 24;
constexpr std::uint64_t firstRowsMilliseconds = 50;
constexpr std::uint64_t batchMilliseconds = 250;
// Once the window has taken the first screenful, the first reading waits at
// most this long for it to paint them and wish their thumbnails; and at most
// this long, from the window's wish, for the thumbnails of the rows in view.
constexpr auto firstPaintFor = std::chrono::milliseconds(250);
constexpr auto thumbnailsFirstFor = std::chrono::milliseconds(500);

// Closing the list waits no longer than this for its threads.
constexpr DWORD stopWaitMilliseconds = 250;

constexpr DWORD followedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                  FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

template <class Value> std::vector<Value> valuesOf(const std::map<std::string, Value>& byPath) {
    std::vector<Value> values;
    values.reserve(byPath.size());
    for (const auto& [path, value] : byPath)
        values.push_back(value);
    return values;
}

// The sheets one reading reads, each taken by whichever of the reader and
// its second taker comes first; the reader takes their rows in the
// folder's order as they are done.
struct SheetReads {
    explicit SheetReads(const std::vector<FoundSheetFile>& files)
        : files(files), reads(files.size()), summaries(files.size()), folded(files.size()),
          done(files.size()) {}

    const std::vector<FoundSheetFile>& files;
    std::atomic<std::size_t> next{0};
    std::vector<DollRead> reads;
    std::vector<DollSummary> summaries;
    std::vector<FoldedDoll> folded;
    std::vector<std::atomic<bool>> done;
};

// Rows read and not yet handed to the window, each with its folded texts.
struct RowBatch {
    std::vector<DollRow> rows;
    std::vector<FoldedDoll> folded;
};

} // namespace

// Everything the threads use, kept alive by each of them and by the window's
// handle, so that a thread that outlives the window touches nothing freed.
class DollListReading : public std::enable_shared_from_this<DollListReading> {
public:
    DollListReading(HWND window, std::string folder, DollOrder order, PictureSize box);
    ~DollListReading();
    DollListReading(const DollListReading&) = delete;
    DollListReading& operator=(const DollListReading&) = delete;

    void start();
    void stopAndWaitAMoment();
    DollNews takeNews();
    void wishThumbnails(std::vector<ThumbnailWish> wishes);
    void lookAgain();

private:
    void run(void (DollListReading::*work)());
    void readAndFollow();
    void walkAndRead();
    void readChanges(const FolderWalk& walk);
    bool readNextSheet(SheetReads& sheets);
    void readBeside(const std::shared_ptr<SheetReads>& sheets);
    void followFolder(HANDLE change);
    bool makingThumbnails();
    void waitForTheFirstPaint();
    void waitForThumbnailsInView();
    void makeThumbnails();
    void deliver(const std::function<void(DollNews&)>& add);
    void deliverRows(RowBatch& batch, bool endsTheFirstScreenful = false);

    const HWND window;
    const std::string folder;
    const DollOrder order;
    const PictureSize box;
    std::atomic<bool> stop{false};
    HANDLE wake; // set to stop, or to walk again at once

    // The reader's own: what it has read, to tell what changed.
    std::vector<DollRow> known;
    std::vector<FoundSheetFile> notSheets;
    bool walked = false;

    std::mutex mutex; // guards the members below
    DollNews news;
    bool newsPosted = false;
    std::vector<ThumbnailWish> wishes;
    std::vector<std::string> making; // the relative paths whose thumbnails are being made
    std::chrono::steady_clock::time_point wishedAt;
    std::uint64_t wishCount = 0;
    // The first reading's first screenful: the wishes before it, whether it
    // went, when the window took it, and whether it has painted it.
    std::uint64_t wishesBeforeTheFirstRows = 0;
    bool firstRowsSent = false;
    std::optional<std::chrono::steady_clock::time_point> firstRowsTakenAt;
    bool firstRowsPainted = false;
    std::condition_variable wished; // a wish came, or every wish was made
    int running = 0;                // threads not yet ended
    HANDLE allEnded;                // set once running is 0
};

DollListReading::DollListReading(HWND window, std::string folder, DollOrder order, PictureSize box)
    : window(window), folder(std::move(folder)), order(order), box(box),
      wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      allEnded(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DollListReading::~DollListReading() {
    CloseHandle(wake);
    CloseHandle(allEnded);
}

void DollListReading::start() {
    run(&DollListReading::readAndFollow);
    // Decoding a photograph is most of a thumbnail: a second painter halves
    // the wait for a screenful where there is a core for it.
    const unsigned painterCount = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    for (unsigned i = 0; i < painterCount; ++i)
        run(&DollListReading::makeThumbnails);
}

// Each thread holds the reading alive until it ends, and is never joined.
void DollListReading::run(void (DollListReading::*work)()) {
    {
        const std::lock_guard lock(mutex);
        ++running;
    }
    std::thread([self = shared_from_this(), work] {
        (self.get()->*work)();
        const std::lock_guard lock(self->mutex);
        if (--self->running == 0)
            SetEvent(self->allEnded);
    }).detach();
}

void DollListReading::stopAndWaitAMoment() {
    stop = true;
    SetEvent(wake);
    {
        const std::lock_guard lock(mutex);
        wished.notify_all();
    }
    WaitForSingleObject(allEnded, stopWaitMilliseconds);
}

DollNews DollListReading::takeNews() {
    const std::lock_guard lock(mutex);
    newsPosted = false;
    if (firstRowsSent && !firstRowsTakenAt && !news.rows.empty())
        firstRowsTakenAt = std::chrono::steady_clock::now();
    return std::exchange(news, DollNews{});
}

void DollListReading::wishThumbnails(std::vector<ThumbnailWish> wanted) {
    const std::lock_guard lock(mutex);
    // The ones being made come anyway.
    std::erase_if(wanted, [this](const ThumbnailWish& wish) {
        return std::find(making.begin(), making.end(), wish.relativePath) != making.end();
    });
    wishes = std::move(wanted);
    wishedAt = std::chrono::steady_clock::now();
    ++wishCount;
    wished.notify_all();
}

void DollListReading::lookAgain() {
    SetEvent(wake);
}

// A message already on its way carries this news as well. Once the window
// has let the reading go no message is posted, and the news stays here
// until the last thread ends.
void DollListReading::deliver(const std::function<void(DollNews&)>& add) {
    const std::lock_guard lock(mutex);
    add(news);
    if (!newsPosted && !stop)
        newsPosted = PostMessageA(window, dollNewsMessage, 0, 0) != 0;
}

// The window and the painters have the cores while they show what the user
// is looking at: the first reading waits while the window paints the first
// screenful, and every one while the painters make the thumbnails of the
// rows in view. Answers false when none is left to read.
bool DollListReading::readNextSheet(SheetReads& sheets) {
    const std::size_t at = sheets.next++;
    if (at >= sheets.files.size())
        return false;
    if (at >= firstScreenful) {
        waitForTheFirstPaint();
        waitForThumbnailsInView();
    }
    const FoundSheetFile& file = sheets.files[at];
    sheets.reads[at] = readDollSheet(dollFilePath(folder, file.relativePath), sheets.summaries[at]);
    // Folded here for the search, not by the window as the rows arrive.
    if (sheets.reads[at] == DollRead::sheet)
        sheets.folded[at] = foldDoll({file.relativePath, file.look, sheets.summaries[at]});
    sheets.done[at] = true;
    return true;
}

void DollListReading::readBeside(const std::shared_ptr<SheetReads>& sheets) {
    while (!stop && readNextSheet(*sheets)) {
    }
}

void DollListReading::deliverRows(RowBatch& batch, bool endsTheFirstScreenful) {
    if (batch.rows.empty())
        return;
    deliver([&](DollNews& news) {
        std::move(batch.rows.begin(), batch.rows.end(), std::back_inserter(news.rows));
        std::move(batch.folded.begin(), batch.folded.end(), std::back_inserter(news.folded));
        firstRowsSent = firstRowsSent || endsTheFirstScreenful;
    });
    batch.rows.clear();
    batch.folded.clear();
}

void DollListReading::walkAndRead() {
    FolderWalk walk = walkDollFolder(folder, listFolder, stop);
    orderForReading(walk.files, order);
    readChanges(walk);
}

void DollListReading::readChanges(const FolderWalk& walk) {
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
    // The first screenful goes as one, for the window to paint once; where
    // the reading is slow, row by row, to show each as soon as it is read.
    // The rest goes in batches, so that the window orders its rows again a
    // few times a second, not for every row.
    RowBatch batch;
    std::size_t sheetsRead = 0;
    const bool firstReading = !walked;
    if (firstReading) {
        const std::lock_guard lock(mutex);
        wishesBeforeTheFirstRows = wishCount;
    }
    const std::uint64_t started = GetTickCount64();
    std::uint64_t delivered = 0;
    const auto sheets = std::make_shared<SheetReads>(changes.toRead);
    // A second core reads beside the reader.
    std::thread beside;
    if (std::thread::hardware_concurrency() > 1 && changes.toRead.size() > firstScreenful)
        beside = std::thread([self = shared_from_this(), sheets] { self->readBeside(sheets); });
    for (std::size_t at = 0; at < changes.toRead.size() && !stop; ++at) {
        while (!sheets->done[at] && !stop)
            if (!readNextSheet(*sheets))
                std::this_thread::yield();
        if (stop)
            break;
        const FoundSheetFile& file = changes.toRead[at];
        const DollRead read = sheets->reads[at];
        const bool wasRow = rows.erase(file.relativePath) > 0;
        others.erase(file.relativePath);
        if (read == DollRead::sheet) {
            DollRow row{file.relativePath, file.look, std::move(sheets->summaries[at])};
            rows.emplace(file.relativePath, row);
            batch.rows.push_back(std::move(row));
            batch.folded.push_back(std::move(sheets->folded[at]));
            const std::uint64_t now = GetTickCount64();
            if (++sheetsRead <= firstScreenful
                    ? sheetsRead == firstScreenful || now - started >= firstRowsMilliseconds
                    : now - delivered >= batchMilliseconds && !makingThumbnails()) {
                deliverRows(batch, sheetsRead == firstScreenful && firstReading);
                delivered = now;
            }
            continue;
        }
        if (read == DollRead::notSheet)
            others.emplace(file.relativePath, file);
        if (wasRow)
            deliver([&file](DollNews& news) { news.gone.push_back(file.relativePath); });
    }
    if (beside.joinable())
        beside.join();
    deliverRows(batch);
    walked = true;
    known = valuesOf(rows);
    notSheets = valuesOf(others);
    deliver([this, &walk](DollNews& news) {
        news.walked = true;
        news.notSheets = notSheets.size();
        news.unreadableFolders = walk.unreadableFolders;
    });
}

// The folder is followed from before its first walk, so that a sheet
// removed while a large folder is first read goes from the list too.
void DollListReading::readAndFollow() {
    HANDLE change = FindFirstChangeNotificationW(wideOfUtf8(folder).c_str(), TRUE, followedChanges);
    walkAndRead();
    followFolder(change);
}

// Each change, once the folder has been quiet for a moment, walks it again
// and reads what changed. Where the folder cannot be followed (a share that
// tells nothing, a notice that failed), it is walked every few seconds.
void DollListReading::followFolder(HANDLE change) {
    bool followed = change != INVALID_HANDLE_VALUE;
    const HANDLE handles[2] = {wake, change};
    while (!stop) {
        const DWORD got =
            WaitForMultipleObjects(followed ? 2 : 1, handles, FALSE, followed ? INFINITE : pollMilliseconds);
        if (stop)
            break;
        if (got == WAIT_OBJECT_0 + 1 || got == WAIT_FAILED) {
            do
                followed = followed && FindNextChangeNotification(change) != 0;
            while (followed && !stop &&
                   WaitForMultipleObjects(2, handles, FALSE, settleMilliseconds) == WAIT_OBJECT_0 + 1);
        }
        if (stop)
            break;
        walkAndRead();
    }
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
}

bool DollListReading::makingThumbnails() {
    const std::lock_guard lock(mutex);
    return !wishes.empty() || !making.empty();
}

// The window's paint of the first screenful ends in its wish for their
// thumbnails. Until the window has taken them, the reading goes on.
void DollListReading::waitForTheFirstPaint() {
    std::unique_lock lock(mutex);
    if (!firstRowsTakenAt || firstRowsPainted)
        return;
    wished.wait_until(lock, *firstRowsTakenAt + firstPaintFor,
                      [this] { return stop || wishCount > wishesBeforeTheFirstRows; });
    firstRowsPainted = true;
}

void DollListReading::waitForThumbnailsInView() {
    std::unique_lock lock(mutex);
    wished.wait_until(lock, wishedAt + thumbnailsFirstFor,
                      [this] { return stop || (wishes.empty() && making.empty()); });
}

void DollListReading::makeThumbnails() {
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
            const auto mine = std::find(making.begin(), making.end(), made.relativePath);
            if (mine != making.end())
                making.erase(mine);
            news.thumbnails.push_back(std::move(made));
            if (wishes.empty() && making.empty())
                wished.notify_all();
        });
    }
}

DollListWorker::DollListWorker(HWND window, std::string folder, DollOrder order, PictureSize box)
    : reading(std::make_shared<DollListReading>(window, std::move(folder), order, box)) {
    reading->start();
}

DollListWorker::~DollListWorker() {
    reading->stopAndWaitAMoment();
}

DollNews DollListWorker::takeNews() {
    return reading->takeNews();
}

void DollListWorker::wishThumbnails(std::vector<ThumbnailWish> wishes) {
    reading->wishThumbnails(std::move(wishes));
}

void DollListWorker::lookAgain() {
    reading->lookAgain();
}
