#include "text/text_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace velomir {
namespace {

struct IntegerCase {
    const char* text;
    std::int64_t value;
};

TEST(IntegerValue, ReadsSignDigitsAndFullWidthForms) {
    const IntegerCase cases[] = {
        {"123", 123}, {"  007", 7},  {"123abc", 123}, {"-42x", -42},   {"+5", 5},    {"", 0},
        {"abc", 0},   {"a123", 0},   {"１２３", 123}, {"　 ４２", 42}, {"－７", -7}, {"\t\r\n9", 9},
        {"- 5", 0},   {"12 34", 12}, {"1２3", 123},   {"０", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(integerValue64(c.text), c.value) << c.text;
        EXPECT_EQ(integerValue32(c.text), c.value) << c.text;
    }
}

TEST(IntegerValue, LimitsOfTheTwoReadings) {
    // Service IDs pass 2^31; the 64-bit reading keeps them, the 32-bit one saturates.
    EXPECT_EQ(integerValue64("2330887406"), 2330887406LL);
    EXPECT_EQ(integerValue32("2330887406"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(integerValue32("-2330887406"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(integerValue32("2147483647"), 2147483647);
    EXPECT_EQ(integerValue32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(integerValue64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(integerValue64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    // Beyond 64 bits an ID would be clipped into another item's ID: 0 instead.
    EXPECT_EQ(integerValue64("9223372036854775808"), 0);
    EXPECT_EQ(integerValue64("123456789012345678901234567890"), 0);
}

TEST(FullWidth, OnlyTheFullWidthAsciiBlockAndSpaceChange) {
    EXPECT_EQ(fullWidthToAscii("ＡＢｚ！～　"), "ABz!~ ");
    EXPECT_EQ(fullWidthToAscii("你好"), "你好");
    // Truncated sequences pass unchanged.
    EXPECT_EQ(fullWidthToAscii("\xEF\xBC"), "\xEF\xBC");
}

TEST(Blanks, RemovesAsciiAndFullWidthSpacesOnly) {
    EXPECT_EQ(removeBlanks(" a　b \tc "), "ab\tc");
    EXPECT_EQ(removeBlanks("　 　"), "");
}

TEST(CaseInsensitive, FindAndReplaceIgnoreAsciiCaseOnly) {
    EXPECT_EQ(findNoCase("http://x/PlayList?id=1", "playlist"), 9u);
    EXPECT_EQ(findNoCase("abc", "abcd"), std::string::npos);
    EXPECT_EQ(findNoCase("aXa", "xa", 2), std::string::npos);
    EXPECT_TRUE(containsNoCase("--S--love", "--s--"));
    EXPECT_EQ(replaceAllNoCase("a{ID}b{id}", "{id}", "42"), "a42b42");
    EXPECT_EQ(replaceAllNoCase("--s----S--x", "--s--", ""), "x");
    // Inserted text is never searched again.
    EXPECT_EQ(replaceAll("\\.", "\\", "\\\\"), "\\\\.");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST(Split, KeepsEmptyColumnsAndDoesNotTrim) {
    EXPECT_EQ(splitText("a||b", "|"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitText(" a |b|", "|"), (std::vector<std::string>{" a ", "b", ""}));
    EXPECT_EQ(splitText("", "\r\n"), (std::vector<std::string>{""}));
    EXPECT_EQ(splitText("x\r\ny\r\n", "\r\n"), (std::vector<std::string>{"x", "y", ""}));
}

TEST(Booleans, TrueIsZhenInUtf8OrGbk) {
    EXPECT_EQ(booleanText(true), "真");
    EXPECT_EQ(booleanText(false), "假");
    EXPECT_TRUE(textToBoolean("真"));
    EXPECT_TRUE(textToBoolean("\xD5\xE6"));
    EXPECT_FALSE(textToBoolean("假"));
    EXPECT_FALSE(textToBoolean("true"));
    EXPECT_FALSE(textToBoolean(""));
}

}  // namespace
}  // namespace velomir
