// The doll list's thumbnails: kept in the list's image list for the rows
// last seen, asked of the worker for the rows in view that lack them.
#include "dolls/DollListState.h"

#include <algorithm>
#include <functional>

namespace doll_list {

namespace {

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

} // namespace

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

std::size_t thumbnailBytes(const ThumbnailCache& cache) {
    const std::size_t stride = (static_cast<std::size_t>(cache.box.width) * 3 + 3) / 4 * 4;
    return static_cast<std::size_t>(ImageList_GetImageCount(cache.images)) * stride *
           static_cast<std::size_t>(cache.box.height);
}

} // namespace doll_list
