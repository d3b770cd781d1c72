#pragma once

// A sheet's portrait as another program gets it: read from where the
// program's own rule finds it, and, where it must be smaller, decoded,
// shrunk and compressed again as a JPEG.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// How a path is held: code page 932, as the program's own dialogs and the
// command line give it, or UTF-8, as a folder listed by its Unicode names
// gives it.
enum class PathCode { codePage932, utf8 };

// A larger file is no portrait and is not read at all: an uncompressed
// bitmap this size already holds over 20 million pixels.
inline constexpr std::size_t maxPortraitFileBytes = std::size_t{64} << 20;

// A file on this machine and how its path is held.
struct PortraitFile {
    std::string path;
    PathCode code = PathCode::codePage932;
    bool operator==(const PortraitFile&) const = default;
};

// Where the portrait of the sheet file at `sheetPath`, whose portrait line
// reads `portraitPath`, lies: a plain file where findSheetPortrait
// (findListedSheetPortrait for a UTF-8 sheet path) finds one. A sheet may
// come from anyone, so never a pipe or a device, which could keep the
// program waiting, nor a share on another machine that the sheet names.
std::optional<PortraitFile> findPortraitFile(const std::string& sheetPath, PathCode code,
                                             const std::string& portraitPath);
// The file opened for reading; null when it cannot be.
std::FILE* openPortraitFile(const PortraitFile& file);
// Its bytes; nothing when it cannot be read whole or is over
// maxPortraitFileBytes.
std::optional<std::string> readPortraitFile(const PortraitFile& file);
// The two together.
std::optional<std::string> readSheetPortrait(const std::string& sheetPath, PathCode code,
                                             const std::string& portraitPath);

// The picture of a JPEG or Windows bitmap file, recognised by its content,
// compressed again as a JPEG of `quality` (1 to 100) whose longer side is at
// most `longerSide` pixels, a smaller picture keeping its size. A JPEG is
// decoded at the smallest of the library's reductions that still gives that
// size. Empty when the file holds no picture the program's decoders read.
std::string jpegNoLargerThan(std::string_view file, int longerSide, int quality);
// The same for a JPEG file opened for reading, decoded straight from it
// rather than from its bytes in memory; it is left open.
std::string jpegFileNoLargerThan(std::FILE* file, int longerSide, int quality);
