#include "store/FileStamp.h"

#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

namespace {

// FNV-1a, 64 bits: a sheet is small, and the hash only tells the window's
// own bytes from someone else's.
constexpr std::uint64_t hashStart = 14695981039346656037ULL;

std::uint64_t hashed(std::uint64_t hash, std::string_view bytes) {
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::optional<std::uint64_t> hashOfFile(const std::string& path) {
    std::uint64_t hash = hashStart;
    const bool read = readFileParts(openForReading(path), [&hash](std::string_view part) {
        hash = hashed(hash, part);
        return true;
    });
    return read ? std::optional(hash) : std::nullopt;
}

FileStamp stampOfLook(const FileLook& look) {
    FileStamp stamp;
    switch (look.kind) {
    case FileLook::Kind::none: break;
    case FileLook::Kind::other: stamp.state = FileStamp::State::unreadable; break;
    case FileLook::Kind::file:
        stamp.state = FileStamp::State::present;
        stamp.size = look.size;
        stamp.writeTime = look.writeTime;
        break;
    }
    return stamp;
}

} // namespace

std::uint64_t hashOfBytes(std::string_view bytes) {
    return hashed(hashStart, bytes);
}

FileStamp stampOfFile(const std::string& path) {
    FileStamp stamp = stampOfLook(lookAtFile(path));
    if (stamp.state == FileStamp::State::present)
        stamp.hash = hashOfFile(path);
    return stamp;
}

FileStamp stampOfBytes(const FileLook& look, std::string_view bytes) {
    FileStamp stamp = stampOfLook(look);
    stamp.size = bytes.size();
    stamp.hash = hashOfBytes(bytes);
    return stamp;
}

FileStamp stampOfWritten(const std::string& path, std::string_view bytes) {
    return stampOfBytes(lookAtFile(path), bytes);
}

FileChange changeSince(FileStamp& seen, const std::string& path) {
    const FileLook now = lookAtFile(path);
    switch (now.kind) {
    case FileLook::Kind::none: return FileChange::gone;
    case FileLook::Kind::other:
        return seen.state == FileStamp::State::unreadable ? FileChange::unchanged : FileChange::changed;
    case FileLook::Kind::file: break;
    }
    if (seen.state != FileStamp::State::present || now.size != seen.size)
        return FileChange::changed;
    if (now.writeTime == seen.writeTime)
        return FileChange::unchanged;
    const std::optional<std::uint64_t> hash = hashOfFile(path);
    if (!hash || !seen.hash || *hash != *seen.hash)
        return FileChange::changed;
    seen.writeTime = now.writeTime;
    return FileChange::unchanged;
}
