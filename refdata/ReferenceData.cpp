#include "refdata/ReferenceData.h"

#include "sheet/CodePage932.h"
#include "sheet/FieldSplitter.h"
#include "sheet/TextFile.h"

#include <algorithm>

std::vector<PositionData> positionTable;
std::vector<ClassData> classTable;

namespace {

bool beyondAscii(const std::string& line) {
    return std::ranges::any_of(line, [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; });
}

// Players write these lists themselves, and today's editors save UTF-8
// unless told otherwise, with or without the byte-order mark. A code page 932
// list practically never passes for UTF-8 with characters beyond ASCII (see
// the tests), and one that is ASCII alone reads the same either way.
bool savedAsUtf8(const std::vector<std::string>& lines) {
    return std::ranges::all_of(lines, isUtf8) && std::ranges::any_of(lines, beyondAscii);
}

// The lines of a list file as code page 932 text. A line feed or a carriage
// return is never part of a UTF-8 sequence, so each line can be converted by
// itself; the byte-order mark belongs to no line.
std::vector<std::string> readListLines(const std::string& path) {
    LineReader reader(path);
    const bool marked = reader.skip(utf8ByteOrderMark);
    std::vector<std::string> lines;
    for (std::string line; reader.readLine(line);)
        lines.push_back(line);
    if (marked || savedAsUtf8(lines))
        std::ranges::transform(lines, lines.begin(), utf8ToCodePage932);
    return lines;
}

template <class Entry> void appendEntries(std::vector<Entry>& table, const std::string& path) {
    for (const std::string& line : readListLines(path)) {
        Entry entry;
        entry.parseLine(line);
        table.push_back(entry);
    }
}

} // namespace

void Data::takeNameFrom(std::string line) {
    name = splitFields(std::move(line), ":").front();
}

void loadTable(std::vector<PositionData>& table, std::string path) {
    appendEntries(table, path);
}

void loadTable(std::vector<ClassData>& table, std::string path) {
    appendEntries(table, path);
}

void loadReferenceData(const std::string& folder) {
    loadTable(positionTable, folder + "Database\\ポジション.txt");
    loadTable(classTable, folder + "Database\\クラス.txt");
}
