// Any file opened as a sheet must either be refused, leaving the record
// exactly as it was, or load without harm, leave the record's fixed rows at
// their counts and save to a file that reads back to the same record.
#include "FuzzInput.h"
#include "TestFiles.h"

#include "sheet/CharacterSheet.h"

namespace {

// A record that is not a new one, so that a refused file shows if it touched it.
void fillSomething(CharacterSheet& sheet) {
    sheet.setDollName("doll");
    sheet.setFavorPoints(7);
    sheet.setSkills({{"skill", "", "", "", ""}});
    sheet.setHeadParts({{1, "part", "", "", "", ""}});
}

std::string savedBytes(const CharacterSheet& sheet, const char* role) {
    const std::string path = inputFile(role);
    require(sheet.saveSheet(path), "save failed");
    return readBytes(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = writeInput(data, size);
    CharacterSheet sheet;
    fillSomething(sheet);
    const std::string before = savedBytes(sheet, "before");
    if (!sheet.loadSheet(input)) {
        require(savedBytes(sheet, "after") == before, "a refused file changed the record");
        return 0;
    }
    require(sheet.getKarma().size() == karmaCount, "karma count");
    require(sheet.getMemories().size() == memoryCount, "memory count");
    require(sheet.getRegrets().size() == regretCount, "regret count");

    const std::string first = inputFile("first"), second = inputFile("second");
    require(sheet.saveSheet(first), "save failed");
    CharacterSheet again;
    require(again.loadSheet(first), "a saved file did not load");
    require(again.saveSheet(second), "second save failed");
    require(readBytes(first) == readBytes(second), "a saved sheet does not read back to the same record");
    return 0;
}
