#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Files are opened by their code page 932 names, read and written as bytes:
// line ends are handled here rather than by the runtime's text mode, which
// would also stop reading at a Ctrl+Z byte.

// The byte-order mark with which some editors, Notepad among them, begin a
// UTF-8 file.
inline constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// A line of a text in memory and where the next one begins. Lines end as
// pasted text's do, at CR LF, LF or CR; a line break at the very end begins
// no further line.
struct TextLine {
    std::string_view text;
    std::size_t next;
};
TextLine lineAt(std::string_view text, std::size_t at);

// Reads a file line by line. A line ends at a line feed and a carriage return
// right before it is dropped; a last line without a line end still counts.
class LineReader {
public:
    // Larger inputs are taken as damaged rather than read into memory.
    static constexpr std::size_t defaultByteLimit = std::size_t{256} << 20;

    explicit LineReader(const std::string& path, std::size_t byteLimit = defaultByteLimit);
    // Takes over a file opened for reading (none when it could not be).
    explicit LineReader(std::FILE* opened, std::size_t byteLimit = defaultByteLimit);
    // Reads the lines of a file's bytes already in memory, by the same rule.
    explicit LineReader(std::string_view bytes);

    bool isOpen() const { return file != nullptr || inMemory; }
    // False at the end of the file, on a read error and once more than the
    // byte limit has been read; `line` is then empty.
    bool readLine(std::string& line);
    // Moves past `bytes` when the unread part of the file begins with them;
    // tells whether it did.
    bool skip(std::string_view bytes);
    // True when reading stopped for a reason other than the end of the file.
    bool failed() const { return broken; }

private:
    bool refill();

    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file;
    std::string buffer;
    std::size_t bufferAt = 0;
    std::size_t bytesRead = 0;
    std::size_t byteLimit;
    bool atEnd = false;
    bool broken = false;
    bool inMemory = false;
};

// The whole of a file, read at once.
struct FileBytes {
    // missing: it could not be opened, or not read (a folder, a read that
    // failed); tooLarge: it holds more than the limit asked for.
    enum class Outcome { read, missing, tooLarge };
    std::string bytes;
    Outcome outcome = Outcome::read;
};
FileBytes readFileBytes(const std::string& path, std::size_t byteLimit);
// The same for a file already opened for reading (by a UTF-8 path, say),
// which it closes; none opened (null) is missing.
FileBytes readFileBytes(std::FILE* opened, std::size_t byteLimit);
// Reads a file opened for reading a part at a time, never whole in memory,
// giving each part to `take` as long as it answers true, and closes it.
// True when every byte was read and taken; none opened (null) is none read.
bool readFileParts(std::FILE* opened, const std::function<bool(std::string_view)>& take);

// Writes `bytes` to `path` without ever leaving a half-written file there:
// the bytes go to a temporary file beside it, which is flushed to the disk and
// then put in the place of the old file in one step. False when any step
// fails; the old file is then untouched and the temporary file removed.
bool replaceFileContents(const std::string& path, std::string_view bytes);
// The same, asking `stillWanted` once the temporary file is on the disk:
// a writer that merges with what another writer put there may find, at the
// last moment, that the old file is no longer the one it merged with.
enum class Replacement { done, failed, notWanted };
Replacement replaceFileContentsIf(const std::string& path, std::string_view bytes,
                                  const std::function<bool()>& stillWanted);
// The same for a UTF-8 path, reached on Windows through its Unicode name.
// A file whose damage shows when it is read back (its hash kept elsewhere)
// may be left `cached` for the system to write when it will: a power cut
// may then damage it, but never half replace it.
enum class Durability { onDisk, cached };
bool replaceUtf8FileContents(const std::string& utf8Path, std::string_view bytes,
                             Durability durability = Durability::onDisk);
// The same for bytes made as they are written, too many to be held in
// memory first: `write` puts them into the temporary file, and answers
// false when it could not.
using FileWriting = std::function<bool(std::FILE*)>;
bool replaceFileWith(const std::string& path, const FileWriting& write);
bool replaceUtf8FileWith(const std::string& utf8Path, const FileWriting& write,
                         Durability durability = Durability::onDisk);
// Adds `bytes` at the end of the file at the UTF-8 path, made when it is
// not there. Nothing waits for them on the disk, and a reader may find them
// cut short when the write fails or the power goes.
bool appendToUtf8File(const std::string& utf8Path, std::string_view bytes);
#ifdef _WIN32
// The same for a Unicode path, which may name a folder, such as a user's
// profile, that code page 932 cannot.
bool replaceFileContents(const std::wstring& path, std::string_view bytes);
#endif
