// Any bytes handed to the decoder as a JPEG resource, at any size it may be
// asked to keep, must decode or fail without a write outside the rows it
// was given and without asking memory for a picture over the portrait limit,
// and a decoded picture must keep every row's padding zero. The rows are a
// vector of exactly the size asked for, so AddressSanitizer sees a byte too
// far.
#include "FuzzInput.h"

#include "portrait/JpegDecoder.h"

#include <vector>

namespace {

// Larger pictures only slow the run down; refusing them drives the refusal
// path as well.
constexpr std::uint64_t maxFuzzPixels = 4096 * 4096;

// What the rows hold before decoding, so that padding left alone shows.
constexpr std::uint8_t untouched = 0xA5;

// One side of the size a picture must keep, from 1 to a few thousand pixels,
// spread evenly over the powers of two so that small and large pictures
// alike meet every reduction.
int wantedSide(std::uint32_t bits) {
    return static_cast<int>(((256 + (bits & 0xFF)) << ((bits >> 8) % 12)) >> 8);
}

// The size the picture must keep while it is decoded, drawn from all the
// bytes (FNV-1a) so that the JPEG itself stays whole: each change the fuzzer
// makes draws anew, and every scale the program may choose gets its turn.
PictureSize wantedSize(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return {wantedSide(hash & 0xFFF), wantedSide(hash >> 12)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> rows;
    int width = 0, height = 0, allocations = 0;
    std::size_t stride = 0;
    const RasterAllocator allocate = [&](int pictureWidth, int pictureHeight,
                                         std::size_t rowStride) -> std::uint8_t* {
        ++allocations;
        require(pictureWidth > 0 && pictureHeight > 0, "memory asked for a picture of no size");
        require(rowStride == bitmapStride(pictureWidth), "a stride other than the bitmap's");
        require(std::uint64_t(pictureWidth) * std::uint64_t(pictureHeight) <= maxPortraitPixels,
                "memory asked for a picture over the portrait limit");
        width = pictureWidth;
        height = pictureHeight;
        stride = rowStride;
        if (std::uint64_t(pictureWidth) * std::uint64_t(pictureHeight) > maxFuzzPixels)
            return nullptr;
        rows.assign(rowStride * static_cast<std::size_t>(pictureHeight), untouched);
        return rows.data();
    };
    const bool decoded = decodeJpegMemory(data, size, allocate, wantedSize(data, size));
    require(allocations <= 1, "memory asked for twice");
    require(!decoded || !rows.empty(), "decoded without memory");
    if (!decoded)
        return 0;
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        for (std::size_t at = pixelBytes; at < stride; ++at)
            require(rows[static_cast<std::size_t>(y) * stride + at] == 0, "padding not zero");
    }
    return 0;
}
