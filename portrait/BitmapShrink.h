#pragma once

// Shrinking a picture in the decoder's bitmap layout (see JpegDecoder.h)
// once, so that it need not be stretched on every paint. Portable.

#include "portrait/JpegDecoder.h"

#include <cstdint>

// Fills the bitmap `to` of `toSize`, no larger than `fromSize` either way,
// with the bitmap `from` shrunk: each of its pixels is the rounded mean of
// the block of `from` it covers, and every pixel of `from` lies in exactly
// one block, so no detail is dropped as a stretch to the nearest pixel
// drops it. Both have rows of bitmapStride bytes in the same order; the
// padding of `to` is zeroed.
void shrinkBitmap(const std::uint8_t* from, PictureSize fromSize, std::uint8_t* to, PictureSize toSize);
