// Any file opened as a sheet must load without harm, leave the record's
// fixed rows at their counts and save to a file that reads back to the same
// record.
#include "FuzzInput.h"
#include "TestFiles.h"

#include "sheet/CharacterSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = writeInput(data, size);
    CharacterSheet sheet;
    require(sheet.loadSheet(input), "an existing file did not load");
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
