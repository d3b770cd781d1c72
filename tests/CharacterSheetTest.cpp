#include "sheet/CharacterSheet.h"
#include "sheet/SheetHistory.h"

#include "SheetPrinters.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

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

TEST(CharacterSheetEdits, OnlyAChangedMemberIsAnUnsavedEdit) {
    const struct {
        const char* what;
        std::function<void(CharacterSheet&)> edit;
        bool changes;
    } cases[] = {
        {"a name", [](CharacterSheet& s) { s.setDollName("リリィ"); }, true},
        {"the same name", [](CharacterSheet& s) { s.setDollName(""); }, false},
        {"a number", [](CharacterSheet& s) { s.setMaxActionBonus(1); }, true},
        {"the same placement", [](CharacterSheet& s) { s.setInitialPlacement(-1); }, false},
        {"a regret row",
         [](CharacterSheet& s) {
             s.setRegrets(std::vector<Regret>(6, {"a", "", 0, ""}));
         },
         true},
        {"the same part list", [](CharacterSheet& s) { s.setParts(BodyLocation::arms, {}); }, false},
        {"a tick",
         [](CharacterSheet& s) {
             s.setParts(BodyLocation::legs, {{1, "ほね", "", "", "", ""}});
         },
         true},
        {"a portrait", [](CharacterSheet& s) { s.setPortrait("C:\\人形.jpg"); }, true},
        {"no portrait, as before", [](CharacterSheet& s) { s.setPortrait(""); }, false},
    };
    for (const auto& c : cases) {
        CharacterSheet sheet;
        std::vector<MemberChange> heard;
        sheet.listenToChanges([&heard](const MemberChange& change) { heard.push_back(change); });
        c.edit(sheet);
        c.edit(sheet);
        ASSERT_EQ(heard.size(), c.changes ? 1u : 0u) << c.what;
        if (!c.changes)
            continue;
        // Setting "before" back through the member's name undoes the change.
        EXPECT_EQ(sheet.getMember(heard[0].member), heard[0].after) << c.what;
        sheet.setMember(heard[0].member, heard[0].before);
        EXPECT_EQ(sheet.getMember(heard[0].member), CharacterSheet().getMember(heard[0].member)) << c.what;
    }
}

MemberChange nameChange(std::string before, std::string after, SheetMember member = SheetMember::dollName) {
    return {member, std::move(before), std::move(after)};
}

TEST(SheetHistory, KeepsStepsTypingRunsAndTheSavedPoint) {
    const struct {
        const char* what;
        std::function<void(SheetHistory&)> steps;
        std::size_t count;
        bool canUndo, canRedo, atSaved;
    } cases[] = {
        {"typing in one box is one step",
         [](SheetHistory& h) {
             h.typeInto(1);
             h.record(nameChange("", "a"));
             h.record(nameChange("a", "ab"));
         },
         1, true, false, false},
        {"the focus leaving ends the run",
         [](SheetHistory& h) {
             h.typeInto(1);
             h.record(nameChange("", "a"));
             h.endTypingRun();
             h.record(nameChange("a", "ab"));
         },
         2, true, false, false},
        {"another box is another step",
         [](SheetHistory& h) {
             h.typeInto(1);
             h.record(nameChange("", "a"));
             h.typeInto(2);
             h.record(nameChange("", "b", SheetMember::playerName));
         },
         2, true, false, false},
        {"changes not typed never join",
         [](SheetHistory& h) {
             h.record(nameChange("", "a"));
             h.record(nameChange("a", "b"));
         },
         2, true, false, false},
        {"a new change drops what could be redone",
         [](SheetHistory& h) {
             h.record(nameChange("", "a"));
             h.record(nameChange("a", "b"));
             h.undo();
             h.record(nameChange("a", "c"));
         },
         2, true, false, false},
        {"undoing back to the save reaches the saved state",
         [](SheetHistory& h) {
             h.record(nameChange("", "a"));
             h.markSaved();
             h.record(nameChange("a", "b"));
             h.undo();
         },
         2, true, true, true},
        {"the saved state cannot come back once a change replaced it",
         [](SheetHistory& h) {
             h.record(nameChange("", "a"));
             h.markSaved();
             h.undo();
             h.record(nameChange("", "c"));
             h.undo();
         },
         1, false, true, false},
        {"an open starts a new history",
         [](SheetHistory& h) {
             h.record(nameChange("", "a"));
             h.clear();
         },
         0, false, false, true},
    };
    for (const auto& c : cases) {
        SheetHistory history;
        c.steps(history);
        EXPECT_EQ(history.stepCount(), c.count) << c.what;
        EXPECT_EQ(history.canUndo(), c.canUndo) << c.what;
        EXPECT_EQ(history.canRedo(), c.canRedo) << c.what;
        EXPECT_EQ(history.isAtSaved(), c.atSaved) << c.what;
    }
    SheetHistory typed;
    typed.typeInto(1);
    typed.record(nameChange("", "a"));
    typed.record(nameChange("a", "ab"));
    const std::vector<MemberChange> step = typed.undo();
    ASSERT_EQ(step.size(), 1u);
    EXPECT_EQ(step[0].before, MemberValue(std::string())) << "the run's first before";
    EXPECT_EQ(step[0].after, MemberValue(std::string("ab")));

    SheetHistory joined;
    joined.beginStep("パーツの移動");
    joined.record(nameChange("", "a"));
    joined.beginStep("inner");
    joined.record(nameChange("", "b", SheetMember::playerName));
    joined.endStep();
    joined.endStep();
    EXPECT_EQ(joined.stepCount(), 1u) << "nested steps join the outermost";
    EXPECT_EQ(joined.undoName(), "パーツの移動");
    const std::vector<MemberChange> undone = joined.undo();
    ASSERT_EQ(undone.size(), 2u);
    EXPECT_EQ(undone[0].member, SheetMember::playerName) << "the last change is put back first";
    EXPECT_EQ(joined.redo().front().member, SheetMember::dollName);
}

