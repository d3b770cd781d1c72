#include "export/SheetOutputs.h"

std::string sheetPage(const CharacterSheet&) {
    return {};
}
