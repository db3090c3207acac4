// Percent coding of search texts and cutting marked text out of pages.
#include "analysis/http_text.h"

#include <gtest/gtest.h>

namespace velomir {
namespace {

TEST(UrlEncodeUtf8, EscapesEveryByteButLettersAndDigits) {
    EXPECT_EQ(urlEncodeUtf8("你好 love"), "%E4%BD%A0%E5%A5%BD%20love");
    EXPECT_EQ(urlEncodeUtf8("a-b.c_d~e"), "a%2Db%2Ec%5Fd%7Ee");
    EXPECT_EQ(urlEncodeUtf8(""), "");
    EXPECT_EQ(urlEncodeUtf8(std::string("+%\0\xFF", 4)), "%2B%25%00%FF");
}

TEST(UrlDecodeUtf8, DecodesEscapesAndCopiesTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"%e4%bd%a0 a+b", "你 a+b"},
        {"%zz", "%zz"},
        {"%4g1", "%4g1"},
        {"%%41", "%A"},
        {"abc%", "abc"},
        {"abc%4", "abc"},
        {"%41%", "A"},
        {"%00x", std::string("\0x", 2)},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(urlDecodeUtf8(input), expected) << input;
    for (const std::string& text : {std::string("你好 love"), std::string("100% +sure?"), std::string("\0\xFE", 2)}) {
        EXPECT_EQ(urlDecodeUtf8(urlEncodeUtf8(text)), text) << text;
    }
}

TEST(TextBetween, CutsBetweenFirstStartAndNextEndInAnyCase) {
    const std::string start = "display:none;\">";
    const std::string end = "</textarea>";
    EXPECT_EQ(textBetween("<textarea style=\"DISPLAY:NONE;\">[1]</TEXTAREA>", start, end), "[1]");
    EXPECT_EQ(textBetween("<B>Mixed Case</b>", "<b>", "</B>"), "Mixed Case");
    EXPECT_EQ(textBetween("][a][b]", "[", "]"), "a");
    EXPECT_EQ(textBetween("no markers", "<", ">"), "");
    EXPECT_EQ(textBetween("only <start", "<", ">"), "");
    EXPECT_EQ(textBetween("end> only", "<", ">"), "");
}

}  // namespace
}  // namespace velomir
