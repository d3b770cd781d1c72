#pragma once

// The doll list's reading, away from its window: one thread walks the
// folder, reads its sheets (with a second beside it where there is a core
// for one) and then follows the folder's changes, others
// make the thumbnails the window asks for, the rows it shows first. What
// they find waits in an outbox that the window empties when told by a
// posted message; the window owns everything it shows, the workers only
// what they are reading.

#include "dolls/DollFolder.h"
#include "dolls/DollThumbnail.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Posted to the window when the outbox holds news; once until it is emptied.
inline constexpr UINT dollNewsMessage = WM_APP + 40;

struct DollThumbnailMade {
    std::string relativePath;
    std::optional<Thumbnail> thumbnail; // none: a blank frame
};

// What the workers found since the window last looked.
struct DollNews {
    std::vector<DollRow> rows;      // new or changed rows
    std::vector<FoldedDoll> folded; // folded[i] is rows[i]'s, folded as it was read
    std::vector<std::string> gone;  // relative paths no longer there
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

class DollListReading;

// The window's handle on the reading. Destroying it tells every thread to
// stop and waits a moment for them; a thread blocked in a read (a share
// that dropped) is left to end by itself, holding only the reading's own
// state, and what it finds then is dropped.
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
    std::shared_ptr<DollListReading> reading;
};
