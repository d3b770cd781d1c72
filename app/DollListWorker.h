#pragma once

// The doll list's reading, away from its window: one thread walks the
// folder, reads its sheets and then follows the folder's changes, others
// make the thumbnails the window asks for, the rows it shows first. What
// they find waits in an outbox that the window empties when told by a
// posted message; the window owns everything it shows, the workers only
// what they are reading. Destroying the worker stops every thread and waits
// for them, and whatever still waits in the outbox goes with it.

#include "app/DollFolder.h"
#include "app/DollThumbnail.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Posted to the window when the outbox holds news; once until it is emptied.
inline constexpr UINT dollNewsMessage = WM_APP + 40;

struct DollThumbnailMade {
    std::string relativePath;
    std::optional<Thumbnail> thumbnail; // none: a blank frame
};

// What the workers found since the window last looked.
struct DollNews {
    std::vector<DollRow> rows;     // new or changed rows
    std::vector<std::string> gone; // relative paths no longer there
    std::vector<DollThumbnailMade> thumbnails;
    // Set once a walk and its reading are done: the counts are that walk's.
    bool walked = false;
    std::size_t notSheets = 0;
    std::vector<std::string> unreadableFolders;
};

// A thumbnail the window wants: the row and its sheet's portrait line.
struct ThumbnailWish {
    std::string relativePath;
    std::string portraitPath;
};

class DollListWorker {
public:
    // Starts reading `folder` (UTF-8) for `window`, the files the list shows
    // first in `order` first; thumbnails fill `box`.
    DollListWorker(HWND window, std::string folder, DollOrder order, PictureSize box);
    ~DollListWorker();
    DollListWorker(const DollListWorker&) = delete;
    DollListWorker& operator=(const DollListWorker&) = delete;

    DollNews takeNews();
    // The thumbnails to make next, most wanted first, in place of the last
    // wishes not yet made.
    void wishThumbnails(std::vector<ThumbnailWish> wishes);
    // The window changed the folder itself: walk it again now.
    void lookAgain();

private:
    void walkAndRead();
    void readChanges(const FolderWalk& walk);
    void followFolder();
    bool makingThumbnails();
    void makeThumbnails();
    void deliver(const std::function<void(DollNews&)>& add);
    void deliverRows(std::vector<DollRow>& batch);

    const HWND window;
    const std::string folder;
    const DollOrder order;
    const PictureSize box;
    std::atomic<bool> stop{false};
    HANDLE wake; // set to stop, or to walk again at once

    // The reader's own: what it has read, to tell what changed.
    std::vector<DollRow> known;
    std::vector<FoundSheetFile> notSheets;

    std::mutex mutex; // guards the members below
    DollNews news;
    bool newsPosted = false;
    std::vector<ThumbnailWish> wishes;
    std::vector<std::string> making; // the relative paths whose thumbnails are being made
    std::condition_variable wished;

    std::thread reader;
    std::vector<std::thread> painters;
};
