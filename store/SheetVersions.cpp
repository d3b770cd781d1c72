#include "store/SheetVersions.h"

#include "sheet/CodePage932.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"
#include "store/FileStamp.h"

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

} // namespace

std::vector<IndexedVersion> readVersionIndex(std::string_view text) {
    std::vector<IndexedVersion> versions;
    if (text.size() > versionIndexLimit)
        return versions;
    for (std::size_t at = 0; at < text.size();) {
        const TextLine line = lineAt(text, at);
        at = line.next;
        const std::optional<IndexedVersion> version = versionOfLine(line.text);
        if (version && !isListed(versions, version->id))
            versions.push_back(*version);
    }
    return versions;
}

std::string versionIndexText(const std::vector<IndexedVersion>& versions) {
    std::string text(indexHeader);
    text += "\r\n";
    for (const IndexedVersion& version : versions)
        text += std::to_string(version.id) + '\t' + std::to_string(version.savedAt) + '\t' +
                std::to_string(version.size) + '\t' + hashText(version.hash) + '\t' + version.sheetKey +
                "\r\n";
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
std::optional<std::vector<IndexedVersion>> SheetVersions::readIndex() const {
    const FileBytes read = readFileBytes(openUtf8ForReading(indexPath()), versionIndexLimit);
    if (read.outcome == FileBytes::Outcome::missing &&
        lookAtUtf8File(indexPath()).kind != FileLook::Kind::none)
        return std::nullopt;
    return readVersionIndex(read.bytes);
}

std::optional<std::string> SheetVersions::readVersion(const IndexedVersion& version) const {
    FileBytes read = readFileBytes(openUtf8ForReading(versionPath(version.id)), version.size);
    if (read.outcome != FileBytes::Outcome::read || read.bytes.size() != version.size ||
        hashOfBytes(read.bytes) != version.hash)
        return std::nullopt;
    return std::move(read.bytes);
}

bool SheetVersions::holdsBytes(const IndexedVersion& version, std::string_view bytes,
                               std::uint64_t hash) const {
    if (version.size != bytes.size() || version.hash != hash)
        return false;
    const std::optional<std::string> kept = readVersion(version);
    return kept && *kept == bytes;
}

VersionKept SheetVersions::keepBeforeWrite(const std::string& sheetKey, const std::string& sheetPath,
                                           std::string_view newBytes) const {
    const FileLook look = lookAtFile(sheetPath);
    if (look.kind == FileLook::Kind::none)
        return VersionKept::nothingToKeep;
    const FileBytes old = readFileBytes(sheetPath, limits.bytesInAll);
    if (old.outcome != FileBytes::Outcome::read)
        return VersionKept::failed;
    return old.bytes == newBytes ? VersionKept::nothingToKeep : keep(sheetKey, old.bytes, look.writeTime);
}

// The version's file is written before the index that lists it, and what
// the index no longer lists goes after it: a keep cut short leaves at most
// a file that no index names. The version's file is not waited for on the
// disk, which would double the save's time: a power cut may damage it, and
// its hash in the index then shows it unreadable.
VersionKept SheetVersions::keep(const std::string& sheetKey, std::string_view oldBytes,
                                std::int64_t savedAt) const {
    std::optional<std::vector<IndexedVersion>> versions = readIndex();
    if (!versions || !isSheetKey(sheetKey) || oldBytes.size() > limits.bytesInAll ||
        limits.versionsASheet == 0)
        return VersionKept::failed;
    const std::uint64_t hash = hashOfBytes(oldBytes);
    const bool alreadyKept = std::ranges::any_of(*versions, [&](const IndexedVersion& version) {
        return version.sheetKey == sheetKey && holdsBytes(version, oldBytes, hash);
    });
    if (alreadyKept)
        return VersionKept::nothingToKeep;
    const IndexedVersion added{nextId(*versions), savedAt, oldBytes.size(), hash, sheetKey};
    if (!makeUtf8Folder(folder) ||
        !replaceUtf8FileContents(versionPath(added.id), oldBytes, Durability::cached))
        return VersionKept::failed;
    versions->push_back(added);
    const std::vector<IndexedVersion> dropped = trim(*versions, limits);
    if (!replaceUtf8FileContents(indexPath(), versionIndexText(*versions))) {
        removeUtf8File(versionPath(added.id));
        return VersionKept::failed;
    }
    for (const IndexedVersion& version : dropped)
        removeUtf8File(versionPath(version.id));
    return VersionKept::kept;
}

std::vector<SheetVersionEntry> SheetVersions::versionsOf(const std::string& sheetKey) const {
    std::vector<SheetVersionEntry> entries;
    std::vector<IndexedVersion> versions = readIndex().value_or(std::vector<IndexedVersion>());
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
    const std::vector<IndexedVersion> versions = readIndex().value_or(std::vector<IndexedVersion>());
    const IndexedVersion* version = find(versions, sheetKey, id);
    return version == nullptr ? std::nullopt : readVersion(*version);
}

bool SheetVersions::remove(const std::string& sheetKey, const std::string& id) const {
    std::optional<std::vector<IndexedVersion>> versions = readIndex();
    if (!versions)
        return false;
    const IndexedVersion* version = find(*versions, sheetKey, id);
    if (version == nullptr)
        return true;
    const std::uint64_t removed = version->id;
    std::erase_if(*versions, [removed](const IndexedVersion& listed) { return listed.id == removed; });
    if (!replaceUtf8FileContents(indexPath(), versionIndexText(*versions)))
        return false;
    removeUtf8File(versionPath(removed));
    return true;
}
