#include "export/SheetOutputs.h"

std::string sheetText(const CharacterSheet&) {
    return {};
}
