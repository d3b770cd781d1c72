#include "store/SheetVersions.h"

#include "sheet/CodePage932.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"
#include "store/FileStamp.h"
#include "store/XxHash64.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace {

constexpr std::string_view indexHeader = "Velmora versions 1";
constexpr std::size_t hashDigits = 16;
// Numbers of more digits (and a sign) could overflow, and no store reaches them.
constexpr std::size_t mostNumberDigits = 18;

template <class Number> std::optional<Number> numberOf(std::string_view text, int base = 10) {
    Number number{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number, base);
    if (text.size() > mostNumberDigits + 1 || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::optional<std::uint64_t> hashOf(std::string_view text) {
    const bool hexadecimal = text.size() == hashDigits && std::ranges::all_of(text, [](char c) {
                                 return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                             });
    return hexadecimal ? numberOf<std::uint64_t>(text, 16) : std::nullopt;
}

std::string hashText(std::uint64_t hash) {
    char text[hashDigits + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// A key is a path in UTF-8 on one line: no control character, which no
// Windows path holds, may end or split it.
bool isSheetKey(std::string_view key) {
    return !key.empty() && isUtf8(key) &&
           std::ranges::none_of(key, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// "id TAB savedAt TAB size TAB hash TAB key": the key last, as it is the
// one field whose length is the user's.
std::optional<IndexedVersion> versionOfLine(std::string_view line) {
    std::string_view fields[4];
    for (std::string_view& field : fields) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return std::nullopt;
        field = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    const std::optional<std::uint64_t> id = numberOf<std::uint64_t>(fields[0]);
    const std::optional<std::int64_t> savedAt = numberOf<std::int64_t>(fields[1]);
    const std::optional<std::uint64_t> size = numberOf<std::uint64_t>(fields[2]);
    const std::optional<std::uint64_t> hash = hashOf(fields[3]);
    if (!id || !savedAt || !size || !hash || !isSheetKey(line))
        return std::nullopt;
    return IndexedVersion{*id, *savedAt, *size, *hash, std::string(line)};
}

std::string versionLine(const IndexedVersion& version) {
    return std::to_string(version.id) + '\t' + std::to_string(version.savedAt) + '\t' +
           std::to_string(version.size) + '\t' + hashText(version.hash) + '\t' + version.sheetKey + "\r\n";
}

bool endsWithLineBreak(std::string_view text) {
    return text.ends_with('\n') || text.ends_with('\r');
}

// A keep lists the xxHash64 of a version's bytes; one kept before the store
// took it lists their FNV-1a, and is read as well.
bool hashesTo(std::string_view bytes, std::uint64_t hash) {
    return xxHash64(bytes) == hash || hashOfBytes(bytes) == hash;
}

// Whether the file holds `bytes`, read a part at a time: a long sheet is
// never read whole into memory, nor read at all when its size differs.
bool fileHolds(const std::string& path, const FileLook& look, std::string_view bytes) {
    if (look.size != bytes.size())
        return false;
    std::size_t at = 0;
    const bool same = readFileParts(openForReading(path), [&](std::string_view part) {
        const bool alike = bytes.substr(at, part.size()) == part;
        at += part.size();
        return alike;
    });
    return same && at == bytes.size();
}

bool isListed(const std::vector<IndexedVersion>& versions, std::uint64_t id) {
    return std::ranges::any_of(versions, [id](const IndexedVersion& version) { return version.id == id; });
}

std::uint64_t nextId(const std::vector<IndexedVersion>& versions) {
    std::uint64_t largest = 0;
    for (const IndexedVersion& version : versions)
        largest = std::max(largest, version.id);
    return largest + 1;
}

// Takes out of `versions` what is beyond the limits, oldest first, and
// answers it.
std::vector<IndexedVersion> trim(std::vector<IndexedVersion>& versions, const VersionLimits& limits) {
    std::ranges::sort(versions, std::ranges::greater(), &IndexedVersion::id);
    std::map<std::string, std::size_t> perSheet;
    std::uint64_t total = 0;
    bool full = false; // once one is beyond the bytes, every older one goes too
    std::vector<IndexedVersion> kept, dropped;
    for (IndexedVersion& version : versions) {
        std::size_t& ofSheet = perSheet[version.sheetKey];
        full = full || total + version.size > limits.bytesInAll;
        const bool fits = !full && ofSheet < limits.versionsASheet;
        ofSheet += fits ? 1 : 0;
        total += fits ? version.size : 0;
        (fits ? kept : dropped).push_back(std::move(version));
    }
    std::ranges::reverse(kept);
    versions = std::move(kept);
    return dropped;
}

const IndexedVersion* find(const std::vector<IndexedVersion>& versions, const std::string& sheetKey,
                           const std::string& id) {
    const std::optional<std::uint64_t> number = numberOf<std::uint64_t>(id);
    const auto found = std::ranges::find_if(versions, [&](const IndexedVersion& version) {
        return number && version.id == *number && version.sheetKey == sheetKey;
    });
    return found == versions.end() ? nullptr : &*found;
}

// A line of the index that lists a version, and where it begins.
struct ListedLine {
    IndexedVersion version;
    std::size_t at;
};

struct IndexLines {
    std::vector<ListedLine> listed;
    std::size_t count = 0;
    bool repeatsAnId = false;
};

// A last line without its line break is one that a keep is still adding,
// or one that a failed write or a power cut left cut short: it is not read,
// as its key may be another sheet's cut short.
IndexLines indexLines(std::string_view text) {
    IndexLines lines;
    if (text.size() > versionIndexLimit)
        return lines;
    text = text.substr(0, text.find_last_of("\r\n") + 1);
    std::vector<IndexedVersion> versions;
    for (std::size_t at = 0; at < text.size(); ++lines.count) {
        const TextLine line = lineAt(text, at);
        const std::optional<IndexedVersion> version = versionOfLine(line.text);
        const bool repeated = version && isListed(versions, version->id);
        if (version && !repeated) {
            versions.push_back(*version);
            lines.listed.push_back({*version, at});
        }
        lines.repeatsAnId = lines.repeatsAnId || repeated;
        at = line.next;
    }
    return lines;
}

} // namespace

std::vector<IndexedVersion> readVersionIndex(std::string_view text) {
    std::vector<IndexedVersion> versions;
    for (ListedLine& line : indexLines(text).listed)
        versions.push_back(std::move(line.version));
    return versions;
}

std::string versionIndexText(const std::vector<IndexedVersion>& versions) {
    std::string text(indexHeader);
    text += "\r\n";
    for (const IndexedVersion& version : versions)
        text += versionLine(version);
    return text;
}

std::string SheetVersions::indexPath() const {
    return folder + pathSeparator + "index.txt";
}

// A version is a sheet file: Notepad or the program opens it as it is.
std::string SheetVersions::versionPath(std::uint64_t id) const {
    return folder + pathSeparator + std::to_string(id) + ".txt";
}

// Nothing when the index is there but cannot be read: writing a new one
// would lose every version it lists. One too large is damaged, and starts
// again.
std::optional<SheetVersions::Index> SheetVersions::readIndex() const {
    const FileBytes read = readFileBytes(openUtf8ForReading(indexPath()), versionIndexLimit);
    if (read.outcome == FileBytes::Outcome::missing &&
        lookAtUtf8File(indexPath()).kind != FileLook::Kind::none)
        return std::nullopt;
    Index index;
    IndexLines lines = indexLines(read.bytes);
    for (ListedLine& line : lines.listed) {
        index.lineStarts[line.version.id] = line.at;
        index.versions.push_back(std::move(line.version));
    }
    index.linesListingNone = lines.count - index.versions.size();
    index.changesInPlace = endsWithLineBreak(read.bytes) && !lines.repeatsAnId;
    return index;
}

std::optional<std::string> SheetVersions::readVersion(const IndexedVersion& version) const {
    FileBytes read = readFileBytes(openUtf8ForReading(versionPath(version.id)), version.size);
    if (read.outcome != FileBytes::Outcome::read || read.bytes.size() != version.size ||
        !hashesTo(read.bytes, version.hash))
        return std::nullopt;
    return std::move(read.bytes);
}

// The sheet file is copied into the store a part at a time as it is read:
// held whole, a long sheet's bytes would take fresh memory at every save,
// which costs more than reading them.
VersionKept SheetVersions::keepBeforeWrite(const std::string& sheetKey, const std::string& sheetPath,
                                           std::string_view newBytes) const {
    const FileLook look = lookAtFile(sheetPath);
    if (look.kind == FileLook::Kind::none || fileHolds(sheetPath, look, newBytes))
        return VersionKept::nothingToKeep;
    const VersionBytes sheetBytes = [&sheetPath](const std::function<bool(std::string_view)>& take) {
        return readFileParts(openForReading(sheetPath), take);
    };
    return keepFrom(sheetKey, sheetBytes, look.writeTime);
}

VersionKept SheetVersions::keep(const std::string& sheetKey, std::string_view oldBytes,
                                std::int64_t savedAt) const {
    return keepFrom(
        sheetKey, [oldBytes](const std::function<bool(std::string_view)>& take) { return take(oldBytes); },
        savedAt);
}

// The version's file is written before the index lists it, and what the
// index no longer lists goes after it: a keep cut short leaves at most a
// file that no index names. The version's file is not waited for on the
// disk, which would double the save's time: a power cut may damage it, and
// its hash in the index then shows it unreadable. Bytes a version of the
// sheet holds already are found once written, by their size and hash, and
// their file goes again; a version listed with FNV-1a is not found so, and
// its bytes may be kept once more.
VersionKept SheetVersions::keepFrom(const std::string& sheetKey, const VersionBytes& bytes,
                                    std::int64_t savedAt) const {
    std::optional<Index> index = readIndex();
    if (!index || !isSheetKey(sheetKey) || limits.versionsASheet == 0 || !makeUtf8Folder(folder))
        return VersionKept::failed;
    IndexedVersion added{nextId(index->versions), savedAt, 0, 0, sheetKey};
    if (!writeVersion(added, bytes))
        return VersionKept::failed;
    const bool alreadyKept = std::ranges::any_of(
        index->versions, [&](const IndexedVersion& version) { return holdsBytesOf(version, added); });
    if (alreadyKept) {
        removeUtf8File(versionPath(added.id));
        return VersionKept::nothingToKeep;
    }
    return list(*index, added) ? VersionKept::kept : VersionKept::failed;
}

// The size and the hash are taken from the bytes as they go into the file,
// which stops at the store's limit.
bool SheetVersions::writeVersion(IndexedVersion& added, const VersionBytes& bytes) const {
    XxHash64 hash;
    const bool written = replaceUtf8FileWith(
        versionPath(added.id),
        [&](std::FILE* out) {
            return bytes([&](std::string_view part) {
                added.size += part.size();
                if (added.size > limits.bytesInAll)
                    return false;
                hash.add(part);
                return std::fwrite(part.data(), 1, part.size(), out) == part.size();
            });
        },
        Durability::cached);
    added.hash = hash.value();
    return written;
}

bool SheetVersions::holdsBytesOf(const IndexedVersion& version, const IndexedVersion& added) const {
    if (version.sheetKey != added.sheetKey || version.size != added.size || version.hash != added.hash)
        return false;
    const std::optional<std::string> kept = readVersion(version);
    return kept && kept == readVersion(added);
}

// A version added goes on the end of the index as one line, not waited for
// on the disk any more than its file is: a power cut may lose that line, but
// no line before it. The lines of versions gone beyond the limits are
// crossed out where they stand. The index is written anew, and waited for,
// as a new index lost to a power cut would take every line with it, only
// once it holds more lines that list nothing than versions, or ends in a
// line cut short, or lists an id twice, whose second line a crossed-out
// first would bring back. A version's file stays when its line could not be
// added, for the next keep to write over, as the line may be there in part.
bool SheetVersions::list(Index& index, const IndexedVersion& added) const {
    index.versions.push_back(added);
    const std::vector<IndexedVersion> dropped = trim(index.versions, limits);
    const bool inPlace = index.changesInPlace &&
                         index.linesListingNone + dropped.size() <= index.versions.size() &&
                         crossOut(index, dropped);
    if (!inPlace && !replaceUtf8FileContents(indexPath(), versionIndexText(index.versions))) {
        removeUtf8File(versionPath(added.id));
        return false;
    }
    for (const IndexedVersion& version : dropped)
        removeUtf8File(versionPath(version.id));
    return !inPlace || appendToUtf8File(indexPath(), versionLine(added));
}

// A mark over the first digit of its id leaves a line that no reader, nor
// any earlier release of the program, takes for a version, and the rest of
// the index as it was. The marks are waited for on the disk before the
// versions' files go: a line brought back by a power cut would list a
// version that is no longer there.
bool SheetVersions::crossOut(const Index& index, const std::vector<IndexedVersion>& gone) const {
    if (gone.empty())
        return true;
    std::FILE* file = openUtf8ForUpdate(indexPath());
    if (file == nullptr)
        return false;
    bool written = true;
    for (const IndexedVersion& version : gone)
        written = written &&
                  std::fseek(file, static_cast<long>(index.lineStarts.at(version.id)), SEEK_SET) == 0 &&
                  std::fputc('#', file) != EOF;
    written = written && std::fflush(file) == 0 && flushToDisk(file);
    return std::fclose(file) == 0 && written;
}

std::vector<SheetVersionEntry> SheetVersions::versionsOf(const std::string& sheetKey) const {
    std::vector<SheetVersionEntry> entries;
    std::vector<IndexedVersion> versions = readIndex().value_or(Index()).versions;
    std::ranges::sort(versions, std::ranges::greater(), &IndexedVersion::id);
    for (const IndexedVersion& version : versions) {
        if (version.sheetKey != sheetKey)
            continue;
        const FileLook look = lookAtUtf8File(versionPath(version.id));
        entries.push_back({std::to_string(version.id), version.savedAt, version.size,
                           look.kind == FileLook::Kind::file && look.size == version.size});
    }
    return entries;
}

std::optional<std::string> SheetVersions::bytesOf(const std::string& sheetKey, const std::string& id) const {
    const std::vector<IndexedVersion> versions = readIndex().value_or(Index()).versions;
    const IndexedVersion* version = find(versions, sheetKey, id);
    return version == nullptr ? std::nullopt : readVersion(*version);
}

bool SheetVersions::remove(const std::string& sheetKey, const std::string& id) const {
    std::optional<Index> index = readIndex();
    if (!index)
        return false;
    std::vector<IndexedVersion>& versions = index->versions;
    const IndexedVersion* version = find(versions, sheetKey, id);
    if (version == nullptr)
        return true;
    const std::uint64_t removed = version->id;
    std::erase_if(versions, [removed](const IndexedVersion& listed) { return listed.id == removed; });
    if (!replaceUtf8FileContents(indexPath(), versionIndexText(versions)))
        return false;
    removeUtf8File(versionPath(removed));
    return true;
}
