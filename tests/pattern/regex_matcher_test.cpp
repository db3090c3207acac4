#include "pattern/regex_matcher.h"

#include <gtest/gtest.h>

namespace velomir {
namespace {

TEST(RegexMatcher, StoresCountAndCreateDropsResults) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.create("(\\d+)"));
    EXPECT_EQ(matcher.execute("https://music.163.com/#/playlist?id=123456"), 2);
    EXPECT_EQ(matcher.groupText(2, 1), "123456");
    RegexMatcher copy = matcher;
    EXPECT_EQ(matcher.execute("没有数字"), 0);
    EXPECT_EQ(matcher.groupText(1, 1), "");
    EXPECT_EQ(matcher.groupCount(), 0);
    EXPECT_EQ(copy.matchCount(), 2) << "a copy keeps its own count and results";
    EXPECT_EQ(copy.matchText(1), "163");
    EXPECT_TRUE(copy.create("[a-z]", false));
    EXPECT_EQ(copy.matchCount(), 0);
    EXPECT_EQ(copy.matchText(1), "");
    EXPECT_EQ(copy.replace("aB1", "_"), "_B1");
}

TEST(RegexMatcher, NeverCreatedOrInvalidGivesNeutralResults) {
    RegexMatcher never;
    RegexMatcher invalid;
    EXPECT_TRUE(invalid.create("[1"));
    for (RegexMatcher* matcher : {&never, &invalid}) {
        EXPECT_EQ(matcher->execute("123"), 0);
        EXPECT_EQ(matcher->groupCount(), 0);
        EXPECT_EQ(matcher->matchText(1), "");
        EXPECT_EQ(matcher->replace("123", "x"), "");
    }
    EXPECT_EQ(never.getPattern(), "");
    EXPECT_EQ(invalid.getPattern(), "[1");
}

}  // namespace
}  // namespace velomir
