#include "sheet/TextFile.h"

#include "sheet/FileSystem.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr std::size_t chunkSize = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

// A carriage return alone ends a line too, but only one before the next line
// feed can.
TextLine lineAt(std::string_view text, std::size_t at) {
    const char* begin = text.data() + at;
    const void* feed = std::memchr(begin, '\n', text.size() - at);
    std::size_t end = feed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(feed) - text.data())
                                      : text.size();
    if (const void* carriageReturn = std::memchr(begin, '\r', end - at))
        end = static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - text.data());
    const std::size_t breakLength = text.substr(end, 2) == "\r\n" ? 2 : end < text.size() ? 1 : 0;
    return {text.substr(at, end - at), end + breakLength};
}

LineReader::LineReader(const std::string& path, std::size_t byteLimit)
    : LineReader(openForReading(path), byteLimit) {}

LineReader::LineReader(std::FILE* opened, std::size_t byteLimit) : file(opened), byteLimit(byteLimit) {
    atEnd = file == nullptr;
}

LineReader::LineReader(std::string_view bytes)
    : buffer(bytes), bytesRead(bytes.size()), byteLimit(defaultByteLimit), atEnd(true), inMemory(true) {}

bool LineReader::refill() {
    if (atEnd)
        return false;
    buffer.erase(0, bufferAt);
    bufferAt = 0;
    const std::size_t kept = buffer.size();
    buffer.resize(kept + chunkSize);
    const std::size_t got = std::fread(buffer.data() + kept, 1, chunkSize, file.get());
    buffer.resize(kept + got);
    bytesRead += got;
    if (got < chunkSize) {
        atEnd = true;
        broken = std::ferror(file.get()) != 0;
    }
    if (bytesRead > byteLimit) {
        atEnd = true;
        broken = true;
        buffer.clear();
        return false;
    }
    return got > 0;
}

bool LineReader::readLine(std::string& line) {
    line.clear();
    std::size_t searchFrom = bufferAt;
    for (;;) {
        const char* start = buffer.data() + searchFrom;
        const void* feed = std::memchr(start, '\n', buffer.size() - searchFrom);
        if (feed != nullptr) {
            const std::size_t end = static_cast<const char*>(feed) - buffer.data();
            const std::size_t length = end - bufferAt - (end > bufferAt && buffer[end - 1] == '\r' ? 1 : 0);
            line.assign(buffer, bufferAt, length);
            bufferAt = end + 1;
            return true;
        }
        const std::size_t scanned = buffer.size() - bufferAt;
        if (!refill())
            break;
        searchFrom = scanned; // refill moved the unread bytes to the front
    }
    if (broken || bufferAt == buffer.size())
        return false;
    line.assign(buffer, bufferAt, std::string::npos);
    bufferAt = buffer.size();
    return true;
}

bool LineReader::skip(std::string_view bytes) {
    while (buffer.size() - bufferAt < bytes.size() && refill()) {
    }
    if (!std::string_view(buffer).substr(bufferAt).starts_with(bytes))
        return false;
    bufferAt += bytes.size();
    return true;
}

FileBytes readFileBytes(const std::string& path, std::size_t byteLimit) {
    return readFileBytes(openForReading(path), byteLimit);
}

// The file's size is a hint only: a folder may give any, and a file that
// grows while it is read still stops at the limit.
FileBytes readFileBytes(std::FILE* opened, std::size_t byteLimit) {
    const std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (!file)
        return {{}, FileBytes::Outcome::missing};
    long size = 0;
    if (std::fseek(file.get(), 0, SEEK_END) == 0)
        size = std::clamp(std::ftell(file.get()), 0L, static_cast<long>(byteLimit));
    std::rewind(file.get());
    FileBytes read;
    read.bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t have = 0;
    for (std::size_t got = 1; got > 0 && have <= byteLimit; have += got) {
        if (have == read.bytes.size())
            read.bytes.resize(have * 2);
        got = std::fread(read.bytes.data() + have, 1, read.bytes.size() - have, file.get());
    }
    if (have > byteLimit)
        return {{}, FileBytes::Outcome::tooLarge};
    if (std::ferror(file.get()) != 0)
        return {{}, FileBytes::Outcome::missing};
    read.bytes.resize(have);
    return read;
}

