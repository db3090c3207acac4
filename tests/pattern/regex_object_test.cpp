#include "pattern/regex_object.h"

#include <gtest/gtest.h>

namespace velomir {
namespace {

RegexObject created(std::string_view pattern, bool ignoreCase = true, bool multiline = true, bool global = true) {
    RegexObject regex;
    regex.create(pattern, ignoreCase, multiline, global);
    return regex;
}

TEST(RegexObject, MatchesGroupsAndOutOfRangeIndexes) {
    RegexObject regex = created("(\\d+)(x)?");
    EXPECT_EQ(regex.execute("playlist?id=123456&user=7"), 2);
    EXPECT_EQ(regex.groupCount(), 2);
    EXPECT_EQ(regex.groupText(1, 1), "123456");
    int position = -1;
    EXPECT_EQ(regex.groupTextAt(2, 2, &position), "") << "a group that took no part";
    EXPECT_EQ(position, 24);
    for (auto [match, group] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}, {-1, 1}}) {
        EXPECT_EQ(regex.groupTextAt(match, group, &position), "") << match << "," << group;
        EXPECT_EQ(position, 0) << match << "," << group;
    }
    EXPECT_EQ(regex.matchText(0), "");
    EXPECT_EQ(regex.matchText(3), "");
    EXPECT_EQ(regex.execute("abc"), 0);
    EXPECT_EQ(regex.groupText(1, 1), "");
    EXPECT_EQ(regex.groupCount(), 0);
}

TEST(RegexObject, PositionsCountCharactersEvenInInvalidUtf8) {
    RegexObject regex = created("(\\d)x");
    ASSERT_EQ(regex.execute("歌曲1x 网易云2x"), 2);
    int position = -1;
    EXPECT_EQ(regex.groupTextAt(2, 1, &position), "2");
    EXPECT_EQ(position, 8);
    // Stray bytes, a cut sequence and a four-byte character: each invalid byte is one character.
    const std::string broken =
        "\xFF\xC3(\xE6\x88"
        "bb\x80\xF0\x9F\x8E\xB5"
        "b";
    regex.create("b+");
    ASSERT_EQ(regex.execute(broken), 2);
    EXPECT_EQ(regex.matchTextAt(2, &position), "b");
    EXPECT_EQ(position, 9);
    EXPECT_EQ(created("x*").execute(broken), 11) << "an empty match at every character and at the end";
}

TEST(RegexObject, FlagsCaseLinesAndGlobal) {
    EXPECT_EQ(created("abc").execute("xABCx"), 1);
    EXPECT_EQ(created("abc", false).execute("xABCx"), 0);
    for (std::string lineBreak : {"\n", "\r", "\r\n"}) {
        const std::string subject = "ax" + lineBreak + "xa" + lineBreak + "x";
        EXPECT_EQ(created("^x").execute(subject), 2) << subject;
        EXPECT_EQ(created("a$").execute(subject), 1) << subject;
        EXPECT_EQ(created("x$").execute(subject), 2) << subject;
        EXPECT_EQ(created("^x", true, false).execute(subject), 0) << subject;
        EXPECT_EQ(created(".+").execute(subject), 3) << "a dot never takes a line break";
    }
    EXPECT_EQ(created("x$", true, false).execute("ax\n"), 0) << "without multiline $ is the very end";
    EXPECT_EQ(created("\\d", true, true, false).execute("1 2 3"), 1);
    EXPECT_EQ(created("\\d", true, true, false).replace("1 2 3", "#"), "# 2 3");
}

TEST(RegexObject, NeverCreatedOrInvalidPatternGivesNeutralResults) {
    RegexObject never;
    RegexObject invalid = created("(\\d");
    for (RegexObject* regex : {&never, &invalid}) {
        int position = -1;
        EXPECT_EQ(regex->execute("123"), 0);
        EXPECT_EQ(regex->matchCount(), 0);
        EXPECT_EQ(regex->groupCount(), 0);
        EXPECT_EQ(regex->matchTextAt(1, &position), "");
        EXPECT_EQ(position, 0);
        EXPECT_EQ(regex->replace("123", "x"), "");
    }
    EXPECT_EQ(never.getPattern(), "");
    EXPECT_EQ(invalid.getPattern(), "(\\d");
}

TEST(RegexObject, CreateKeepsEarlierResultsAndCopiesShareThem) {
    RegexObject regex = created("\\d+");
    ASSERT_EQ(regex.execute("a12b3"), 2);
    RegexObject copy = regex;
    EXPECT_TRUE(regex.create("[a-z]"));
    EXPECT_EQ(regex.matchText(1), "12");
    EXPECT_EQ(copy.matchText(2), "3");
    EXPECT_EQ(copy.getPattern(), "\\d+");
    EXPECT_EQ(copy.execute("1"), 1);
    EXPECT_EQ(regex.matchCount(), 2) << "a run on a copy replaces only that copy's results";
}

}  // namespace
}  // namespace velomir
