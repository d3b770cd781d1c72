#pragma once

#include "portrait/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Whether the file is a Windows bitmap whose header claims a picture larger
// than any portrait: such a file is refused before the system is asked to
// allocate for it. Files that are no bitmap, or a bitmap within bounds,
// answer false.
bool isOversizedBitmapFile(const std::string& path);

// Answers whether a Windows bitmap file held in memory was decoded into the
// allocated memory, in the JPEG decoder's layout. Where no Windows call is at
// hand this reads the kinds a paint program saves a photo as: uncompressed
// rows of 24 or 32 bits a pixel, bottom-up or top-down. Any other kind, a
// file cut short, a size beyond a portrait or a refused allocation answer
// false.
bool decodeBitmapMemory(const std::uint8_t* data, std::size_t size, const RasterAllocator& allocate);
