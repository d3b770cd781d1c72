#include "portrait/BitmapHeader.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The first 30 bytes of a bitmap file with a 40-byte info header.
std::string bitmapHeader(std::int32_t width, std::int32_t height, std::uint16_t bitsPerPixel) {
    std::string header = "BM";
    header.resize(30, '\0');
    auto put = [&header](int at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, bitsPerPixel, 2);
    return header;
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

} // namespace
