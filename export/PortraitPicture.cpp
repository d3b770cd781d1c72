#include "export/PortraitPicture.h"

#include "portrait/BitmapHeader.h"
#include "portrait/BitmapShrink.h"
#include "portrait/JpegDecoder.h"
#include "portrait/JpegErrorExit.h"
#include "portrait/PortraitPath.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

bool isPlainUtf8File(const std::string& path) {
    return lookAtUtf8File(path).kind == FileLook::Kind::file;
}

// A picture in the decoder's layout (JpegDecoder.h).
struct Raster {
    PictureSize size;
    std::vector<std::uint8_t> bytes;
};

// Called inside the decoders, which no exception may cross.
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

const std::uint8_t* dataOf(std::string_view file) {
    return reinterpret_cast<const std::uint8_t*>(file.data());
}

PictureSize fittedSize(PictureSize picture, int longerSide) {
    const int longer = std::max(picture.width, picture.height);
    if (longer <= longerSide)
        return picture;
    const auto scaled = [longer, longerSide](int side) {
        return std::max(1, static_cast<int>((std::int64_t{side} * longerSide + longer / 2) / longer));
    };
    return {scaled(picture.width), scaled(picture.height)};
}

// The JPEG that `decode(allocate, atLeast)` decodes, as decodeJpegMemory
// does, at the smallest of the library's reductions that still gives
// `longerSide`: its header is read alone first for its size, the decoder
// stopping as soon as it asks for memory.
template <class Decode> std::optional<Raster> decodeJpegFitting(const Decode& decode, int longerSide) {
    std::optional<PictureSize> full;
    decode(
        [&full](int width, int height, std::size_t) -> std::uint8_t* {
            full = PictureSize{width, height};
            return nullptr;
        },
        fullSize);
    Raster raster;
    if (full && decode(into(raster), fittedSize(*full, longerSide)))
        return raster;
    return std::nullopt;
}

std::optional<Raster> decodePicture(std::string_view file, int longerSide) {
    Raster raster;
    if (decodeBitmapMemory(dataOf(file), file.size(), into(raster)))
        return raster;
    return decodeJpegFitting(
        [file](const RasterAllocator& allocate, PictureSize atLeast) {
            return decodeJpegMemory(dataOf(file), file.size(), allocate, atLeast);
        },
        longerSide);
}

Raster shrunkTo(Raster picture, int longerSide) {
    const PictureSize size = fittedSize(picture.size, longerSide);
    if (size.width == picture.size.width && size.height == picture.size.height)
        return picture;
    Raster shrunk{
        size, std::vector<std::uint8_t>(bitmapStride(size.width) * static_cast<std::size_t>(size.height))};
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
void compressRows(jpeg_compress_struct& encoder, Raster& picture, int quality) {
    encoder.image_width = static_cast<JDIMENSION>(picture.size.width);
    encoder.image_height = static_cast<JDIMENSION>(picture.size.height);
    encoder.input_components = 3;
    encoder.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    const std::size_t stride = bitmapStride(picture.size.width);
    // The picture's top row is the last in memory.
    while (encoder.next_scanline < encoder.image_height) {
        JSAMPROW row = picture.bytes.data() + stride * (encoder.image_height - 1 - encoder.next_scanline);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
}

std::string compressReturningOnError(JpegCompression& jpeg, Raster& picture, int quality) {
    jpeg.encoder.err = jumpBackOnJpegError(jpeg.errors);
    if (setjmp(jpeg.errors.start) != 0) {
        jpeg_destroy_compress(&jpeg.encoder);
        std::free(jpeg.out);
        return {};
    }
    jpeg_create_compress(&jpeg.encoder);
    jpeg_mem_dest(&jpeg.encoder, &jpeg.out, &jpeg.size);
    compressRows(jpeg.encoder, picture, quality);
    jpeg_destroy_compress(&jpeg.encoder);
    std::string compressed(reinterpret_cast<const char*>(jpeg.out), jpeg.size);
    std::free(jpeg.out);
    return compressed;
}

std::string compressed(Raster& picture, int quality) {
    JpegCompression jpeg;
    return compressReturningOnError(jpeg, picture, quality);
}

// The picture fitted to `longerSide` and compressed; empty for none.
std::string jpegOf(std::optional<Raster> picture, int longerSide, int quality) {
    if (!picture)
        return {};
    Raster fitted = shrunkTo(std::move(*picture), longerSide);
    return compressed(fitted, quality);
}

} // namespace

std::optional<PortraitFile> findPortraitFile(const std::string& sheetPath, PathCode code,
                                             const std::string& portraitPath) {
    const std::optional<std::string> found =
        code == PathCode::utf8 ? findListedSheetPortrait(sheetPath, portraitPath, isPlainUtf8File)
                               : findSheetPortrait(sheetPath, portraitPath);
    if (!found)
        return std::nullopt;
    return PortraitFile{*found, code};
}

std::FILE* openPortraitFile(const PortraitFile& file) {
    return file.code == PathCode::utf8 ? openUtf8ForReading(file.path) : openForReading(file.path);
}

std::optional<std::string> readPortraitFile(const PortraitFile& file) {
    FileBytes read = readFileBytes(openPortraitFile(file), maxPortraitFileBytes);
    if (read.outcome != FileBytes::Outcome::read)
        return std::nullopt;
    return std::move(read.bytes);
}

std::optional<std::string> readSheetPortrait(const std::string& sheetPath, PathCode code,
                                             const std::string& portraitPath) {
    const std::optional<PortraitFile> file = findPortraitFile(sheetPath, code, portraitPath);
    return file ? readPortraitFile(*file) : std::nullopt;
}

std::string jpegNoLargerThan(std::string_view file, int longerSide, int quality) {
    return jpegOf(decodePicture(file, longerSide), longerSide, quality);
}

std::string jpegFileNoLargerThan(std::FILE* file, int longerSide, int quality) {
    const auto decode = [file](const RasterAllocator& allocate, PictureSize atLeast) {
        std::rewind(file);
        return decodeJpegStream(file, allocate, atLeast);
    };
    return jpegOf(decodeJpegFitting(decode, longerSide), longerSide, quality);
}
