// File names from untrusted service names: path tricks, controls, broken UTF-8, long CJK names cut at the byte
// limit; the name template; one list with repeated names.
#include "downloads/file_naming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velomir {
namespace {

// "音" is 3 bytes in UTF-8, "é" 2.
std::string repeated(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(SafeFileName, PathTricksStayInsideTheFolder) {
    EXPECT_EQ(safeFileName("../../x", ".mp3"), "／..／x.mp3") << "leading dots trimmed, slashes full-width";
    EXPECT_EQ(safeFileName("a/b", ".mp3"), "a／b.mp3");
    EXPECT_EQ(safeFileName("a\\b", ""), "a＼b");
    EXPECT_EQ(safeFileName(".", ".mp3"), "_.mp3");
    EXPECT_EQ(safeFileName("..", ".mp3"), "_.mp3");
    EXPECT_EQ(safeFileName(".", ""), "_");
    EXPECT_EQ(safeFileName("..", ""), "_");
    EXPECT_EQ(safeFileName("", ".lrc"), "_.lrc");
    EXPECT_EQ(safeFileName(" . . .\xE3\x80\x80", ".mp3"), "_.mp3") << "only dots and blanks";
    EXPECT_EQ(safeFileName(".hidden", ".mp3"), "hidden.mp3");
    EXPECT_EQ(safeFileName("  Song. ", ".mp3"), "Song.mp3");
    EXPECT_EQ(safeFileName("x", "/../../etc"), "x／..／..／etc") << "even a hostile extension holds no slash";
}

TEST(SafeFileName, ReservedCharactersBecomeFullWidth) {
    EXPECT_EQ(safeFileName("Aimer - Ref:rain", ".mp3"), "Aimer - Ref：rain.mp3") << "nothing after the colon is lost";
    EXPECT_EQ(safeFileName(R"(a*b?c"d<e>f|g)", ""), "a＊b？c＂d＜e＞f｜g");
    EXPECT_EQ(safeFileName("周杰伦 - 晴天 (Live)", ".mp3"), "周杰伦 - 晴天 (Live).mp3") << "ordinary text unchanged";
}

TEST(SafeFileName, ControlsNulAndBrokenUtf8) {
    EXPECT_EQ(safeFileName("line one\nline two", ".mp3"), "line one line two.mp3");
    EXPECT_EQ(safeFileName("a\r\nb\tc", ""), "a b c");
    EXPECT_EQ(safeFileName(std::string("a\0b", 3), ".mp3"), "ab.mp3");
    EXPECT_EQ(safeFileName("a\x7F\x1B[31mb", ""), "a[31mb");
    EXPECT_EQ(safeFileName(std::string("a\xC2\x85\xC2\x9F") + "b", ""), "ab") << "C1 controls";
    EXPECT_EQ(safeFileName(std::string("evil\xE2\x80\xAE") + "3pm.exe", ""), "evil3pm.exe") << "direction override";
    EXPECT_EQ(safeFileName(std::string("a\xFF") + "b", ""), std::string("a\xEF\xBF\xBD") + "b");
    EXPECT_EQ(safeFileName("a\xE9", ""), "a\xEF\xBF\xBD") << "Latin-1 byte at the end";
    EXPECT_EQ(safeFileName("\xC0\xAF", ""), "\xEF\xBF\xBD\xEF\xBF\xBD") << "an overlong '/' is no slash";
    EXPECT_EQ(safeFileName("\xED\xA0\x80", ""), repeated("\xEF\xBF\xBD", 3)) << "a surrogate";
    EXPECT_EQ(safeFileName("\xE9\x9F", ""), repeated("\xEF\xBF\xBD", 2)) << "a cut sequence";
    EXPECT_EQ(safeFileName("\xF0\x9F\x8E\xB5", ""), "\xF0\x9F\x8E\xB5") << "four-byte characters pass";
    EXPECT_EQ(safeFileName(std::string("\0\n\x01", 3), ".mp3"), "_.mp3");
}

TEST(SafeFileName, LongNamesCutAtACharacterBoundary) {
    const std::string cjk = repeated("音", 100);  // 300 bytes
    const std::string cut = safeFileName(cjk, ".mp3");
    EXPECT_EQ(cut, repeated("音", 82) + ".mp3") << "246 bytes of stem fit; 82 whole characters";
    EXPECT_EQ(safeFileName(cjk, ""), repeated("音", 83));

    // Names of 249, 250 and 251 bytes with a multi-byte character at the limit.
    const std::string stem249 = repeated("a", 242) + "音";  // 245 + 4 = 249
    EXPECT_EQ(safeFileName(stem249, ".mp3"), stem249 + ".mp3");
    const std::string stem250 = repeated("a", 243) + "音";
    EXPECT_EQ(safeFileName(stem250, ".mp3"), stem250 + ".mp3");
    const std::string stem251 = repeated("a", 244) + "音";
    EXPECT_EQ(safeFileName(stem251, ".mp3"), repeated("a", 244) + ".mp3") << "the whole character goes";
    EXPECT_EQ(safeFileName(repeated("a", 245) + "é", ".mp3"), repeated("a", 245) + ".mp3");
    EXPECT_EQ(safeFileName(repeated("a", 244) + "é", ".mp3"), repeated("a", 244) + "é.mp3");

    // The cut can expose a dot or a blank: trimmed again, the extension kept whole.
    EXPECT_EQ(safeFileName(repeated("a", 243) + " . .zzzz", ".mp3"), repeated("a", 243) + ".mp3");
    // Each reserved character grows to 3 bytes: the limit applies to the result.
    const std::string slashes = safeFileName(repeated("/", 200), ".mp3");
    EXPECT_EQ(slashes, repeated("／", 82) + ".mp3");
    // A control removed before the cut leaves room for more text.
    EXPECT_EQ(safeFileName(repeated("\x01", 100) + repeated("b", 246), ".mp3"), repeated("b", 246) + ".mp3");
}

NameFields row(std::string name, std::string artists, std::string id, int position = 1, int listSize = 1) {
    NameFields fields;
    fields.name = std::move(name);
    fields.artists = std::move(artists);
    fields.album = "Album";
    fields.id = std::move(id);
    fields.position = position;
    fields.listSize = listSize;
    return fields;
}

TEST(NameTemplate, FieldsIndexPaddingAndUnknownBraces) {
    const NameFields fields = row("晴天", "周杰伦", "186016", 7, 120);
    EXPECT_EQ(fillNameTemplate(kDefaultNameTemplate, fields), "周杰伦 - 晴天");
    EXPECT_EQ(fillNameTemplate("{index}. {name} [{album}] {id}", fields), "007. 晴天 [Album] 186016");
    EXPECT_EQ(fillNameTemplate("{index}", row("a", "b", "1", 7, 9)), "7");
    EXPECT_EQ(fillNameTemplate("{index}", row("a", "b", "1", 10, 10)), "10");
    EXPECT_EQ(fillNameTemplate("{index}", row("a", "b", "1", 3, 1000)), "0003");
    EXPECT_EQ(fillNameTemplate("{index}", row("a", "b", "1", 3, 0)), "3") << "unknown size: no padding";

    EXPECT_EQ(fillNameTemplate("{year} {name}", fields), "{year} 晴天") << "unknown fields kept";
    EXPECT_EQ(fillNameTemplate("{{name}}", fields), "{晴天}");
    EXPECT_EQ(fillNameTemplate("{name", fields), "{name");
    EXPECT_EQ(fillNameTemplate("}{}{", fields), "}{}{");
    EXPECT_EQ(fillNameTemplate("", fields), "");
    EXPECT_EQ(fillNameTemplate("{name}", row("{artists}", "X", "1")), "{artists}") << "values are not expanded";
}

TEST(NameTemplate, UsableTemplates) {
    for (const char* good : {"{artists} - {name}", "{index} {name}", "{album}/{name}", "plain", " {id} "}) {
        EXPECT_TRUE(isNameTemplate(good)) << good;
    }
    for (const char* bad : {"", "   ", "{name", "name}", "{year}", "{}", "{na{me}}", "{Name}", "{ name }"}) {
        EXPECT_FALSE(isNameTemplate(bad)) << bad;
    }
}

TEST(PlanFileNames, RepeatedNamesAllKeepAFile) {
    const std::vector<NameFields> rows = {row("Song", "A", "1"), row("Other", "A", "2"), row("Song", "A", "3"),
                                          row("Song", "A", "3"), row("song", "A", "4"),  row("Song", "A", "")};
    const std::vector<std::string> names = planFileNames(kDefaultNameTemplate, rows);
    EXPECT_EQ(names, (std::vector<std::string>{"A - Song.mp3", "A - Other.mp3", "A - Song (3).mp3",
                                               "A - Song (3-2).mp3", "A - song.mp3", "A - Song (2).mp3"}));
}

TEST(PlanFileNames, AnIdSuffixThatIsAnotherRowsName) {
    // The third row is naturally named like the second row's renamed file: it moves aside in turn.
    const std::vector<std::string> names =
        planFileNames("{name}", {row("x", "", "5"), row("x", "", "5"), row("x (5)", "", "9"), row("x (5)", "", "9")});
    EXPECT_EQ(names, (std::vector<std::string>{"x.mp3", "x (5).mp3", "x (5) (9).mp3", "x (5) (9-2).mp3"}));
}

TEST(PlanFileNames, NamesThatOnlyDifferAfterTheCut) {
    // Two long names that agree in their first 246 bytes: the second still ends with its ID, within the limit.
    const std::string common = repeated("音", 90);
    const std::vector<std::string> names =
        planFileNames("{name}", {row(common + "A", "", "111"), row(common + "B", "", "222222")});
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], repeated("音", 82) + ".mp3");
    EXPECT_EQ(names[1], repeated("音", 79) + " (222222).mp3");
    EXPECT_LE(names[1].size(), kMaxFileNameBytes);

    // Hostile IDs: still one component, still unique.
    const std::vector<std::string> hostile =
        planFileNames("{name}", {row("n", "", "a/b"), row("n", "", "a/b"), row("n", "", repeated("9", 500)),
                                 row("n", "", repeated("9", 500)), row("n", "", "\n")});
    const std::set<std::string> unique(hostile.begin(), hostile.end());
    EXPECT_EQ(unique.size(), hostile.size());
    for (const std::string& name : hostile) {
        EXPECT_EQ(name.find('/'), std::string::npos) << name;
        EXPECT_LE(name.size(), kMaxFileNameBytes) << name;
    }
    EXPECT_EQ(hostile[1], "n (a／b).mp3");
}

}  // namespace
}  // namespace velomir
