// Any reference file must load one entry per line, the UTF-8 byte-order mark
// at its start belonging to no line. A list that is neither marked nor UTF-8
// with characters beyond ASCII gives each name byte for byte as the text
// before the line's first colon; one saved as UTF-8 gives that text in code
// page 932, one character for each UTF-8 character.
//
// The same bytes as the user's list of recent sheets give at most its
// length of well-formed paths, which are read back as they were written, and
// as a recovery copy's record either nothing or a record that reads back.
// As the index of a sheet's versions they give versions of distinct ids
// that read back as written, and a store whose index they are lists,
// keeps and deletes without a crash.
#include "FuzzInput.h"
#include "TestFiles.h"

#include "store/RecentSheets.h"
#include "store/RecoveryRecord.h"
#include "store/SheetVersions.h"

#include "refdata/ReferenceData.h"
#include "sheet/CodePage932.h"
#include "sheet/FileSystem.h"
#include "sheet/TextFile.h"

#include <algorithm>
#include <set>

namespace {

bool isUtf8Continuation(unsigned char byte) {
    return byte >= 0x80 && byte <= 0xBF;
}

std::size_t utf8Characters(const std::string& text) {
    return static_cast<std::size_t>(std::ranges::count_if(
        text, [](char byte) { return !isUtf8Continuation(static_cast<unsigned char>(byte)); }));
}

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
bool isTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// The characters of a code page 932 text; the text must not end inside one.
std::size_t codePage932Characters(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        if (isLeadByte(static_cast<unsigned char>(text[at]))) {
            require(at + 1 < text.size() && isTrailByte(static_cast<unsigned char>(text[at + 1])),
                    "a lead byte is followed by a trail byte");
            at += 2;
        } else {
            at += 1;
        }
    }
    return characters;
}

bool readAsUtf8(const std::string& bytes) {
    return bytes.starts_with(utf8ByteOrderMark) ||
           (isUtf8(bytes) && std::ranges::any_of(bytes, [](char byte) { return byte & 0x80; }));
}

void checkVersionIndex(std::string_view input) {
    const std::vector<IndexedVersion> versions = readVersionIndex(input);
    std::set<std::uint64_t> ids;
    for (const IndexedVersion& version : versions)
        ids.insert(version.id);
    require(ids.size() == versions.size(), "each version listed once");
    require(readVersionIndex(versionIndexText(versions)) == versions, "the index reads back as written");

    const std::string folder = inputFile("versions");
    makeUtf8Folder(folder);
    writeBytes(folder + "/index.txt", input);
    const SheetVersions store(folder, {2, 64});
    const std::string key = versions.empty() ? "/lily.txt" : versions.front().sheetKey;
    for (const SheetVersionEntry& entry : store.versionsOf(key))
        require(!store.bytesOf(key, entry.id) || entry.readable, "bytes only of a readable version");
    const VersionKept outcome = store.keep(key, "Lily", 1);
    require(outcome != VersionKept::failed, "a damaged index never stops a keep");
    const std::vector<SheetVersionEntry> kept = store.versionsOf(key);
    require(!kept.empty() && kept.size() <= 2, "the sheet's versions within the limits");
    require(outcome == VersionKept::nothingToKeep || store.bytesOf(key, kept.front().id) == "Lily",
            "the version kept is listed first");
    require(store.remove(key, kept.front().id) && store.versionsOf(key).size() == kept.size() - 1,
            "a version is deleted");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<PositionData> table;
    loadTable(table, writeInput(data, size));

    const bool utf8 = readAsUtf8(bytes);
    if (bytes.starts_with(utf8ByteOrderMark))
        bytes.erase(0, utf8ByteOrderMark.size());
    const auto lineEnds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    const bool unendedLastLine = !bytes.empty() && bytes.back() != '\n';
    require(table.size() == lineEnds + (unendedLastLine ? 1 : 0), "one entry per line");
    std::size_t at = 0;
    for (const PositionData& entry : table) {
        const std::size_t end = std::min(bytes.find_first_of(":\n", at), bytes.size());
        std::string stored = bytes.substr(at, end - at);
        if (!stored.empty() && stored.back() == '\r' && end < bytes.size() && bytes[end] == '\n')
            stored.pop_back();
        if (!utf8) {
            require(entry.name == stored, "name is the text before the first colon");
        } else {
            require(entry.name == utf8ToCodePage932(stored),
                    "name is the text before the first colon, converted");
            if (isUtf8(stored))
                require(codePage932Characters(entry.name) == utf8Characters(stored),
                        "one code page 932 character for each UTF-8 character");
        }
        const std::size_t next = bytes.find('\n', at);
        at = next == std::string::npos ? bytes.size() : next + 1;
    }

    const std::vector<std::string> recent =
        readRecentSheets(std::string_view(reinterpret_cast<const char*>(data), size));
    require(recent.size() <= recentSheetCount, "at most the list's length of recent sheets");
    for (const std::string& path : recent)
        require(!path.empty() && isUtf8(path), "a recent sheet is a UTF-8 path");
    require(readRecentSheets(recentSheetsText(recent)) == recent, "the recent list reads back as written");

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const std::optional<RecoveryRecord> record = readRecoveryRecord(input)) {
        require(readRecoveryRecord(recoveryRecordText(*record)) == record,
                "a recovery record reads back as written");
        require(!recoveryQuestion(*record).empty(), "a recovery record gives its question");
    }

    checkVersionIndex(input);
    return 0;
}
