#include "portrait/BitmapShrink.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Block `index` of `blocks` across `length` pixels starts here and ends
// where the next one starts.
int blockStart(int index, int length, int blocks) {
    return static_cast<int>(std::int64_t{index} * length / blocks);
}

// Which block of `to` each column of `from` falls in.
std::vector<int> columnBlocks(int fromWidth, int toWidth) {
    std::vector<int> blocks(fromWidth);
    for (int x = 0; x < toWidth; ++x) {
        for (int column = blockStart(x, fromWidth, toWidth); column < blockStart(x + 1, fromWidth, toWidth);
             ++column)
            blocks[column] = x;
    }
    return blocks;
}

} // namespace

void shrinkBitmap(const std::uint8_t* from, PictureSize fromSize, std::uint8_t* to, PictureSize toSize) {
    const std::size_t fromStride = bitmapStride(fromSize.width), toStride = bitmapStride(toSize.width);
    const std::size_t pixelBytes = std::size_t{3} * toSize.width;
    const std::vector<int> blockOfColumn = columnBlocks(fromSize.width, toSize.width);
    // Blocks of a picture many times the frame's size overflow 32 bits.
    std::vector<std::uint64_t> sums(pixelBytes);
    for (int y = 0; y < toSize.height; ++y) {
        const int top = blockStart(y, fromSize.height, toSize.height);
        const int bottom = blockStart(y + 1, fromSize.height, toSize.height);
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = top; row < bottom; ++row) {
            const std::uint8_t* pixel = from + row * fromStride;
            for (int column = 0; column < fromSize.width; ++column, pixel += 3) {
                std::uint64_t* sum = &sums[3 * blockOfColumn[column]];
                sum[0] += pixel[0];
                sum[1] += pixel[1];
                sum[2] += pixel[2];
            }
        }
        std::uint8_t* out = to + y * toStride;
        for (int x = 0; x < toSize.width; ++x) {
            const std::uint64_t count =
                std::uint64_t(bottom - top) * (blockStart(x + 1, fromSize.width, toSize.width) -
                                               blockStart(x, fromSize.width, toSize.width));
            for (int at = 3 * x; at < 3 * x + 3; ++at)
                out[at] = static_cast<std::uint8_t>((sums[at] + count / 2) / count);
        }
        std::memset(out + pixelBytes, 0, toStride - pixelBytes);
    }
}
