#include "dolls/DollThumbnail.h"

#include "portrait/BitmapHeader.h"
#include "portrait/BitmapShrink.h"
#include "portrait/PortraitPath.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// A picture file larger than this makes no thumbnail: its bytes are not
// read into memory.
constexpr std::size_t pictureByteLimit = std::size_t{64} << 20;

struct Raster {
    PictureSize size;
    std::vector<std::uint8_t> pixels;
};

// Judged by the bytes, not the name, as the sheet's portrait is: a bitmap,
// read whole, else a JPEG decoded from the file as it is read, no larger
// than the box needs. Nothing when the file cannot be read, or is a bitmap
// over the limit.
std::optional<Raster> decodePicture(const std::string& path, PictureSize box) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openUtf8ForReading(path), std::fclose);
    if (!file)
        return std::nullopt;
    Raster raster;
    const RasterAllocator allocate = [&raster](int width, int height, std::size_t stride) {
        raster.size = {width, height};
        raster.pixels.assign(stride * static_cast<std::size_t>(height), 0);
        return raster.pixels.data();
    };
    const int first = std::fgetc(file.get());
    const int second = std::fgetc(file.get());
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        return std::nullopt;
    if (first == 'B' && second == 'M') {
        const FileBytes bytes = readFileBytes(file.release(), pictureByteLimit);
        if (bytes.outcome == FileBytes::Outcome::read &&
            decodeBitmapMemory(reinterpret_cast<const std::uint8_t*>(bytes.bytes.data()), bytes.bytes.size(),
                               allocate))
            return raster;
        return std::nullopt;
    }
    if (decodeJpegStream(file.get(), allocate, box))
        return raster;
    return std::nullopt;
}

// Each pixel of the box takes the picture's pixel under its place: for a
// picture smaller than the box in some direction, where shrinking cannot.
void stretch(const Raster& from, Thumbnail& to) {
    const std::size_t fromStride = bitmapStride(from.size.width), toStride = bitmapStride(to.size.width);
    for (int y = 0; y < to.size.height; ++y) {
        const std::size_t fromY = static_cast<std::size_t>(y) * from.size.height / to.size.height;
        for (int x = 0; x < to.size.width; ++x) {
            const std::size_t fromX = static_cast<std::size_t>(x) * from.size.width / to.size.width;
            const std::uint8_t* pixel = &from.pixels[fromY * fromStride + fromX * 3];
            std::copy(pixel, pixel + 3, &to.pixels[y * toStride + static_cast<std::size_t>(x) * 3]);
        }
    }
}

Thumbnail fitted(const Raster& picture, PictureSize box) {
    Thumbnail thumbnail{
        box, std::vector<std::uint8_t>(bitmapStride(box.width) * static_cast<std::size_t>(box.height))};
    if (picture.size.width >= box.width && picture.size.height >= box.height)
        shrinkBitmap(picture.pixels.data(), picture.size, thumbnail.pixels.data(), box);
    else
        stretch(picture, thumbnail);
    return thumbnail;
}

} // namespace

std::optional<Thumbnail> makeThumbnail(const std::string& sheetPath, const std::string& portraitPath,
                                       PictureSize box) {
    if (portraitPath.empty() || box.width <= 0 || box.height <= 0)
        return std::nullopt;
    const std::optional<std::string> found =
        findListedSheetPortrait(sheetPath, portraitPath, [](const std::string& path) {
            return lookAtUtf8File(path).kind == FileLook::Kind::file;
        });
    if (!found)
        return std::nullopt;
    const std::optional<Raster> picture = decodePicture(*found, box);
    if (!picture)
        return std::nullopt;
    return fitted(*picture, box);
}
