// Any file opened as a sheet must either be refused, leaving the record
// exactly as it was, or load without harm, leave the record's fixed rows at
// their counts, save to a file that reads back to the same record and give
// four outputs in UTF-8, the JSON ones parsing back, and the Udonarium
// piece's XML, which parses back with the doll's name and the chat palette
// as they went in, less the control bytes it leaves out. The same bytes pasted
// into a list give whole code page 932 texts without control characters;
// read as the entries' own clipboard format, they are refused or copy back
// to the same entries.
#include "FuzzInput.h"
#include "TestFiles.h"

#include "export/SheetOutputs.h"
#include "export/UdonariumPiece.h"
#include "sheet/CharacterSheet.h"
#include "sheet/CodePage932.h"
#include "sheet/EntryClipboard.h"

#include <pugixml.hpp>

#include <algorithm>

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

std::string withoutControls(std::string utf8, bool keepLineFeeds) {
    std::erase_if(utf8, [keepLineFeeds](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F;
    });
    return utf8;
}

// The CCFOLIA piece holds the same name and palette with every byte kept.
void checkUdonariumCharacter(const CharacterSheet& sheet, const nlohmann::ordered_json& piece) {
    const std::string xml = udonariumCharacter(sheet, "");
    require(isUtf8(xml), "the Udonarium piece is not UTF-8");
    pugi::xml_document document;
    require(document.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata),
            "the Udonarium piece does not parse back");
    const pugi::xml_node character = document.child("character");
    const std::string name =
        character.select_node("data/data[@name='common']/data[@name='name']").node().text().get();
    require(name == withoutControls(piece["data"]["name"], false), "the Udonarium piece's name differs");
    require(character.child("chat-palette").text().get() == withoutControls(piece["data"]["commands"], true),
            "the Udonarium piece's palette differs");
}

// Whatever bytes the texts hold, each becomes a character or U+FFFD.
void checkOutputs(const CharacterSheet& sheet) {
    const nlohmann::ordered_json pieceJson = sheetPiece(sheet);
    const std::string piece = pieceJson.dump(), record = sheetJson(sheet);
    for (const std::string& output : {sheetText(sheet), piece, record, sheetPage(sheet)})
        require(isUtf8(output), "an output is not UTF-8");
    for (const std::string& json : {piece, record})
        require(!nlohmann::json::parse(json, nullptr, false).is_discarded(),
                "a JSON output does not parse back");
    checkUdonariumCharacter(sheet, pieceJson);
}

void checkPastedText(std::string_view text) {
    const PastedEntries pasted = readPastedText(text);
    require(pasted.entries.size() <= pastedLineLimit, "more pasted entries than lines allowed");
    for (const PartEntry& entry : pasted.entries)
        for (const std::string& field : {entry.name, entry.timing, entry.cost, entry.range, entry.effect}) {
            require(codePage932ToUtf8(field).find("\xEF\xBF\xBD") == std::string::npos,
                    "a pasted text is not code page 932");
            require(std::none_of(field.begin(), field.end(),
                                 [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; }),
                    "a pasted text holds a control character");
        }
}

// Random bytes seldom begin with the format's first line, so they are read
// after it as well.
void checkOwnFormat(std::string_view bytes) {
    for (const std::string& format : {std::string(bytes), entriesAsOwnFormat({}).append(bytes)}) {
        const std::optional<std::vector<PartEntry>> entries = entriesFromOwnFormat(format);
        if (!entries)
            continue;
        require(entriesFromOwnFormat(entriesAsOwnFormat(*entries)) == entries,
                "entries in the own format do not copy back");
        require(isUtf8(entriesAsText(*entries)), "copied entries' text is not UTF-8");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkPastedText(bytes);
    checkOwnFormat(bytes);
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
    checkOutputs(sheet);

    const std::string first = inputFile("first"), second = inputFile("second");
    require(sheet.saveSheet(first), "save failed");
    CharacterSheet again;
    require(again.loadSheet(first), "a saved file did not load");
    require(again.saveSheet(second), "second save failed");
    require(readBytes(first) == readBytes(second), "a saved sheet does not read back to the same record");
    return 0;
}
