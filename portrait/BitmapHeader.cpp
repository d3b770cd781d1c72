#include "portrait/BitmapHeader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Beyond this a bitmap's pixels alone would hold more memory than a
// portrait can want.
constexpr std::uint64_t maxBitmapBytes = std::uint64_t{512} << 20;

// The file header (14 bytes) and the start of the info header: its size,
// then width and height as signed 32-bit numbers, planes and bits per pixel
// as 16-bit numbers, all little-endian.
constexpr std::size_t headerBytes = 30;

// With the compression that follows them, in the 40-byte info header and
// every later one.
constexpr std::size_t infoHeaderBytes = 54;

std::int64_t littleEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return static_cast<std::int64_t>(value);
}

struct BitmapHeader {
    std::int64_t infoSize;
    std::int64_t width;
    std::int64_t height; // negative for rows stored top-down
    std::int64_t bitsPerPixel;
};

// Of the first headerBytes of a file that starts with "BM".
BitmapHeader readHeader(const unsigned char* header) {
    const std::int64_t infoSize = littleEndian(header + 14, 4);
    if (infoSize == 12) // the old OS/2 header: 16-bit sizes
        return {infoSize, littleEndian(header + 18, 2), littleEndian(header + 20, 2),
                littleEndian(header + 24, 2)};
    return {infoSize, static_cast<std::int32_t>(littleEndian(header + 18, 4)),
            static_cast<std::int32_t>(littleEndian(header + 22, 4)), littleEndian(header + 28, 2)};
}

bool isOversized(const BitmapHeader& header) {
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(std::llabs(header.width)) * std::llabs(header.height);
    const std::uint64_t bytes =
        pixels * static_cast<std::uint64_t>(header.bitsPerPixel < 8 ? 8 : header.bitsPerPixel) / 8;
    return pixels > maxPortraitPixels || bytes > maxBitmapBytes;
}

bool startsAsBitmap(const unsigned char* bytes, std::size_t size) {
    return size >= headerBytes && bytes[0] == 'B' && bytes[1] == 'M';
}

// Where the rows are, and how they are laid out.
struct PixelRows {
    const std::uint8_t* first; // the first row in the file
    std::size_t stride;        // file bytes a row, a multiple of 4
    int pixelBytes;            // 3 or 4, blue, green, red first
    bool topDown;
};

// Uncompressed (0) rows of 24 or 32 bits, all of them inside the file.
bool findPixelRows(const std::uint8_t* data, std::size_t size, const BitmapHeader& header, PixelRows& rows) {
    if (size < infoHeaderBytes || header.infoSize < 40 || littleEndian(data + 30, 4) != 0 ||
        (header.bitsPerPixel != 24 && header.bitsPerPixel != 32) || header.width <= 0 || header.height == 0 ||
        isOversized(header))
        return false;
    const std::uint64_t offset = static_cast<std::uint64_t>(littleEndian(data + 10, 4));
    const std::uint64_t stride =
        (static_cast<std::uint64_t>(header.width) * header.bitsPerPixel + 31) / 32 * 4;
    if (offset > size || stride * std::llabs(header.height) > size - offset)
        return false;
    rows = {data + offset, static_cast<std::size_t>(stride), static_cast<int>(header.bitsPerPixel / 8),
            header.height < 0};
    return true;
}

} // namespace

bool isOversizedBitmapFile(const std::string& path) {
    unsigned char header[headerBytes];
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    return startsAsBitmap(header, got) && isOversized(readHeader(header));
}

bool decodeBitmapMemory(const std::uint8_t* data, std::size_t size, const RasterAllocator& allocate) {
    if (!startsAsBitmap(data, size))
        return false;
    const BitmapHeader header = readHeader(data);
    PixelRows rows;
    if (!findPixelRows(data, size, header, rows))
        return false;
    const int width = static_cast<int>(header.width), height = static_cast<int>(std::llabs(header.height));
    const std::size_t stride = bitmapStride(width);
    std::uint8_t* const pixels = allocate(width, height, stride);
    if (pixels == nullptr)
        return false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = rows.first + rows.stride * (rows.topDown ? height - 1 - y : y);
        std::uint8_t* to = pixels + stride * y;
        std::memset(to, 0, stride);
        for (int x = 0; x < width; ++x, from += rows.pixelBytes, to += 3)
            std::memcpy(to, from, 3);
    }
    return true;
}
