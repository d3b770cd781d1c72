#pragma once

// A doll's portrait shrunk for the doll list, made from the sheet's
// portrait line without any window: safe on a worker thread.

#include "portrait/JpegDecoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The thumbnail's size at 96 dots an inch; the window scales it with the
// screen.
inline constexpr PictureSize dollThumbnailSize = {48, 64};

// Pixels in the JPEG decoder's layout (see JpegDecoder.h): bottom-up rows
// of blue, green, red, each padded to a multiple of 4 bytes.
struct Thumbnail {
    PictureSize size;
    std::vector<std::uint8_t> pixels;
};

// The portrait named by `portraitPath` (the sheet's line, code page 932) of
// the sheet at `sheetPath` (UTF-8), found as the sheet's own portrait is
// found, decoded (a JPEG or a bitmap, judged by its bytes) and stretched to
// fill `box` as the sheet's frame stretches it. Nothing when there is no
// portrait or it cannot be read; a path to another machine, a device or a
// pipe is never opened.
std::optional<Thumbnail> makeThumbnail(const std::string& sheetPath, const std::string& portraitPath,
                                       PictureSize box);
