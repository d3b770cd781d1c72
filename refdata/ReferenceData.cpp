#include "refdata/ReferenceData.h"

#include "sheet/FieldSplitter.h"
#include "sheet/TextFile.h"

std::vector<PositionData> positionTable;
std::vector<ClassData> classTable;

namespace {

template <class Entry> void appendEntries(std::vector<Entry>& table, const std::string& path) {
    LineReader reader(path);
    std::string line;
    while (reader.readLine(line)) {
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

void loadReferenceData() {
    loadTable(positionTable, "Database\\ポジション.txt");
    loadTable(classTable, "Database\\クラス.txt");
}