TEST(SheetHistory, KeepsTheLastStepsUpToItsLimit) {
    SheetHistory history(3);
    for (int i = 0; i < 5; ++i)
        history.record(nameChange(std::to_string(i), std::to_string(i + 1)));
    EXPECT_EQ(history.stepCount(), 3u);
    for (int i = 5; i > 2; --i)
        EXPECT_EQ(history.undo().at(0).after, MemberValue(std::to_string(i)));
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.isAtSaved()) << "the saved state went with the oldest steps";
    EXPECT_EQ(SheetHistory::defaultLimit, 1000u);
}

TEST(CharacterSheetEdits, ClearingGivesTheRecordOfANewProgram) {
    ScratchFolder folder;
    CharacterSheet fresh, cleared;
    ASSERT_TRUE(fresh.saveSheet(folder.file("fresh.txt")));
    ASSERT_TRUE(cleared.loadSheet(fixturePath("full-sheet.txt")));
    cleared.clear();
    ASSERT_TRUE(cleared.saveSheet(folder.file("cleared.txt")));
    EXPECT_EQ(readBytes(folder.file("cleared.txt")), readBytes(folder.file("fresh.txt")));
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

namespace {

// A stand-in for the windowing layer's image loading: "good" paths load,
// and every context handed out must come back exactly once.
struct FakeImages {
    static inline int loaded = 0;
    static inline int released = 0;
    static inline PortraitDc lastReleased = nullptr;
    static inline char contexts[8];

    static LoadedPortrait load(const std::string& path, PortraitOrigin, const std::string&) {
        if (path.rfind("good", 0) != 0)
            return {};
        LoadedPortrait portrait;
        portrait.dc = &contexts[loaded++ % 8];
        portrait.bitmap.width = 50;
        portrait.bitmap.height = 40;
        return portrait;
    }
    static void release(PortraitDc dc) {
        ++released;
        lastReleased = dc;
    }
};

const PortraitLoader fakeLoader = {FakeImages::load, FakeImages::release};

class PortraitLoading : public testing::Test {
protected:
    void SetUp() override {
        FakeImages::loaded = FakeImages::released = 0;
        installPortraitLoader(&fakeLoader);
    }
    void TearDown() override { installPortraitLoader(nullptr); }
};

TEST_F(PortraitLoading, ALoadedImageReplacesThePreviousOne) {
    CharacterSheet sheet;
    sheet.setPortrait("good-1.jpg");
    const PortraitDc first = sheet.getPortraitDc();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(sheet.getPortraitBitmap().width, 50);
    sheet.setPortrait("good-2.bmp");
    EXPECT_EQ(FakeImages::released, 1);
    EXPECT_EQ(FakeImages::lastReleased, first);
    EXPECT_NE(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "good-2.bmp");
}

TEST_F(PortraitLoading, AFailedLoadKeepsThePathAndNoImage) {
    CharacterSheet sheet;
    sheet.setPortrait("good.jpg");
    sheet.setPortrait("broken.jpg");
    EXPECT_EQ(FakeImages::released, 1) << "the old portrait is not kept";
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "broken.jpg");
}

TEST_F(PortraitLoading, AnEmptyPathRemovesThePortrait) {
    CharacterSheet sheet;
    sheet.setPortrait("good.jpg");
    sheet.setPortrait("");
    EXPECT_EQ(FakeImages::released, 1);
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(sheet.getPortraitPath(), "");
    sheet.setPortrait("");
    EXPECT_EQ(FakeImages::released, 1);
}

TEST_F(PortraitLoading, TheRecordReleasesItsPortraitWhenItEnds) {
    {
        CharacterSheet sheet;
        sheet.setPortrait("good.jpg");
    }
    EXPECT_EQ(FakeImages::released, 1);
}

TEST_F(PortraitLoading, LoadingASheetLoadsItsPortrait) {
    ScratchFolder folder;
    writeBytes(folder.file("s.txt"), "1002\r\ngood.jpg\r\nname\r\n");
    CharacterSheet sheet;
    ASSERT_TRUE(sheet.loadSheet(folder.file("s.txt")));
    EXPECT_NE(sheet.getPortraitDc(), nullptr);
    writeBytes(folder.file("s.txt"), "1002\r\n\r\nname\r\n");
    ASSERT_TRUE(sheet.loadSheet(folder.file("s.txt")));
    EXPECT_EQ(sheet.getPortraitDc(), nullptr);
    EXPECT_EQ(FakeImages::released, 1);
}

} // namespace
