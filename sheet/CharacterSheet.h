#pragma once

#include "sheet/SheetChange.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Texts are code page 932 byte strings throughout; numbers are 32-bit.

struct MemoryFragment {
    std::string title;
    std::int32_t number = 0;
    std::string content;
    bool operator==(const MemoryFragment&) const = default;
};

struct Regret {
    std::string target;
    std::string content;
    std::int32_t madnessPoints = 0; // how many of the four madness boxes are ticked
    std::string madnessEffect;
    bool operator==(const Regret&) const = default;
};

struct SkillEntry {
    std::string name;
    std::string timing;
    std::string cost;
    std::string range;
    std::string effect;
    bool operator==(const SkillEntry&) const = default;
};

struct PartEntry {
    std::int32_t checkMark = 0; // 1 when the box in the part's name cell is ticked
    std::string name;
    std::string timing;
    std::string cost;
    std::string range;
    std::string effect;
    bool operator==(const PartEntry&) const = default;
};

// Numbered as the sheet shows them; every walk over the parts goes in this order.
enum class BodyLocation { head = 1, arms = 2, torso = 3, legs = 4 };

// The record's member that holds a location's parts.
SheetMember partsMemberOf(BodyLocation location);
// The location as the sheet names it: "頭", "腕", "胴", "脚".
std::string locationText(BodyLocation location);

inline constexpr std::array<BodyLocation, 4> bodyLocations = {BodyLocation::head, BodyLocation::arms,
                                                              BodyLocation::torso, BodyLocation::legs};

// The loaded portrait's bitmap, laid out field for field as the Win32 BITMAP
// so the windowing layer can fill it directly.
struct PortraitBitmap {
    std::int32_t type = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthBytes = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitsPixel = 0;
    void* bits = nullptr;
};

// A Win32 device context handle, kept opaque so the record needs no windows
// header.
using PortraitDc = void*;

// A portrait as the windowing layer loaded it: a memory device context with
// the bitmap selected into it, and that bitmap's description.
struct LoadedPortrait {
    PortraitDc dc = nullptr;
    PortraitBitmap bitmap;
};

// Where a portrait path comes from: a sheet file may come from anyone, while
// a picture the user chose in the open dialog is theirs to choose.
enum class PortraitOrigin { sheetFile, userChoice };

// How the record gets its portrait images: the windowing layer installs a
// loader. `load` answers a null context when nothing could be loaded (and
// has told the user); `release` frees a context together with its bitmap.
// `sheetPath` names the sheet file the path was read from, if any, in whose
// folder a picture missing at its path is looked for. Without a loader,
// only the path is kept.
struct PortraitLoader {
    LoadedPortrait (*load)(const std::string& path, PortraitOrigin origin, const std::string& sheetPath);
    void (*release)(PortraitDc dc);
};
void installPortraitLoader(const PortraitLoader* loader);

inline constexpr std::size_t karmaCount = 3;
inline constexpr std::size_t memoryCount = 6;
inline constexpr std::size_t regretCount = 6;

// The doll as its sheet file keeps it, each member with its value in a new
// record; the record adds the loaded portrait.
struct SheetContents {
    std::string portraitPath;
    std::string dollName;
    std::string playerName;
    std::int32_t favorPoints = 0;
    std::string ageAtDeath;
    std::string suggestion;
    std::vector<std::string> karma = std::vector<std::string>(karmaCount);
    std::string position;
    std::string mainClass;
    std::string subClass;
    std::int32_t armament = 0;
    std::int32_t mutation = 0;
    std::int32_t modification = 0;
    std::vector<MemoryFragment> memories = std::vector<MemoryFragment>(memoryCount);
    std::vector<SkillEntry> skills;
    std::vector<Regret> regrets = std::vector<Regret>(regretCount);
    std::int32_t maxActionBonus = 0;
    std::int32_t initialPlacement = -1;
    std::vector<PartEntry> headParts;
    std::vector<PartEntry> armParts;
    std::vector<PartEntry> torsoParts;
    std::vector<PartEntry> legParts;
};

