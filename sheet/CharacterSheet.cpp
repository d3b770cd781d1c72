#include "sheet/CharacterSheet.h"

CharacterSheet characterSheet;

void CharacterSheet::setPortrait(std::string path) {
    portraitPath = std::move(path);
}

std::vector<PartEntry> CharacterSheet::*CharacterSheet::partsMember(BodyLocation location) const {
    switch (location) {
    case BodyLocation::head: return &CharacterSheet::headParts;
    case BodyLocation::arms: return &CharacterSheet::armParts;
    case BodyLocation::torso: return &CharacterSheet::torsoParts;
    case BodyLocation::legs: break;
    }
    return &CharacterSheet::legParts;
}

std::vector<PartEntry> CharacterSheet::getParts(BodyLocation location) const {
    return this->*partsMember(location);
}

void CharacterSheet::setParts(BodyLocation location, std::vector<PartEntry> entries) {
    this->*partsMember(location) = std::move(entries);
}
