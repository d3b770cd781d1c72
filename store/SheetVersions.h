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
    std::uint64_t hash = 0; // hashOfBytes of the version's bytes
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
    std::string indexPath() const;
    std::string versionPath(std::uint64_t id) const;
    std::optional<std::vector<IndexedVersion>> readIndex() const;
    bool holdsBytes(const IndexedVersion& version, std::string_view bytes, std::uint64_t hash) const;
    std::optional<std::string> readVersion(const IndexedVersion& version) const;

    std::string folder;
    VersionLimits limits;
};
