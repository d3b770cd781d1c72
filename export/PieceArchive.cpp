#include "export/PieceArchive.h"

#include "export/StoredZip.h"
#include "export/UdonariumPiece.h"
#include "sheet/TextFile.h"

#include <nettle/base16.h>
#include <nettle/sha2.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <new>
#include <vector>

namespace {

struct PictureKind {
    std::string_view signature;
    std::string_view extension;
};

constexpr std::string_view jpegSignature = "\xFF\xD8\xFF";

// The kinds the room shows and this program may pass on as they are, known
// by their first bytes as a browser knows them.
constexpr PictureKind pictureKinds[] = {{jpegSignature, "jpg"},
                                        {"\x89PNG\r\n\x1A\n", "png"},
                                        {"GIF87a", "gif"},
                                        {"GIF89a", "gif"},
                                        {"BM", "bmp"}};

const PictureKind* kindOf(std::string_view file) {
    for (const PictureKind& kind : pictureKinds)
        if (file.starts_with(kind.signature))
            return &kind;
    return nullptr;
}

// A JPEG compressed again for the piece; nothing when that failed or gave
// more than the room takes.
std::optional<PiecePicture> shrunkPicture(std::string jpeg) {
    if (jpeg.empty() || jpeg.size() > roomPictureBytes)
        return std::nullopt;
    return PiecePicture{std::move(jpeg), "jpg"};
}

// Whether the file, read from its start, holds a JPEG that is to be
// compressed again (piecePicture) and that readPortraitFile would read.
bool isLargeJpeg(std::FILE* file) {
    std::array<char, jpegSignature.size()> start{};
    if (std::fread(start.data(), 1, start.size(), file) != start.size() ||
        std::string_view(start.data(), start.size()) != jpegSignature || std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long size = std::ftell(file);
    return size > static_cast<long>(roomPictureBytes) && size <= static_cast<long>(maxPortraitFileBytes);
}

// The portrait file as piecePicture gives it. A JPEG too large to go in as
// it is gets decoded straight from its file: a camera's photo read whole
// first cost as long in finding memory for it as in reading it.
std::optional<PiecePicture> piecePictureOf(const PortraitFile& file) {
    std::FILE* opened = openPortraitFile(file);
    if (opened == nullptr)
        return std::nullopt;
    // The decoder asks for 4 KiB at a time, each a call to the system were
    // the file's buffer no larger.
    std::vector<char> buffer(std::size_t{64} << 10);
    std::setvbuf(opened, buffer.data(), _IOFBF, buffer.size());
    if (isLargeJpeg(opened)) {
        std::string jpeg = jpegFileNoLargerThan(opened, shrunkPictureSide, shrunkPictureQuality);
        std::fclose(opened);
        return shrunkPicture(std::move(jpeg));
    }
    std::rewind(opened);
    FileBytes read = readFileBytes(opened, maxPortraitFileBytes);
    if (read.outcome != FileBytes::Outcome::read)
        return std::nullopt;
    return piecePicture(std::move(read.bytes));
}

struct ZipEntry {
    std::string name; // ASCII
    std::string bytes;
};

// What the piece holds. A portrait file shown by several dolls is read
// once, and one picture found under several paths stored once.
struct PieceContents {
    std::vector<ZipEntry> pictures;
    std::vector<std::string> imageIdentifiers;                          // each doll's, empty for none
    std::map<std::string, std::optional<std::string>> identifierOfFile; // by the portrait file's path
};

std::optional<std::string> storedPicture(PieceContents& contents, const PortraitFile& file) {
    std::optional<PiecePicture> picture = piecePictureOf(file);
    if (!picture)
        return std::nullopt;
    std::string identifier = sha256Hex(picture->bytes);
    std::string name = identifier + "." + std::string(picture->extension);
    if (std::none_of(contents.pictures.begin(), contents.pictures.end(),
                     [&name](const ZipEntry& entry) { return entry.name == name; }))
        contents.pictures.push_back({std::move(name), std::move(picture->bytes)});
    return identifier;
}

// The identifier of the doll's picture; nothing when it has none to show.
std::optional<std::string> pictureOf(PieceContents& contents, const PieceDoll& doll) {
    const std::string portraitPath = doll.sheet->getPortraitPath();
    const std::optional<PortraitFile> file =
        portraitPath.empty() ? std::nullopt
                             : findPortraitFile(doll.sheetPath, doll.sheetPathCode, portraitPath);
    if (!file)
        return std::nullopt;
    const auto known = contents.identifierOfFile.find(file->path);
    if (known != contents.identifierOfFile.end())
        return known->second;
    return contents.identifierOfFile[file->path] = storedPicture(contents, *file);
}

// The pictures first, so that a room reading the entries in their order
// has each doll's picture before the doll, then the dolls' documents, each
// made as it goes in: a party's documents run to tens of megabytes, which
// held all at once would take longer to find room for than to write.
// Entries are stored as they are: the pictures are compressed already, and
// deflating the documents would double the time the piece takes for little
// the room gains. Every entry carries the same time, so that the same dolls
// give the same file.
bool zipInto(std::FILE* file, const PieceContents& contents, const std::vector<PieceDoll>& dolls) {
    StoredZip zip(file);
    bool added = std::all_of(contents.pictures.begin(), contents.pictures.end(),
                             [&zip](const ZipEntry& entry) { return zip.add(entry.name, entry.bytes); });
    for (std::size_t at = 0; added && at < dolls.size(); ++at)
        added = zip.add(std::to_string(at + 1) + ".xml",
                        udonariumCharacter(*dolls[at].sheet, contents.imageIdentifiers[at]));
    return added && zip.finish();
}

// A document that finds no memory fails the piece as a full disk does, so
// that the save takes its temporary file away again.
bool zipWithoutThrowing(std::FILE* file, const PieceContents& contents, const std::vector<PieceDoll>& dolls) {
    try {
        return zipInto(file, contents, dolls);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool stillWanted(const PieceProgress& progress, std::size_t done, std::size_t total) {
    return !progress || progress(done, total);
}

bool writeAt(const std::string& path, PathCode code, const FileWriting& write) {
    return code == PathCode::utf8 ? replaceUtf8FileWith(path, write) : replaceFileWith(path, write);
}

} // namespace

std::string sha256Hex(std::string_view bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest;
    sha256_digest(&context, digest.size(), digest.data());
    std::string hex(BASE16_ENCODE_LENGTH(digest.size()), '\0');
    base16_encode_update(hex.data(), digest.size(), digest.data());
    return hex;
}

std::optional<PiecePicture> piecePicture(std::string file) {
    const PictureKind* kind = kindOf(file);
    if (kind == nullptr)
        return std::nullopt;
    if (file.size() <= roomPictureBytes)
        return PiecePicture{std::move(file), kind->extension};
    return shrunkPicture(jpegNoLargerThan(file, shrunkPictureSide, shrunkPictureQuality));
}

PieceOutcome writeUdonariumPiece(const std::vector<PieceDoll>& dolls, const std::string& zipPath,
                                 PathCode zipPathCode, const PieceProgress& progress) {
    PieceOutcome outcome;
    PieceContents contents;
    for (std::size_t at = 0; at < dolls.size(); ++at) {
        if (!stillWanted(progress, at, dolls.size()))
            return {PieceOutcome::Result::stopped, {}};
        const PieceDoll& doll = dolls[at];
        const std::optional<std::string> identifier = pictureOf(contents, doll);
        if (!identifier && !doll.sheet->getPortraitPath().empty())
            outcome.withoutPicture.push_back(at);
        contents.imageIdentifiers.push_back(identifier.value_or(""));
    }
    if (!stillWanted(progress, dolls.size(), dolls.size()))
        return {PieceOutcome::Result::stopped, {}};
    if (!writeAt(zipPath, zipPathCode,
                 [&](std::FILE* file) { return zipWithoutThrowing(file, contents, dolls); }))
        outcome.result = PieceOutcome::Result::notWritten;
    return outcome;
}
