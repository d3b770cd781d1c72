#include "export/PagePortrait.h"

#include "portrait/BitmapHeader.h"
#include "portrait/BitmapShrink.h"
#include "portrait/JpegDecoder.h"
#include "portrait/JpegErrorExit.h"
#include "portrait/PortraitPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

namespace {

// A larger file is no portrait and is not read at all: an uncompressed
// bitmap this size already holds over 20 million pixels.
constexpr std::uint64_t maxPortraitFileBytes = std::uint64_t{64} << 20;

// What the JPEG encoder trades for size; plenty for a print.
constexpr int pageJpegQuality = 85;

using Bytes = std::vector<std::uint8_t>;

// A picture in the decoder's layout (JpegDecoder.h).
struct Raster {
    PictureSize size;
    Bytes bytes;
};

// A sheet may come from anyone, so its portrait is opened only where
// findSheetPortrait finds it and the file system then says it is an
// ordinary file: never a pipe or a device, which could keep the program
// waiting, and never a share on another machine that the sheet names.
std::optional<Bytes> readPortraitFile(const std::string& portraitPath, const std::string& sheetPath) {
    const std::optional<std::string> path = findSheetPortrait(sheetPath, portraitPath);
    struct stat status {};
    if (!path || stat(path->c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) > maxPortraitFileBytes)
        return std::nullopt;
    std::FILE* file = std::fopen(path->c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    Bytes bytes(static_cast<std::size_t>(status.st_size));
    const bool whole = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!whole)
        return std::nullopt;
    return bytes;
}

// Called inside the JPEG decoder, which no exception may cross.
RasterAllocator into(Raster& raster) {
    return [&raster](int width, int height, std::size_t stride) -> std::uint8_t* {
        try {
            raster.bytes.resize(stride * static_cast<std::size_t>(height));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        raster.size = {width, height};
        return raster.bytes.data();
    };
}

// Tried by content, as the program's own loaders are, whatever the file's
// name says. A JPEG is decoded at the smallest of the library's reductions
// that still gives the page's size.
std::optional<Raster> decodePicture(const Bytes& file) {
    Raster raster;
    if (decodeBitmapMemory(file.data(), file.size(), into(raster)) ||
        decodeJpegMemory(file.data(), file.size(), into(raster), {pagePortraitSide, pagePortraitSide}))
        return raster;
    return std::nullopt;
}

PictureSize pageSize(PictureSize picture) {
    const int longer = std::max(picture.width, picture.height);
    if (longer <= pagePortraitSide)
        return picture;
    const auto scaled = [longer](int side) {
        return std::max(1, static_cast<int>((std::int64_t{side} * pagePortraitSide + longer / 2) / longer));
    };
    return {scaled(picture.width), scaled(picture.height)};
}

Raster shrunkToPage(Raster picture) {
    const PictureSize size = pageSize(picture.size);
    if (size.width == picture.size.width && size.height == picture.size.height)
        return picture;
    Raster shrunk{size, Bytes(bitmapStride(size.width) * static_cast<std::size_t>(size.height))};
    shrinkBitmap(picture.bytes.data(), picture.size, shrunk.bytes.data(), size);
    return shrunk;
}

// The encoder, its error manager and the memory the library writes to live
// outside the frame that calls setjmp: the library changes them between the
// call and a jump back.
struct JpegCompression {
    jpeg_compress_struct encoder;
    JpegErrorExit errors;
    unsigned char* out = nullptr; // the library's, taken with malloc
    unsigned long size = 0;
};

// Everything here may be left through the error exit's jump.
void compressRows(jpeg_compress_struct& encoder, Raster& picture) {
    encoder.image_width = static_cast<JDIMENSION>(picture.size.width);
    encoder.image_height = static_cast<JDIMENSION>(picture.size.height);
    encoder.input_components = 3;
    encoder.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, pageJpegQuality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    const std::size_t stride = bitmapStride(picture.size.width);
    // The picture's top row is the last in memory.
    while (encoder.next_scanline < encoder.image_height) {
        JSAMPROW row = picture.bytes.data() + stride * (encoder.image_height - 1 - encoder.next_scanline);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
}

std::string compressReturningOnError(JpegCompression& jpeg, Raster& picture) {
    jpeg.encoder.err = jumpBackOnJpegError(jpeg.errors);
    if (setjmp(jpeg.errors.start) != 0) {
        jpeg_destroy_compress(&jpeg.encoder);
        std::free(jpeg.out);
        return {};
    }
    jpeg_create_compress(&jpeg.encoder);
    jpeg_mem_dest(&jpeg.encoder, &jpeg.out, &jpeg.size);
    compressRows(jpeg.encoder, picture);
    jpeg_destroy_compress(&jpeg.encoder);
    std::string compressed(reinterpret_cast<const char*>(jpeg.out), jpeg.size);
    std::free(jpeg.out);
    return compressed;
}

std::string compressed(Raster& picture) {
    JpegCompression jpeg;
    return compressReturningOnError(jpeg, picture);
}

std::string base64(std::string_view bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<std::uint8_t>(bytes[at + i]) : 0u);
        for (std::size_t i = 0; i < 4; ++i)
            text += i <= count ? digits[(group >> (18 - 6 * i)) & 63] : '=';
    }
    return text;
}

} // namespace

std::string portraitDataUrl(const std::string& portraitPath, const std::string& sheetPath) {
    const std::optional<Bytes> file = readPortraitFile(portraitPath, sheetPath);
    std::optional<Raster> picture = file ? decodePicture(*file) : std::nullopt;
    if (!picture)
        return {};
    Raster onPage = shrunkToPage(std::move(*picture));
    const std::string jpeg = compressed(onPage);
    if (jpeg.empty())
        return {};
    return "data:image/jpeg;base64," + base64(jpeg);
}
