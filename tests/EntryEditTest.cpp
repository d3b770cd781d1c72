#include "sheet/EntryEdit.h"
#include "sheet/NewSheet.h"

#include "SheetPrinters.h"

#include <gtest/gtest.h>

namespace {

using Parts = std::vector<PartEntry>;

PartEntry part(std::string name, std::int32_t checkMark = 0) {
    return {checkMark, std::move(name), "", "", "", ""};
}

TEST(ApplyEntryEdit, NameDecidesBetweenStoringAndDeleting) {
    const Parts three = {part("a", 1), part("b", 1), part("c")};
    const struct {
        const char* what;
        int row;
        PartEntry entry;
        Parts after;
    } cases[] = {
        {"a new entry is appended", noRow, part("d"), {part("a", 1), part("b", 1), part("c"), part("d")}},
        {"a chosen row is replaced whole", 1, part("B"), {part("a", 1), part("B"), part("c")}},
        {"an empty name deletes the chosen row", 0, part(""), {part("b", 1), part("c")}},
        {"an empty name without a row changes nothing", noRow, part(""), three},
        {"a blank is a name", 2, part(" "), {part("a", 1), part("b", 1), part(" ")}},
        {"a row past the end appends", 7, part("z"), {part("a", 1), part("b", 1), part("c"), part("z")}},
        {"nothing to delete past the end", 7, part(""), three},
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyEntryEdit(three, c.row, c.entry), c.after) << c.what;
}

TEST(StandardParts, ThreeUntickedPartsInEachLocation) {
    for (BodyLocation location : bodyLocations) {
        const Parts parts = standardParts(location);
        ASSERT_EQ(parts.size(), 3u);
        for (const PartEntry& entry : parts)
            EXPECT_EQ(entry.checkMark, 0);
    }
    EXPECT_EQ(standardParts(BodyLocation::torso)[1], standardParts(BodyLocation::torso)[2]);
    EXPECT_EQ(standardParts(BodyLocation::legs)[2], (PartEntry{0, "あし", "ジャッジ", "1", "0", "妨害1"}));
}

} // namespace
