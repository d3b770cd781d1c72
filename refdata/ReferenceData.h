#pragma once

#include <string>
#include <vector>

// One entry of a reference list: a name offered in the sheet's choices.
class Data {
public:
    std::string name;

    // Fills the entry from one line of its list file.
    virtual void parseLine(std::string line) = 0;

protected:
    // Entries live by value in their own table type and are never destroyed
    // through a Data reference.
    ~Data() = default;

    // A list line names its entry before the first ":"; the rest is not used.
    void takeNameFrom(std::string line);
};

class PositionData final : public Data {
public:
    void parseLine(std::string line) override { takeNameFrom(std::move(line)); }
};

class ClassData final : public Data {
public:
    void parseLine(std::string line) override { takeNameFrom(std::move(line)); }
};

extern std::vector<PositionData> positionTable;
extern std::vector<ClassData> classTable;

// Appends one entry per line of the file, in file order; a missing or
// unreadable file adds nothing.
void loadTable(std::vector<PositionData>& table, std::string path);
void loadTable(std::vector<ClassData>& table, std::string path);

// Fills both tables from the Database folder in `folder` (a path ending in
// a separator), or in the working directory when it is empty.
void loadReferenceData(const std::string& folder = std::string());
