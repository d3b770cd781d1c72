#pragma once

// Decodes JPEG portraits straight into the layout of a bottom-up 24-bit
// Windows bitmap: rows from the bottom of the picture up, each row's pixels
// left to right as blue, green, red, each row padded with zero bytes to a
// multiple of 4. Colour pictures decode as the library gives them; grey and
// CMYK pictures are converted to the same layout. Portable: the windowing
// layer provides the pixel memory (a DIB section) and owns it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>

// Called once, after the header has been read, with the size the picture is
// decoded at; answers the start of stride * height bytes for the rows, or
// null to give up. The memory stays the caller's whatever the decoding's
// outcome.
using RasterAllocator = std::function<std::uint8_t*(int width, int height, std::size_t stride)>;

// Larger pictures are no portrait: they fail right after the header is read,
// before anything is allocated.
inline constexpr std::uint64_t maxPortraitPixels = 100'000'000;

// A picture's width and height in pixels.
struct PictureSize {
    int width = 0;
    int height = 0;
};

// How far a picture may shrink while it is decoded: the library decodes at
// 1/2, 1/4 or 1/8 of the size for a fraction of the work, and a portrait
// shown in a small frame needs no more than a few times the frame's pixels.
// No picture keeps this size when reduced, so it asks for the full size.
inline constexpr PictureSize fullSize = {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};

// The largest of 2, 4 and 8 by which the library's reduced picture (each
// side divided and rounded up) is still at least `atLeast` in both
// directions; 1 when none is.
int jpegReduction(PictureSize picture, PictureSize atLeast);

// Bytes in one bitmap row of `width` pixels: three a pixel, rounded up to a
// multiple of 4.
std::size_t bitmapStride(int width);

// Answer whether a picture was decoded into the allocated memory, at its
// size reduced by jpegReduction(its size, `atLeast`). Damage the library
// only warns about (a file that ends early, say) still gives the picture as
// far as it goes; a fatal library error, a file that is no JPEG, a size over
// the limit (of the picture itself, not of its reduction) or a refused
// allocation answer false. Never ends the program, and every path out
// releases the decoder and any file opened.
bool decodeJpegFile(const std::string& path, const RasterAllocator& allocate, PictureSize atLeast = fullSize);
// The same for a file opened for reading, read from where it stands and
// left open.
bool decodeJpegStream(std::FILE* file, const RasterAllocator& allocate, PictureSize atLeast = fullSize);
bool decodeJpegMemory(const std::uint8_t* data, std::size_t size, const RasterAllocator& allocate,
                      PictureSize atLeast = fullSize);