bool readFileParts(std::FILE* opened, const std::function<bool(std::string_view)>& take) {
    const std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (!file)
        return false;
    std::array<char, chunkSize> part;
    for (std::size_t got; (got = std::fread(part.data(), 1, part.size(), file.get())) > 0;)
        if (!take(std::string_view(part.data(), got)))
            return false;
    return std::ferror(file.get()) == 0;
}

std::FILE* openForWriting(const std::string& path) {
    return std::fopen(path.c_str(), "wb");
}

void removeFile(const std::string& path) {
    std::remove(path.c_str());
}

namespace {

// Each save goes through a temporary file of its own, named for the process
// and the save: two under way at once, in this process or in another that
// writes into the same folder (two programs registering into one shared
// catalogue), would otherwise truncate or remove each other's.
std::string temporarySuffix() {
    static std::atomic<unsigned long> savesStarted{0};
    return ".saving-" + std::to_string(thisProcessId()) + "-" + std::to_string(savesStarted++);
}

FileWriting writing(std::string_view bytes) {
    return
        [bytes](std::FILE* out) { return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(); };
}

// The same steps whichever width the path's characters have.
template <class Path>
Replacement replaceContents(const Path& path, const FileWriting& write,
                            const std::function<bool()>& stillWanted,
                            Durability durability = Durability::onDisk) {
    const std::string suffix = temporarySuffix();
    const Path temporary = path + Path(suffix.begin(), suffix.end());
    std::FILE* out = openForWriting(temporary);
    if (out == nullptr)
        return Replacement::failed;
    bool written = write(out);
    written = std::fflush(out) == 0 && written;
    written = (durability == Durability::cached || flushToDisk(out)) && written;
    written = std::fclose(out) == 0 && written;
    const Replacement outcome = !written                        ? Replacement::failed
                                : stillWanted && !stillWanted() ? Replacement::notWanted
                                : replaceFile(temporary, path)  ? Replacement::done
                                                                : Replacement::failed;
    if (outcome != Replacement::done)
        removeFile(temporary);
    return outcome;
}

} // namespace

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    return replaceContents(path, writing(bytes), {}) == Replacement::done;
}

Replacement replaceFileContentsIf(const std::string& path, std::string_view bytes,
                                  const std::function<bool()>& stillWanted) {
    return replaceContents(path, writing(bytes), stillWanted);
}

bool replaceFileWith(const std::string& path, const FileWriting& write) {
    return replaceContents(path, write, {}) == Replacement::done;
}

#ifdef _WIN32
bool replaceFileContents(const std::wstring& path, std::string_view bytes) {
    return replaceContents(path, writing(bytes), {}) == Replacement::done;
}
#endif

namespace {

// A UTF-8 path as this system's file functions take it.
#ifdef _WIN32
std::wstring systemPath(const std::string& utf8Path) {
    return wideOfUtf8(utf8Path);
}
#else
const std::string& systemPath(const std::string& utf8Path) {
    return utf8Path;
}
#endif

} // namespace

bool replaceUtf8FileContents(const std::string& utf8Path, std::string_view bytes, Durability durability) {
    return replaceUtf8FileWith(utf8Path, writing(bytes), durability);
}

bool replaceUtf8FileWith(const std::string& utf8Path, const FileWriting& write, Durability durability) {
    return replaceContents(systemPath(utf8Path), write, {}, durability) == Replacement::done;
}

bool appendToUtf8File(const std::string& utf8Path, std::string_view bytes) {
    std::FILE* file = openUtf8ForAppending(utf8Path);
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