// The doll being edited. Getters return copies and setters replace whole
// members; the setters do not check their values, so callers keep karma at 3
// texts and memories and regrets at 6 rows.
class CharacterSheet : private SheetContents {
public:
    CharacterSheet() = default;
    // A record of the contents read by readSheetContents, its portrait not
    // loaded: made on any thread, for what needs the texts alone.
    explicit CharacterSheet(SheetContents contents) : SheetContents(std::move(contents)) {}
    ~CharacterSheet();
    CharacterSheet(const CharacterSheet&) = delete; // the record owns its portrait
    CharacterSheet& operator=(const CharacterSheet&) = delete;

    std::string getPortraitPath() const { return portraitPath; }
    PortraitDc getPortraitDc() const { return portraitDc; }
    PortraitBitmap getPortraitBitmap() const { return portraitBitmap; }
    // Keeps the path and loads its image in place of the previous one; an
    // empty path removes the portrait. A path that yields no image is kept
    // all the same, with no portrait. `sheetPath` names the sheet file the
    // path was read from, if any: its folder is where a picture missing at
    // the path is looked for, now by the loader and later by the outputs.
    void setPortrait(std::string path, PortraitOrigin origin = PortraitOrigin::sheetFile,
                     std::string sheetPath = std::string());
    std::string getPortraitSheetPath() const { return portraitSheetPath; }

    std::string getDollName() const { return dollName; }
    void setDollName(std::string text) { change(SheetMember::dollName, dollName, std::move(text)); }
    std::string getPlayerName() const { return playerName; }
    void setPlayerName(std::string text) { change(SheetMember::playerName, playerName, std::move(text)); }
    std::int32_t getFavorPoints() const { return favorPoints; }
    void setFavorPoints(std::int32_t value) { change(SheetMember::favorPoints, favorPoints, value); }
    std::string getAgeAtDeath() const { return ageAtDeath; }
    void setAgeAtDeath(std::string text) { change(SheetMember::ageAtDeath, ageAtDeath, std::move(text)); }
    std::string getSuggestion() const { return suggestion; }
    void setSuggestion(std::string text) { change(SheetMember::suggestion, suggestion, std::move(text)); }
    std::vector<std::string> getKarma() const { return karma; }
    void setKarma(std::vector<std::string> lines) { change(SheetMember::karma, karma, std::move(lines)); }
    std::string getPosition() const { return position; }
    void setPosition(std::string text) { change(SheetMember::position, position, std::move(text)); }
    std::string getMainClass() const { return mainClass; }
    void setMainClass(std::string text) { change(SheetMember::mainClass, mainClass, std::move(text)); }
    std::string getSubClass() const { return subClass; }
    void setSubClass(std::string text) { change(SheetMember::subClass, subClass, std::move(text)); }
    std::int32_t getArmament() const { return armament; }
    void setArmament(std::int32_t value) { change(SheetMember::armament, armament, value); }
    std::int32_t getMutation() const { return mutation; }
    void setMutation(std::int32_t value) { change(SheetMember::mutation, mutation, value); }
    std::int32_t getModification() const { return modification; }
    void setModification(std::int32_t value) { change(SheetMember::modification, modification, value); }
    std::vector<MemoryFragment> getMemories() const { return memories; }
    void setMemories(std::vector<MemoryFragment> rows) {
        change(SheetMember::memories, memories, std::move(rows));
    }
    std::vector<SkillEntry> getSkills() const { return skills; }
    void setSkills(std::vector<SkillEntry> entries) {
        change(SheetMember::skills, skills, std::move(entries));
    }
    std::vector<Regret> getRegrets() const { return regrets; }
    void setRegrets(std::vector<Regret> rows) { change(SheetMember::regrets, regrets, std::move(rows)); }
    std::int32_t getMaxActionBonus() const { return maxActionBonus; }
    void setMaxActionBonus(std::int32_t value) { change(SheetMember::maxActionBonus, maxActionBonus, value); }
    // -1 none, 0 煉獄, 1 花園, 2 楽園
    std::int32_t getInitialPlacement() const { return initialPlacement; }
    void setInitialPlacement(std::int32_t value) {
        change(SheetMember::initialPlacement, initialPlacement, value);
    }
    std::vector<PartEntry> getHeadParts() const { return headParts; }
    void setHeadParts(std::vector<PartEntry> entries) {
        change(SheetMember::headParts, headParts, std::move(entries));
    }
    std::vector<PartEntry> getArmParts() const { return armParts; }
    void setArmParts(std::vector<PartEntry> entries) {
        change(SheetMember::armParts, armParts, std::move(entries));
    }
    std::vector<PartEntry> getTorsoParts() const { return torsoParts; }
    void setTorsoParts(std::vector<PartEntry> entries) {
        change(SheetMember::torsoParts, torsoParts, std::move(entries));
    }
    std::vector<PartEntry> getLegParts() const { return legParts; }
    void setLegParts(std::vector<PartEntry> entries) {
        change(SheetMember::legParts, legParts, std::move(entries));
    }

