#include "sheet/FieldSplitter.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    std::string text;
    std::string delimiter;
    Fields fields;
};

class SplitFields : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitFields, GivesOneFieldMoreThanDelimiters) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitFields(c.text, c.delimiter), c.fields);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitFields,
                         testing::Values(SplitCase{"a,b,c", ",", {"a", "b", "c"}}, SplitCase{"", ",", {""}},
                                         SplitCase{"a,", ",", {"a", ""}}, SplitCase{",a", ",", {"", "a"}},
                                         SplitCase{"a,,b", ",", {"a", "", "b"}},
                                         SplitCase{",", ",", {"", ""}}, SplitCase{"abc", ",", {"abc"}},
                                         SplitCase{"x:y,z", ":", {"x", "y,z"}},
                                         SplitCase{" a , b ", ",", {" a ", " b "}},
                                         SplitCase{"a,b", "", {"a,b"}},
                                         // Only the first byte of a longer delimiter cuts.
                                         SplitCase{"a,b:c", ",:", {"a", "b:c"}}));

TEST(SplitFieldsJapanese, NeverCutsInsideACharacter) {
    // ソ and 表 end in the byte 0x5C, 能 too; the full-width comma and colon
    // are not delimiters.
    for (const std::string text : {"最大行動値+2", "ソ表能", "a，b：c"}) {
        EXPECT_EQ(splitFields(text, ","), Fields{text});
        EXPECT_EQ(splitFields(text, ":"), Fields{text});
    }
    EXPECT_EQ(splitFields("のうみそ,オート", ","), (Fields{"のうみそ", "オート"}));
}

TEST(SplitFieldsJapanese, KeepsNulBytes) {
    const std::string text("a\0b,c", 5);
    EXPECT_EQ(splitFields(text, ","), (Fields{std::string("a\0b", 3), "c"}));
}

} // namespace
