#include "portrait/PortraitImage.h"

#include "portrait/BitmapHeader.h"
#include "portrait/BitmapShrink.h"
#include "portrait/JpegDecoder.h"
#include "portrait/PortraitPath.h"

#include <optional>

const PortraitLoader windowsPortraitLoader = {loadPortraitImage, releasePortraitImage};

namespace {

// In pixels; none until the form tells it.
PictureSize portraitFrame = {0, 0};

// Resources of type 23 hold JPEG portraits built into the program.
const LPCSTR jpegResourceType = MAKEINTRESOURCEA(23);

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

ResourceBytes findJpegResource(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name.c_str(), jpegResourceType);
    if (resource == nullptr)
        return {};
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(module, resource)};
}

// A 24-bit bottom-up DIB section; `bits` gets its pixel memory.
HBITMAP createDibSection(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// The decoder's rows go straight into a DIB section made to the picture's
// size, which then belongs to `bitmap`.
RasterAllocator dibSectionFor(HBITMAP& bitmap) {
    return [&bitmap](int width, int height, std::size_t) -> std::uint8_t* {
        void* bits = nullptr;
        bitmap = createDibSection(width, height, &bits);
        return bitmap != nullptr ? static_cast<std::uint8_t*>(bits) : nullptr;
    };
}

HBITMAP loadBitmapResource(const std::string& name) {
    return LoadBitmapA(GetModuleHandleA(nullptr), name.c_str());
}

HBITMAP loadBitmapFile(const std::string& path) {
    if (isOversizedBitmapFile(path))
        return nullptr;
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// Opening a pipe waits for its server, opening a device talks to it, and
// opening a share on another machine hands it the user's credentials: a
// file is opened only when the path's text allows it and the file system
// then says it is a plain one. The text comes first, so that not even the
// attributes of a share are asked for. The user may choose a picture on a
// share; a sheet's picture is looked for where findSheetPortrait says.
std::optional<std::string> fileToOpen(const std::string& path, PortraitOrigin origin,
                                      const std::string& sheetPath) {
    if (origin == PortraitOrigin::sheetFile)
        return findSheetPortrait(sheetPath, path);
    if (classifyPortraitPath(path) == PortraitPathKind::notAFile)
        return std::nullopt;
    return path;
}

bool isPlainFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool frameIsKnown() {
    return portraitFrame.width > 0 && portraitFrame.height > 0;
}

PictureSize smallestJpegSize() {
    if (!frameIsKnown())
        return fullSize;
    return {2 * portraitFrame.width, 2 * portraitFrame.height};
}

// A picture larger than the frame both ways is kept at the frame's size,
// shrunk once here rather than stretched on every paint, and holding only
// the frame's worth of memory. Should there be no memory for the copy, the
// picture stays as it is.
HBITMAP fittedToFrame(HBITMAP picture) {
    BITMAP decoded{};
    if (picture == nullptr || !frameIsKnown() || !GetObjectA(picture, sizeof decoded, &decoded) ||
        decoded.bmWidth <= portraitFrame.width || decoded.bmHeight <= portraitFrame.height)
        return picture;
    void* bits = nullptr;
    HBITMAP fitted = createDibSection(portraitFrame.width, portraitFrame.height, &bits);
    if (fitted == nullptr)
        return picture;
    shrinkBitmap(static_cast<const std::uint8_t*>(decoded.bmBits), {decoded.bmWidth, decoded.bmHeight},
                 static_cast<std::uint8_t*>(bits), portraitFrame);
    DeleteObject(picture);
    return fitted;
}

HBITMAP loadImageFile(const std::string& file) {
    if (HBITMAP bitmap = loadBitmapFile(file))
        return bitmap;
    return fittedToFrame(loadJpegBitmap(file, true, smallestJpegSize()));
}

// The program's own pictures are looked up by name first; files only after
// that, and only plain ones.
HBITMAP loadAnyImage(const std::string& path, PortraitOrigin origin, const std::string& sheetPath) {
    if (HBITMAP bitmap = loadBitmapResource(path))
        return bitmap;
    if (HBITMAP bitmap = loadJpegBitmap(path, false, smallestJpegSize()))
        return fittedToFrame(bitmap);
    const std::optional<std::string> file = fileToOpen(path, origin, sheetPath);
    return file && isPlainFile(*file) ? loadImageFile(*file) : nullptr;
}

// The whole path goes into the message, however long.
void reportLoadFailure(const std::string& path) {
    const std::string message = path + "の読み込みに失敗しました";
    MessageBoxA(GetActiveWindow(), message.c_str(), "画像の読み込み", MB_OK | MB_ICONWARNING);
}

PortraitBitmap describe(HBITMAP bitmap) {
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    PortraitBitmap portrait;
    portrait.type = description.bmType;
    portrait.width = description.bmWidth;
    portrait.height = description.bmHeight;
    portrait.widthBytes = description.bmWidthBytes;
    portrait.planes = description.bmPlanes;
    portrait.bitsPixel = description.bmBitsPixel;
    portrait.bits = description.bmBits;
    return portrait;
}

} // namespace

HBITMAP loadJpegBitmap(const std::string& name, bool mayOpenFile, PictureSize atLeast) {
    HBITMAP bitmap = nullptr;
    const ResourceBytes resource = findJpegResource(name);
    const bool decoded = resource.data != nullptr
                             ? decodeJpegMemory(resource.data, resource.size, dibSectionFor(bitmap), atLeast)
                         : mayOpenFile ? decodeJpegFile(name, dibSectionFor(bitmap), atLeast)
                                       : false;
    if (!decoded && bitmap != nullptr) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

void setPortraitFrameSize(PictureSize frame) {
    portraitFrame = frame;
}

LoadedPortrait loadPortraitImage(const std::string& path, PortraitOrigin origin,
                                 const std::string& sheetPath) {
    HBITMAP bitmap = loadAnyImage(path, origin, sheetPath);
    if (bitmap == nullptr) {
        reportLoadFailure(path);
        return {};
    }
    LoadedPortrait portrait;
    portrait.bitmap = describe(bitmap);
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        DeleteObject(bitmap);
        reportLoadFailure(path);
        return {};
    }
    // The context owns the bitmap from here on.
    SelectObject(dc, bitmap);
    portrait.dc = dc;
    return portrait;
}

void releasePortraitImage(PortraitDc portraitDc) {
    HDC dc = static_cast<HDC>(portraitDc);
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    DeleteDC(dc);
    DeleteObject(bitmap);
}
