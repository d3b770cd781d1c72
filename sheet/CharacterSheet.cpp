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

void CharacterSheet::clear() {
    releasePortrait();
    static_cast<SheetContents&>(*this) = SheetContents();
    portraitSheetPath.clear();
}

// The previous portrait is gone from here on, whether or not the new one
// loads.
void CharacterSheet::setPortrait(std::string path, PortraitOrigin origin, std::string sheetPath) {
    releasePortrait();
    change(SheetMember::portraitPath, portraitPath, std::move(path));
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

SheetMember partsMemberOf(BodyLocation location) {
    switch (location) {
    case BodyLocation::head: return SheetMember::headParts;
    case BodyLocation::arms: return SheetMember::armParts;
    case BodyLocation::torso: return SheetMember::torsoParts;
    case BodyLocation::legs: break;
    }
    return SheetMember::legParts;
}

std::string locationText(BodyLocation location) {
    switch (location) {
    case BodyLocation::head: return "頭";
    case BodyLocation::arms: return "腕";
    case BodyLocation::torso: return "胴";
    case BodyLocation::legs: break;
    }
    return "脚";
}

namespace {

template <class Value> const Value& valueOf(const MemberValue& value) {
    return std::get<Value>(value);
}

} // namespace

void CharacterSheet::setParts(BodyLocation location, std::vector<PartEntry> entries) {
    change(partsMemberOf(location), this->*partsMember(location), std::move(entries));
}

MemberValue CharacterSheet::getMember(SheetMember member) const {
    switch (member) {
    case SheetMember::portraitPath: return portraitPath;
    case SheetMember::dollName: return dollName;
    case SheetMember::playerName: return playerName;
    case SheetMember::favorPoints: return favorPoints;
    case SheetMember::ageAtDeath: return ageAtDeath;
    case SheetMember::suggestion: return suggestion;
    case SheetMember::karma: return karma;
    case SheetMember::position: return position;
    case SheetMember::mainClass: return mainClass;
    case SheetMember::subClass: return subClass;
    case SheetMember::armament: return armament;
    case SheetMember::mutation: return mutation;
    case SheetMember::modification: return modification;
    case SheetMember::memories: return memories;
    case SheetMember::skills: return skills;
    case SheetMember::regrets: return regrets;
    case SheetMember::maxActionBonus: return maxActionBonus;
    case SheetMember::initialPlacement: return initialPlacement;
    case SheetMember::headParts: return headParts;
    case SheetMember::armParts: return armParts;
    case SheetMember::torsoParts: return torsoParts;
    case SheetMember::legParts: break;
    }
    return legParts;
}

// A value of another type than the member's is a caller's mistake that
// std::get reports; values come from getMember and the listener.
void CharacterSheet::setMember(SheetMember member, const MemberValue& value) {
    using Text = std::string;
    switch (member) {
    case SheetMember::portraitPath:
        setPortrait(valueOf<Text>(value), PortraitOrigin::sheetFile, portraitSheetPath);
        break;
    case SheetMember::dollName: setDollName(valueOf<Text>(value)); break;
    case SheetMember::playerName: setPlayerName(valueOf<Text>(value)); break;
    case SheetMember::favorPoints: setFavorPoints(valueOf<std::int32_t>(value)); break;
    case SheetMember::ageAtDeath: setAgeAtDeath(valueOf<Text>(value)); break;
    case SheetMember::suggestion: setSuggestion(valueOf<Text>(value)); break;
    case SheetMember::karma: setKarma(valueOf<std::vector<Text>>(value)); break;
    case SheetMember::position: setPosition(valueOf<Text>(value)); break;
    case SheetMember::mainClass: setMainClass(valueOf<Text>(value)); break;
    case SheetMember::subClass: setSubClass(valueOf<Text>(value)); break;
    case SheetMember::armament: setArmament(valueOf<std::int32_t>(value)); break;
    case SheetMember::mutation: setMutation(valueOf<std::int32_t>(value)); break;
    case SheetMember::modification: setModification(valueOf<std::int32_t>(value)); break;
    case SheetMember::memories: setMemories(valueOf<std::vector<MemoryFragment>>(value)); break;
    case SheetMember::skills: setSkills(valueOf<std::vector<SkillEntry>>(value)); break;
    case SheetMember::regrets: setRegrets(valueOf<std::vector<Regret>>(value)); break;
    case SheetMember::maxActionBonus: setMaxActionBonus(valueOf<std::int32_t>(value)); break;
    case SheetMember::initialPlacement: setInitialPlacement(valueOf<std::int32_t>(value)); break;
    case SheetMember::headParts: setHeadParts(valueOf<std::vector<PartEntry>>(value)); break;
    case SheetMember::armParts: setArmParts(valueOf<std::vector<PartEntry>>(value)); break;
    case SheetMember::torsoParts: setTorsoParts(valueOf<std::vector<PartEntry>>(value)); break;
    case SheetMember::legParts: setLegParts(valueOf<std::vector<PartEntry>>(value)); break;
    }
}
