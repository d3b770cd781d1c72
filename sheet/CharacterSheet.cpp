#include "sheet/CharacterSheet.h"

CharacterSheet characterSheet;

namespace {

const PortraitLoader* portraitLoader = nullptr;

} // namespace

void installPortraitLoader(const PortraitLoader* loader) {
    portraitLoader = loader;
}

CharacterSheet::~CharacterSheet() {
    releasePortrait();
}

void CharacterSheet::releasePortrait() {
    if (portraitDc != nullptr && portraitLoader != nullptr)
        portraitLoader->release(portraitDc);
    portraitDc = nullptr;
    portraitBitmap = PortraitBitmap{};
}

void CharacterSheet::noteEdit() {
    if (unsavedEdits)
        return;
    unsavedEdits = true;
    if (firstEditWatcher != nullptr)
        firstEditWatcher();
}

void CharacterSheet::clear() {
    releasePortrait();
    static_cast<SheetContents&>(*this) = SheetContents();
    portraitSheetPath.clear();
    noteEdit();
}

// The previous portrait is gone from here on, whether or not the new one
// loads.
void CharacterSheet::setPortrait(std::string path, PortraitOrigin origin, std::string sheetPath) {
    releasePortrait();
    if (path != portraitPath)
        noteEdit();
    portraitPath = std::move(path);
    portraitSheetPath = std::move(sheetPath);
    if (portraitPath.empty() || portraitLoader == nullptr)
        return;
    const LoadedPortrait loaded = portraitLoader->load(portraitPath, origin, portraitSheetPath);
    portraitDc = loaded.dc;
    if (portraitDc != nullptr)
        portraitBitmap = loaded.bitmap;
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
    change(this->*partsMember(location), std::move(entries));
}
