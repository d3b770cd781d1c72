#include "sheet/CharacterSheet.h"

#include "SheetPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(CharacterSheetConstruction, StartsEmptyWithItsFixedRows) {
    const CharacterSheet sheet;
    EXPECT_EQ(sheet.getKarma(), std::vector<std::string>(3));
    EXPECT_EQ(sheet.getMemories(), std::vector<MemoryFragment>(6));
    EXPECT_EQ(sheet.getRegrets(), std::vector<Regret>(6));
    EXPECT_TRUE(sheet.getSkills().empty());
    for (BodyLocation location : bodyLocations)
        EXPECT_TRUE(sheet.getParts(location).empty());
    EXPECT_EQ(sheet.getInitialPlacement(), -1);
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "");
    EXPECT_EQ(sheet.getDollName(), "");
    EXPECT_EQ(sheet.getFavorPoints(), 0);
    EXPECT_EQ(sheet.getMaxActionBonus(), 0);
}

TEST(CharacterSheetAccess, ChangingACopyLeavesTheRecordAlone) {
    CharacterSheet sheet;
    sheet.setSkills({{"加速", "オート", "なし", "自身", "移動1"}});
    auto skills = sheet.getSkills();
    skills[0].name = "changed";
    skills.push_back({});
    auto regrets = sheet.getRegrets();
    regrets[0].madnessPoints = 4;
    EXPECT_EQ(sheet.getSkills(), (std::vector<SkillEntry>{{"加速", "オート", "なし", "自身", "移動1"}}));
    EXPECT_EQ(sheet.getRegrets()[0].madnessPoints, 0);
}

TEST(CharacterSheetAccess, KeepsMadnessPointsAsSet) {
    CharacterSheet sheet;
    auto regrets = sheet.getRegrets();
    regrets[0] = {"たからもの", "依存", 2, "幼児退行(最大行動値-2)"};
    sheet.setRegrets(regrets);
    EXPECT_EQ(sheet.getRegrets()[0].madnessPoints, 2);
}

TEST(CharacterSheetAccess, PartsByLocationAreTheNamedLists) {
    CharacterSheet sheet;
    for (BodyLocation location : bodyLocations)
        sheet.setParts(location, {{0, std::to_string(static_cast<int>(location)), "", "", "", ""}});
    EXPECT_EQ(sheet.getHeadParts()[0].name, "1");
    EXPECT_EQ(sheet.getArmParts()[0].name, "2");
    EXPECT_EQ(sheet.getTorsoParts()[0].name, "3");
    EXPECT_EQ(sheet.getLegParts()[0].name, "4");
    sheet.setLegParts({});
    EXPECT_TRUE(sheet.getParts(BodyLocation::legs).empty());
}

TEST(CharacterSheetPortrait, EmptyPathWithoutPortraitStaysEmpty) {
    CharacterSheet sheet;
    sheet.setPortrait("");
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "");
}

TEST(CharacterSheetPortrait, KeepsThePathOfAnImageThatDoesNotLoad) {
    CharacterSheet sheet;
    sheet.setPortrait("C:\\no such folder\\人形.jpg");
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "C:\\no such folder\\人形.jpg");
    sheet.setPortrait("");
    EXPECT_EQ(sheet.getPortraitPath(), "");
}

} // namespace
