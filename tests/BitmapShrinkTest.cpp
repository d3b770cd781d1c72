#include "portrait/BitmapShrink.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// A bitmap in the decoder's layout, every padding byte at 0xA5 so that
// padding left alone shows.
struct Bitmap {
    PictureSize size;
    std::vector<std::uint8_t> bytes;

    explicit Bitmap(PictureSize pictureSize)
        : size(pictureSize), bytes(bitmapStride(size.width) * size.height, 0xA5) {}

    std::uint8_t* pixel(int x, int memoryRow) {
        return bytes.data() + memoryRow * bitmapStride(size.width) + 3 * x;
    }
    std::array<int, 3> bgr(int x, int memoryRow) {
        const std::uint8_t* at = pixel(x, memoryRow);
        return {at[0], at[1], at[2]};
    }
    void set(int x, int memoryRow, std::array<int, 3> bgr) {
        for (int c = 0; c < 3; ++c)
            pixel(x, memoryRow)[c] = static_cast<std::uint8_t>(bgr[c]);
    }
    bool paddingIsZero() const {
        const std::size_t stride = bitmapStride(size.width);
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            if (at % stride >= std::size_t{3} * size.width && bytes[at] != 0)
                return false;
        }
        return true;
    }
};

Bitmap shrunk(Bitmap& from, PictureSize toSize) {
    Bitmap to(toSize);
    shrinkBitmap(from.bytes.data(), from.size, to.bytes.data(), to.size);
    return to;
}

TEST(BitmapShrink, KeepsAPlainColourAtAnyRatio) {
    const std::pair<PictureSize, PictureSize> cases[] = {
        {{7, 5}, {3, 2}}, {{750, 500}, {175, 185}}, {{6, 4}, {6, 4}}, {{1000, 3}, {1, 1}}};
    for (const auto& [fromSize, toSize] : cases) {
        SCOPED_TRACE(std::to_string(fromSize.width) + "x" + std::to_string(fromSize.height) + " to " +
                     std::to_string(toSize.width) + "x" + std::to_string(toSize.height));
        Bitmap from(fromSize);
        for (int y = 0; y < fromSize.height; ++y) {
            for (int x = 0; x < fromSize.width; ++x)
                from.set(x, y, {200, 120, 7});
        }
        Bitmap to = shrunk(from, toSize);
        for (int y = 0; y < toSize.height; ++y) {
            for (int x = 0; x < toSize.width; ++x)
                ASSERT_EQ(to.bgr(x, y), (std::array<int, 3>{200, 120, 7})) << x << ", " << y;
        }
        EXPECT_TRUE(to.paddingIsZero());
    }
}

// Each pixel is the rounded mean of its own block, rows and columns in
// their order, each channel on its own.
TEST(BitmapShrink, GivesEachPixelTheMeanOfItsBlock) {
    Bitmap from({4, 4});
    const int blue[4][4] = {{10, 11, 200, 200}, {11, 11, 200, 201}, {0, 0, 90, 30}, {0, 1, 60, 0}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            from.set(x, y, {blue[y][x], 255 - blue[y][x], x * 10 + y});
    }
    Bitmap to = shrunk(from, {2, 2});
    EXPECT_EQ(to.bgr(0, 0), (std::array<int, 3>{11, 244, 6}));
    EXPECT_EQ(to.bgr(1, 0), (std::array<int, 3>{200, 55, 26}));
    EXPECT_EQ(to.bgr(0, 1), (std::array<int, 3>{0, 255, 8}));
    EXPECT_EQ(to.bgr(1, 1), (std::array<int, 3>{45, 210, 28}));
}

// Five columns into three: blocks of one, two and two, every column in
// exactly one of them.
TEST(BitmapShrink, CountsEveryPixelOnceWhenTheRatioIsNoWholeNumber) {
    Bitmap from({5, 1});
    for (int x = 0; x < 5; ++x)
        from.set(x, 0, {30 * x, 0, 0});
    Bitmap to = shrunk(from, {3, 1});
    EXPECT_EQ(to.bgr(0, 0)[0], 0);
    EXPECT_EQ(to.bgr(1, 0)[0], 45);
    EXPECT_EQ(to.bgr(2, 0)[0], 105);
}

} // namespace
