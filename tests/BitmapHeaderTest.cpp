#include "portrait/BitmapHeader.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

void put(std::string& header, int at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        header[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// The first 30 bytes of a bitmap file with a 40-byte info header.
std::string bitmapHeader(std::int32_t width, std::int32_t height, std::uint16_t bitsPerPixel) {
    std::string header = "BM";
    header.resize(30, '\0');
    put(header, 14, 40, 4);
    put(header, 18, static_cast<std::uint32_t>(width), 4);
    put(header, 22, static_cast<std::uint32_t>(height), 4);
    put(header, 26, 1, 2);
    put(header, 28, bitsPerPixel, 2);
    return header;
}

// A whole file: the rows follow the 54 bytes of headers.
std::string bitmapFile(std::int32_t width, std::int32_t height, std::uint16_t bitsPerPixel,
                       std::string_view rows, std::uint32_t compression = 0) {
    std::string file = bitmapHeader(width, height, bitsPerPixel);
    file.resize(54, '\0');
    put(file, 10, 54, 4);
    put(file, 30, compression, 4);
    return file.append(rows);
}

TEST(OversizedBitmapFile, RefusesHeadersBeyondAnyPortrait) {
    const struct {
        const char* what;
        std::string bytes;
        bool oversized;
    } cases[] = {
        {"a photo", bitmapHeader(6000, 4000, 24), false},
        {"top-down rows", bitmapHeader(6000, -4000, 24), false},
        {"over 100 megapixels", bitmapHeader(20000, 10000, 8), true},
        {"a negative height over the limit", bitmapHeader(20000, -10000, 1), true},
        {"over 512 MiB of pixels", bitmapHeader(9000, 9000, 64), true},
        {"the largest 32-bit sizes", bitmapHeader(0x7fffffff, 0x7fffffff, 32), true},
        {"no bitmap", std::string("GIF89a") + std::string(40, 'x'), false},
        {"a header cut short", bitmapHeader(20000, 10000, 8).substr(0, 20), false},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        writeBytes(folder.file("image.bmp"), c.bytes);
        EXPECT_EQ(isOversizedBitmapFile(folder.file("image.bmp")), c.oversized) << c.what;
    }
    EXPECT_FALSE(isOversizedBitmapFile(folder.file("missing.bmp")));
}

// Blue, green along the bottom; red, white along the top: in the decoder's
// layout, bottom row first, each padded to 8 bytes.
const std::string_view bottomUp24 = "\xff\0\0\0\xff\0\0\0\0\0\xff\xff\xff\xff\0\0"sv;

TEST(BitmapMemory, ReadsUncompressedRowsAndRefusesTheRest) {
    const struct {
        const char* what;
        std::string file;
        bool decoded;
    } cases[] = {
        {"24 bits, bottom-up", bitmapFile(2, 2, 24, bottomUp24), true},
        {"32 bits, top-down", bitmapFile(2, -2, 32, "\0\0\xff\0\xff\xff\xff\0\xff\0\0\0\0\xff\0\0"sv), true},
        {"rows cut short", bitmapFile(2, 2, 24, bottomUp24.substr(0, 15)), false},
        {"run-length compressed", bitmapFile(2, 2, 8, std::string(16, '\0'), 1), false},
        {"no width", bitmapFile(0, 2, 24, bottomUp24), false},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> pixels;
        const bool decoded =
            decodeBitmapMemory(reinterpret_cast<const std::uint8_t*>(c.file.data()), c.file.size(),
                               [&pixels](int, int height, std::size_t stride) {
                                   pixels.assign(stride * height, 0xA5);
                                   return pixels.data();
                               });
        EXPECT_EQ(decoded, c.decoded) << c.what;
        if (c.decoded) {
            EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(pixels.data()), pixels.size()),
                      bottomUp24)
                << c.what;
        }
    }
}

} // namespace
