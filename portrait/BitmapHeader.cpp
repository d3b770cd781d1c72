#include "portrait/BitmapHeader.h"

#include "portrait/JpegDecoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Beyond this a bitmap's pixels alone would hold more memory than a
// portrait can want.
constexpr std::uint64_t maxBitmapBytes = std::uint64_t{512} << 20;

// The file header (14 bytes) and the start of the info header: its size,
// then width and height as signed 32-bit numbers, planes and bits per pixel
// as 16-bit numbers, all little-endian.
constexpr std::size_t headerBytes = 30;

std::int64_t littleEndian(const unsigned char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return static_cast<std::int64_t>(value);
}

} // namespace

bool isOversizedBitmapFile(const std::string& path) {
    unsigned char header[headerBytes];
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const std::size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got < sizeof header || header[0] != 'B' || header[1] != 'M')
        return false;
    const std::int64_t infoSize = littleEndian(header + 14, 4);
    std::int64_t width, height, bitsPerPixel;
    if (infoSize == 12) { // the old OS/2 header: 16-bit sizes
        width = littleEndian(header + 18, 2);
        height = littleEndian(header + 20, 2);
        bitsPerPixel = littleEndian(header + 24, 2);
    } else {
        width = static_cast<std::int32_t>(littleEndian(header + 18, 4));
        height = static_cast<std::int32_t>(littleEndian(header + 22, 4));
        bitsPerPixel = littleEndian(header + 28, 2);
    }
    const std::uint64_t pixels = static_cast<std::uint64_t>(std::llabs(width)) * std::llabs(height);
    const std::uint64_t bytes = pixels * static_cast<std::uint64_t>(bitsPerPixel < 8 ? 8 : bitsPerPixel) / 8;
    return pixels > maxPortraitPixels || bytes > maxBitmapBytes;
}
