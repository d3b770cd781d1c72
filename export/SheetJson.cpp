#include "export/SheetOutputs.h"

nlohmann::json sheetJson(const CharacterSheet&) {
    return {};
}
