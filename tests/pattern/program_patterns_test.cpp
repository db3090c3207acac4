// Replacement texts, and the patterns the JSON reader hands to the engine run as it runs them.
#include <gtest/gtest.h>

#include "pattern/regex_object.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

std::string replaced(std::string_view pattern, std::string_view subject, std::string_view replacement = "") {
    RegexObject regex;
    regex.create(replaceAll(pattern, "''", "\""));  // the reader stores its double quotes as ''
    return regex.replace(subject, replacement);
}

std::string firstMatch(std::string_view pattern, std::string_view subject) {
    RegexObject regex;
    regex.create(pattern);
    return regex.execute(subject) > 0 ? regex.matchText(1) : "<none>";
}

TEST(RegexReplace, DollarFormsAndEmptyMatches) {
    const std::array<std::string_view, 4> cases[] = {
        {"\\.(\\[\\d+\\])", "a.[1].b", "$1", "a[1].b"},
        {"([^\\.])(\\[\\d+\\])(\\.?)", "a[1].b", "$1.$2$3", "a.[1].b"},
        {"([^\\.])(\\[\\d+\\])(\\.?)", "a[1]b", "$1.$2$3", "a.[1]b"},
        {"b", "abc", "[$&]$$1", "a[b]$1c"},
        {"b", "abc", "$x$0$`$", "a$x$0$`$c"},
        {"(b)(x)?", "abc", "<$2$3>", "a<>c"},
        {"(b)", "abc", "$10$01", "ab0bc"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10$1", "ja"},
        {"x*", "xay", "-", "--a-y-"},
        {"\\d", "无1效", "#", "无#效"},
    };
    for (const auto& [pattern, subject, replacement, expected] : cases) {
        EXPECT_EQ(replaced(pattern, subject, replacement), expected) << pattern << " on " << subject;
    }
}

TEST(ProgramPatterns, ScannerPatterns) {
    const std::string_view quoteStripper = "[\\s　]+''|''[\\s　]+|^[ 　''\\t]+|[ 　''\\t]+$";
    EXPECT_EQ(replaced(quoteStripper, "\"  hello　\""), "hello");
    EXPECT_EQ(replaced(quoteStripper, "\"a\nb \r\n\tc"), "a\nb\r\nc");
    EXPECT_EQ(replaced(quoteStripper, "\"a\" \n\"b\""), "ab") << "blanks after a quote include line breaks";
    EXPECT_EQ(replaced("^[ 　\\t]+|[ 　\\t]+$", " \t1 \r\n　2　"), "1\r\n2");
    const std::string pretty = "{\n  \"a\": [1, {\"b\": 2}]\n}\u3000 ";
    const std::string opened = replaced("[\\s　]+(\\[|{|'')", pretty, "$1");
    EXPECT_EQ(opened, "{\"a\":[1,{\"b\": 2}]\n}\u3000 ");
    EXPECT_EQ(replaced("(\\]|}|'')[\\s　]+", opened, "$1"), "{\"a\":[1,{\"b\": 2}]}");
}

TEST(ProgramPatterns, EngineContract) {
    EXPECT_EQ(firstMatch("{[\\s\\S]+}", "a {x} b\n{y} c"), "{x} b\n{y}");
    EXPECT_EQ(firstMatch("\\[[\\s\\S]+\\]", "[1]\r\n[2] tail"), "[1]\r\n[2]");
    EXPECT_EQ(firstMatch("a{2}", "aaa"), "aa");
    EXPECT_EQ(firstMatch("a{x}|}{", "}{a{x}"), "}{") << "braces without a count are literal";
    EXPECT_EQ(firstMatch("\\s+", "　\u00A0 \t\n\v\f\rx"), " \t\n\v\f\r") << "white space is ASCII only";
}

}  // namespace
}  // namespace velomir
