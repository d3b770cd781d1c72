#pragma once

// The versions of sheets: the bytes each write over a sheet file replaced,
// kept in a folder of the user's so that a wrong answer to "上書きしますか？"
// or an older copy synced over a newer one loses nothing. The folder holds
// one index, a UTF-8 text with a line a version, and one file a version.
// Every keep checks and trims the store as it writes it: at most 50
// versions a sheet and 64 MiB in all, the oldest going first. A damaged
// index line is skipped and a version whose file is missing or damaged is
// listed as unreadable; neither stops a keep or a read.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One version as the index lists it. `sheetKey` names the sheet: its full
// path resolved, as the caller makes it, in UTF-8.
struct IndexedVersion {
    std::uint64_t id = 0;     // grows with every version kept: the newest has the largest
    std::int64_t savedAt = 0; // when the sheet file was written with these bytes (FileLook::writeTime)
    std::uint64_t size = 0;
    std::uint64_t hash = 0; // xxHash64 of the version's bytes, or FNV-1a (hashOfBytes) as older stores hold
    std::string sheetKey;
    bool operator==(const IndexedVersion&) const = default;
};

// An index file larger than this is none of the program's.
inline constexpr std::size_t versionIndexLimit = std::size_t{16} << 20;

// The versions of an index's text, in the order of its lines; a line that is
// no version (damaged, or an id listed before) is left out.
std::vector<IndexedVersion> readVersionIndex(std::string_view text);
std::string versionIndexText(const std::vector<IndexedVersion>& versions);

struct VersionLimits {
    std::size_t versionsASheet = 50;
    std::uint64_t bytesInAll = std::uint64_t{64} << 20;
};

enum class VersionKept { kept, nothingToKeep, failed };

// A version as the dialog lists it.
struct SheetVersionEntry {
    std::string id;
    std::int64_t savedAt = 0; // FileLook::writeTime units: localTimeOf() tells it
    std::uint64_t size = 0;
    bool readable = false; // its file is there, of the size listed
    bool operator==(const SheetVersionEntry&) const = default;
};

// The store in the folder at the UTF-8 path `folder`, which a keep makes
// when its parent is there. It takes no lock: two processes that share the
// folder hold one around every keep and delete.
class SheetVersions {
public:
    explicit SheetVersions(std::string folder, VersionLimits limits = {})
        : folder(std::move(folder)), limits(limits) {}

    // Just before the sheet file at `sheetPath` (as the program's narrow
    // file functions take it) is replaced by `newBytes`: keeps the bytes it
    // holds now. Nothing to keep when there is no file, when it holds
    // `newBytes` already or when a version of the sheet holds its bytes.
    VersionKept keepBeforeWrite(const std::string& sheetKey, const std::string& sheetPath,
                                std::string_view newBytes) const;
    // The same with the replaced file's bytes and write time already read.
    VersionKept keep(const std::string& sheetKey, std::string_view oldBytes, std::int64_t savedAt) const;

    // Newest first.
    std::vector<SheetVersionEntry> versionsOf(const std::string& sheetKey) const;
    // Nothing when the version is not the sheet's, or its file is gone or
    // no longer holds the bytes that were kept.
    std::optional<std::string> bytesOf(const std::string& sheetKey, const std::string& id) const;
    // True when the version is no longer listed.
    bool remove(const std::string& sheetKey, const std::string& id) const;

private:
    // The index as read, with where each version's line begins, how many
    // of its lines list none (the header, lines damaged or crossed out, ids
    // listed before) and whether lines can be added to it and crossed out
    // of it as it stands.
    struct Index {
        std::vector<IndexedVersion> versions;
        std::map<std::uint64_t, std::size_t> lineStarts;
        std::size_t linesListingNone = 0;
        bool changesInPlace = false;
    };
    // Gives a version's bytes a part at a time to the function it is
    // passed, as long as that answers true; false when it could not give
    // them all.
    using VersionBytes = std::function<bool(const std::function<bool(std::string_view)>&)>;

    std::string indexPath() const;
    std::string versionPath(std::uint64_t id) const;
    std::optional<Index> readIndex() const;
    std::optional<std::string> readVersion(const IndexedVersion& version) const;
    VersionKept keepFrom(const std::string& sheetKey, const VersionBytes& bytes, std::int64_t savedAt) const;
    bool writeVersion(IndexedVersion& added, const VersionBytes& bytes) const;
    bool holdsBytesOf(const IndexedVersion& version, const IndexedVersion& added) const;
    bool list(Index& index, const IndexedVersion& added) const;
    bool crossOut(const Index& index, const std::vector<IndexedVersion>& gone) const;

    std::string folder;
    VersionLimits limits;
};
