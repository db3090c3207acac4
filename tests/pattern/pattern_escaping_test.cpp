#include <gtest/gtest.h>

#include "pattern/regex_object.h"

namespace velomir {
namespace {

TEST(PatternEscaping, Table) {
    // text, escapeAll, escapeKeepAlternation, escapeKeepGroups, wildcardToPattern
    const std::array<std::string_view, 5> cases[] = {
        {"", "", "", "", ""},
        {"a.b*c=\"", "a\\.b\\*c\\=\\\"", "a\\.b\\*c\\=\\\"", "a\\.b\\*c\\=\\\"", "a\\.b.*c\\=\\\""},
        {"\\.$\\", "\\\\\\.\\$\\\\", "\\\\\\.\\$\\\\", "\\\\\\.\\$\\\\", "\\\\\\.\\$\\\\"},
        {"(a|b)", "\\(a\\|b\\)", "\\(a|b\\)", "(a|b)", "\\(a|b\\)"},
        {"*.mp3", "\\*\\.mp3", "\\*\\.mp3", "\\*\\.mp3", ".*\\.mp3"},
        {"a?-b", "a\\?-b", "a\\?-b", "a\\?-b", "a.?\\-b"},
        {"\\*", "\\\\\\*", "\\\\\\*", "\\\\\\*", "\\\\.*"},
        {"^[x]{2}+", "\\^\\[x\\]\\{2\\}\\+", "\\^\\[x\\]\\{2\\}\\+", "\\^\\[x\\]\\{2\\}\\+", "\\^\\[x\\]\\{2\\}\\+"},
        {"歌曲{网}", "歌曲\\{网\\}", "歌曲\\{网\\}", "歌曲\\{网\\}", "歌曲\\{网\\}"},
    };
    for (const auto& [text, all, keepAlternation, keepGroups, wildcard] : cases) {
        EXPECT_EQ(RegexObject::escapeAll(text), all) << text;
        EXPECT_EQ(RegexObject::escapeKeepAlternation(text), keepAlternation) << text;
        EXPECT_EQ(RegexObject::escapeKeepGroups(text), keepGroups) << text;
        EXPECT_EQ(RegexObject::wildcardToPattern(text), wildcard) << text;
    }
}

// The engine must read every inserted escape as meant: escaped text matches itself, whole.
TEST(PatternEscaping, EscapedTextMatchesItselfAndWildcardsMatchNames) {
    RegexObject regex;
    for (std::string_view text : {"a.b*c", "x=1-2", "\"q\"", "\\.", "$\\", "^[x]{2}+?", "(a|b)", "歌{曲}\\"}) {
        regex.create(RegexObject::escapeAll(text), false);
        ASSERT_EQ(regex.execute(text), 1) << text;
        EXPECT_EQ(regex.matchText(1), text);
    }
    regex.create("^" + RegexObject::wildcardToPattern("*.mp3") + "$");
    EXPECT_EQ(regex.execute("歌曲 - 1.MP3\nsong_mp3"), 1);
    regex.create("^" + RegexObject::wildcardToPattern("a?c|x") + "$");
    EXPECT_EQ(regex.execute("ac\nabc\nx\nabbc"), 3);
}

}  // namespace
}  // namespace velomir
