#include "export/SheetOutputs.h"

nlohmann::json sheetPiece(const CharacterSheet&) {
    return {};
}