    std::vector<PartEntry> getParts(BodyLocation location) const;
    void setParts(BodyLocation location, std::vector<PartEntry> entries);

    // Any member by name, as the setters and getters above give it; a
    // portrait path set so is loaded as a sheet file's would be.
    MemberValue getMember(SheetMember member) const;
    void setMember(SheetMember member, const MemberValue& value);

    // Writes the sheet file; answers whether it was written. A failed save
    // leaves any previous file at the path as it was.
    bool saveSheet(std::string path) const;
    // The bytes that saveSheet writes.
    std::string sheetFileText() const;
    // Reads a sheet file into the record; false when it cannot be read or is
    // no sheet (its first line is no format number, or it holds a NUL byte),
    // and then the record is unchanged.
    bool loadSheet(std::string path);
    // The same from the bytes of the sheet file at `path`, already read.
    bool loadSheetText(std::string_view bytes, const std::string& path);
#ifdef _WIN32
    // The same from a copy of the sheet kept elsewhere (a path in Unicode,
    // in the user's profile); its portrait may lie beside `sheetPath`.
    bool loadSheetCopy(const std::wstring& copyPath, const std::string& sheetPath);
#endif
    // Back to a record as constructed: every member as in a new record, no
    // portrait.
    void clear();

    // `listener` hears every change a setter makes, one that sets a member
    // to what it holds being none: the one point where whatever follows the
    // sheet's edits learns of them. A load changes members like any setter.
    // An empty listener hears nothing, and no change is copied for it.
    void listenToChanges(std::function<void(const MemberChange&)> listener) {
        changeListener = std::move(listener);
    }
    const std::function<void(const MemberChange&)>& changesListener() const {
        return changeListener;
    }

private:
    std::vector<PartEntry> CharacterSheet::*partsMember(BodyLocation location) const;
    void releasePortrait();

    template <class Member> void change(SheetMember id, Member& member, Member value) {
        if (member == value)
            return;
        if (!changeListener) {
            member = std::move(value);
            return;
        }
        MemberChange reported{id, member, value};
        member = std::move(value);
        changeListener(reported);
    }

    std::string portraitSheetPath; // not saved: it is where the portrait line was read
    PortraitDc portraitDc = nullptr;
    PortraitBitmap portraitBitmap;
    std::function<void(const MemberChange&)> changeListener;
};

// Whether the file at `path` can be read and is a sheet, as loadSheet
// judges it, without reading it into a record.
bool isSheetFile(const std::string& path);
#ifdef _WIN32
bool isSheetFile(const std::wstring& path);
#endif

// The contents of the sheet file opened as `opened`, which is closed, read
// by loadSheet's rules without touching a record or loading the portrait:
// safe on any thread. Nothing when it cannot be read, is no sheet or holds
// more than `byteLimit` bytes. A file of format 1000 or older has no
// portrait line, and no portrait path.
std::optional<SheetContents> readSheetContents(std::FILE* opened, std::size_t byteLimit);
// The same from a sheet file's bytes, already read.
std::optional<SheetContents> sheetContentsOf(std::string_view bytes);

// The doll being edited: the one record that the form, the lists, the entry
// dialogs and the File commands all work on.
extern CharacterSheet characterSheet;
