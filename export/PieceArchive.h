#pragma once

// The piece file that the Udonarium online table takes by a drop onto it:
// one ZIP holding an XML file a doll (1.xml, 2.xml, ... in the order given)
// and the dolls' portraits, each stored once however many dolls show it and
// named by the SHA-256 of its bytes, as the room names its pictures. The ZIP
// is written as a sheet is saved: into a temporary file beside its place,
// which then replaces the old file.

#include "export/PortraitPicture.h"
#include "sheet/CharacterSheet.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest picture the room takes from a file.
inline constexpr std::size_t roomPictureBytes = std::size_t{2} << 20;
// A larger one goes in as a JPEG of this quality and longer side.
inline constexpr int shrunkPictureQuality = 90;
inline constexpr int shrunkPictureSide = 1024;

// One doll of the piece: its record, and the file it was read from, beside
// which its portrait is looked for (findPortraitFile).
struct PieceDoll {
    const CharacterSheet* sheet = nullptr;
    std::string sheetPath;
    PathCode sheetPathCode = PathCode::codePage932;
};

struct PieceOutcome {
    // notWritten: the file could not be written, and whatever was at its
    // place is as it was; stopped: the progress answered false, and nothing
    // was written.
    enum class Result { written, notWritten, stopped };
    Result result = Result::written;
    // The dolls, by their places in the list given, whose portrait line
    // names a picture that did not go in: none found there, a file that
    // cannot be read, a kind the room does not show, or too large and not
    // decodable. Their pieces went without a picture.
    std::vector<std::size_t> withoutPicture;
};

// Asked before each doll and once more before the file is written, with the
// number of dolls done and their total; false stops the work. Called on the
// thread that writes the piece.
using PieceProgress = std::function<bool(std::size_t done, std::size_t total)>;

PieceOutcome writeUdonariumPiece(const std::vector<PieceDoll>& dolls, const std::string& zipPath,
                                 PathCode zipPathCode, const PieceProgress& progress = {});

// The SHA-256 of the bytes in 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

// A portrait file as the piece stores it: a JPEG, PNG, GIF or bitmap of at
// most roomPictureBytes byte for byte; a larger JPEG or bitmap decoded and
// compressed again (shrunkPictureSide, shrunkPictureQuality). Nothing for
// any other file.
struct PiecePicture {
    std::string bytes;
    std::string_view extension; // "jpg", "png", "gif" or "bmp"
};
std::optional<PiecePicture> piecePicture(std::string file);
