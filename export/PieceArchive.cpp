#include "export/PieceArchive.h"

#include "export/UdonariumPiece.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include <minizip/zip.h>
#include <nettle/base16.h>
#include <nettle/sha2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <new>

namespace {

struct PictureKind {
    std::string_view signature;
    std::string_view extension;
};

// The kinds the room shows and this program may pass on as they are, known
// by their first bytes as a browser knows them.
constexpr PictureKind pictureKinds[] = {{"\xFF\xD8\xFF", "jpg"},
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

// ---- The ZIP in memory, through minizip's file functions ----

struct ZipMemory {
    std::string bytes;
    std::size_t at = 0;
    bool failed = false;
};

ZipMemory& memoryOf(voidpf stream) {
    return *static_cast<ZipMemory*>(stream);
}

voidpf openMemory(voidpf opaque, const void*, int) {
    return opaque;
}

uLong readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    ZipMemory& memory = memoryOf(stream);
    const std::size_t count =
        std::min<std::size_t>(size, memory.bytes.size() - std::min(memory.at, memory.bytes.size()));
    std::memcpy(buffer, memory.bytes.data() + memory.at, count);
    memory.at += count;
    return static_cast<uLong>(count);
}

// Called inside minizip, which no exception may cross.
uLong writeMemory(voidpf, voidpf stream, const void* buffer, uLong size) {
    ZipMemory& memory = memoryOf(stream);
    const char* bytes = static_cast<const char*>(buffer);
    // Most writes go at the end: appended, not zero-filled first.
    const std::size_t over = std::min<std::size_t>(size, memory.bytes.size() - memory.at);
    std::memcpy(memory.bytes.data() + memory.at, bytes, over);
    try {
        memory.bytes.append(bytes + over, size - over);
    } catch (const std::bad_alloc&) {
        memory.failed = true;
        return 0;
    }
    memory.at += size;
    return size;
}

ZPOS64_T tellMemory(voidpf, voidpf stream) {
    return memoryOf(stream).at;
}

long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    ZipMemory& memory = memoryOf(stream);
    const ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? memory.at
                          : origin == ZLIB_FILEFUNC_SEEK_END ? memory.bytes.size()
                                                             : 0;
    if (base + offset > memory.bytes.size())
        return -1;
    memory.at = static_cast<std::size_t>(base + offset);
    return 0;
}

int closeMemory(voidpf, voidpf) {
    return 0;
}

int memoryError(voidpf, voidpf stream) {
    return memoryOf(stream).failed ? 1 : 0;
}

struct ZipEntry {
    std::string name; // ASCII
    std::string bytes;
};

// Entries are stored as they are: the pictures are compressed already, and
// deflating the documents would double the time the piece takes for little
// the room gains. Every entry carries the same time, so that the same dolls
// give the same file.
bool addEntry(zipFile zip, const ZipEntry& entry) {
    zip_fileinfo info{};
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
    if (zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0) !=
        ZIP_OK)
        return false;
    const bool written =
        zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

// The ZIP of the entries, in their order; nothing when minizip fails.
std::optional<std::string> zipOf(const std::vector<ZipEntry>& entries) {
    ZipMemory memory;
    // Room for every entry and its headers at once, rather than the bytes
    // moved again each time the ZIP outgrows its buffer.
    std::size_t total = 0;
    for (const ZipEntry& entry : entries)
        total += entry.bytes.size() + 2 * entry.name.size() + 128;
    try {
        memory.bytes.reserve(total + 64);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    zlib_filefunc64_def functions{openMemory, readMemory,  writeMemory, tellMemory,
                                  seekMemory, closeMemory, memoryError, &memory};
    zipFile zip = zipOpen2_64("piece", APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr)
        return std::nullopt;
    const bool added = std::all_of(entries.begin(), entries.end(),
                                   [zip](const ZipEntry& entry) { return addEntry(zip, entry); });
    const bool closed = zipClose(zip, nullptr) == ZIP_OK;
    if (!added || !closed || memory.failed)
        return std::nullopt;
    return std::move(memory.bytes);
}

// ---- The dolls ----

// What the piece holds so far. A portrait file shown by several dolls is
// read once, and one picture found under several paths stored once.
struct PieceContents {
    std::vector<ZipEntry> pictures;
    std::vector<ZipEntry> characters;
    std::map<std::string, std::optional<std::string>> identifierOfFile; // by the portrait file's path
};

std::optional<std::string> storedPicture(PieceContents& contents, const PortraitFile& file) {
    std::optional<std::string> bytes = readPortraitFile(file);
    std::optional<PiecePicture> picture = bytes ? piecePicture(std::move(*bytes)) : std::nullopt;
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

bool stillWanted(const PieceProgress& progress, std::size_t done, std::size_t total) {
    return !progress || progress(done, total);
}

bool writeAt(const std::string& path, PathCode code, std::string_view bytes) {
#ifdef _WIN32
    if (code == PathCode::utf8)
        return replaceFileContents(wideOfUtf8(path), bytes);
#else
    (void)code; // POSIX names are bytes, taken as they are
#endif
    return replaceFileContents(path, bytes);
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
    std::string jpeg = jpegNoLargerThan(file, shrunkPictureSide, shrunkPictureQuality);
    if (jpeg.empty() || jpeg.size() > roomPictureBytes)
        return std::nullopt;
    return PiecePicture{std::move(jpeg), "jpg"};
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
        contents.characters.push_back(
            {std::to_string(at + 1) + ".xml", udonariumCharacter(*doll.sheet, identifier.value_or(""))});
    }
    if (!stillWanted(progress, dolls.size(), dolls.size()))
        return {PieceOutcome::Result::stopped, {}};
    // The pictures come first, so that a room reading the entries in their
    // order has each doll's picture before the doll.
    std::vector<ZipEntry> entries = std::move(contents.pictures);
    std::move(contents.characters.begin(), contents.characters.end(), std::back_inserter(entries));
    const std::optional<std::string> zip = zipOf(entries);
    if (!zip || !writeAt(zipPath, zipPathCode, *zip))
        outcome.result = PieceOutcome::Result::notWritten;
    return outcome;
}
