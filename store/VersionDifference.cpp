#include "store/VersionDifference.h"

#include "portrait/PortraitPath.h"
#include "sheet/CharacterSheet.h"
#include "sheet/CodePage932.h"
#include "sheet/SheetHistory.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

namespace {

constexpr std::size_t mostDifferences = 3;
constexpr std::size_t mostCharacters = 12;

// The members in the order a player looks for them: who the doll is, what
// it carries, then the rest. The four part lists come as one, "パーツ".
constexpr std::array<SheetMember, 18> membersInOrder = {
    SheetMember::dollName,       SheetMember::playerName,       SheetMember::position,
    SheetMember::mainClass,      SheetMember::subClass,         SheetMember::skills,
    SheetMember::memories,       SheetMember::regrets,          SheetMember::karma,
    SheetMember::ageAtDeath,     SheetMember::suggestion,       SheetMember::favorPoints,
    SheetMember::armament,       SheetMember::mutation,         SheetMember::modification,
    SheetMember::maxActionBonus, SheetMember::initialPlacement, SheetMember::portraitPath,
};

// At most a few characters of a text, never cut inside one.
std::string shortened(std::string_view text) {
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size() && characters < mostCharacters; ++characters)
        at += isLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
    return at < text.size() ? std::string(text.substr(0, at)) + "…" : std::string(text);
}

std::string textShown(SheetMember member, const std::string& text) {
    if (text.empty())
        return member == SheetMember::portraitPath ? "なし" : "空欄";
    return shortened(member == SheetMember::portraitPath ? filePart(text) : std::string_view(text));
}

std::string numberShown(SheetMember member, std::int32_t number) {
    constexpr std::array<const char*, 4> placements = {"なし", "煉獄", "花園", "楽園"};
    if (member == SheetMember::initialPlacement && number >= -1 && number <= 2)
        return placements[static_cast<std::size_t>(number + 1)];
    // The form shows the maximum action value as 6 and the bonus.
    return std::to_string(member == SheetMember::maxActionBonus ? std::int64_t{6} + number : number);
}

// Rows that differ at the same place, a row that one list lacks among them.
template <class Row> std::size_t differingRows(const std::vector<Row>& a, const std::vector<Row>& b) {
    std::size_t differing = std::max(a.size(), b.size()) - std::min(a.size(), b.size());
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        differing += a[i] == b[i] ? 0 : 1;
    return differing;
}

std::string listDifference(const std::string& word, std::size_t versionRows, std::size_t shownRows,
                           std::size_t differing) {
    if (versionRows != shownRows)
        return word + " " +
               std::to_string(std::max(versionRows, shownRows) - std::min(versionRows, shownRows)) +
               (versionRows > shownRows ? " 件多い" : " 件少ない");
    return differing == 0 ? std::string() : word + " " + std::to_string(differing) + " 件違う";
}

std::string memberDifference(SheetMember member, const CharacterSheet& version, const CharacterSheet& shown) {
    const MemberValue before = version.getMember(member);
    const MemberValue now = shown.getMember(member);
    if (before == now)
        return std::string();
    return std::visit(
        [&](const auto& kept, const auto& other) -> std::string {
            using Kept = std::decay_t<decltype(kept)>;
            if constexpr (!std::is_same_v<Kept, std::decay_t<decltype(other)>>)
                return std::string();
            else if constexpr (std::is_same_v<Kept, std::string>)
                return memberWord(member) + " " + textShown(member, kept);
            else if constexpr (std::is_same_v<Kept, std::int32_t>)
                return memberWord(member) + " " + numberShown(member, kept);
            else
                return listDifference(memberWord(member), kept.size(), other.size(),
                                      differingRows(kept, other));
        },
        before, now);
}

std::string partsDifference(const CharacterSheet& version, const CharacterSheet& shown) {
    std::size_t versionRows = 0, shownRows = 0, differing = 0;
    for (const BodyLocation location : bodyLocations) {
        const std::vector<PartEntry> kept = version.getParts(location);
        const std::vector<PartEntry> other = shown.getParts(location);
        versionRows += kept.size();
        shownRows += other.size();
        differing += differingRows(kept, other);
    }
    return listDifference("パーツ", versionRows, shownRows, differing);
}

std::vector<std::string> differences(const CharacterSheet& version, const CharacterSheet& shown) {
    std::vector<std::string> found;
    for (const SheetMember member : membersInOrder) {
        found.push_back(memberDifference(member, version, shown));
        if (member == SheetMember::subClass)
            found.push_back(partsDifference(version, shown));
    }
    std::erase(found, std::string());
    return found;
}

} // namespace

std::string versionDifference(const CharacterSheet& version, const CharacterSheet& shown) {
    const std::vector<std::string> found = differences(version, shown);
    std::string summary;
    for (std::size_t i = 0; i < std::min(found.size(), mostDifferences); ++i)
        summary += (i == 0 ? "" : " ･ ") + found[i];
    if (found.size() > mostDifferences)
        summary += " ･ ほか";
    return summary;
}
