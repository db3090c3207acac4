#include "bench/track_readers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/track_field_check.h"
#include "playlist_answer_generator.h"

namespace velomir::bench {
namespace {

using Fields = std::vector<std::string>;

std::string corpusFile(const std::string& name) {
    std::ifstream file(std::string(VELOMIR_CORPUS_DIR) + "/service-answers/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ReaderCase {
    const char* name;
    TrackReader read;
    bool keepsEscapes;  // ours hands string escapes back as written
};

class TrackReaders : public ::testing::TestWithParam<ReaderCase> {
protected:
    Fields fieldsOf(std::string_view answer) const {
        Fields fields = collectFields(GetParam().read, answer);
        if (GetParam().keepsEscapes) {
            for (std::string& field : fields) field = decodeEscapes(field);
        }
        return fields;
    }
};

TEST_P(TrackReaders, ReadsThePublishedPlaylistAnswer) {
    const std::string answer = corpusFile("playlist.json");
    ASSERT_FALSE(answer.empty());
    const Fields expected = {
        "null",    "林俊杰",     "3684",       "http://p1.music.126.net/X0EDfXzxMQJiQ-71JFGdZw==/3238061746556733.jpg",
        "新地球",  "3056951",    "可惜没如果", "29814898",
        "null",    "Matt Terry", "12214141",   "http://p1.music.126.net/ccPBFCYB9GVxfE26QyxxZw==/18855524904837653.jpg",
        "Trouble", "36827686",   "Not You",    "520525422"};
    EXPECT_EQ(fieldsOf(answer), expected);
}

TEST_P(TrackReaders, JoinsArtistsAndLeavesMissingFieldsEmpty) {
    const std::string answer =
        R"({"result":{"tracks":[)"
        R"({"name":"A \"B\" C\u2026","id":4294967297,"artists":[{"name":"A","id":11},{"name":"B/x","id":22}],)"
        R"("album":{"name":"Live [2017]","id":5,"blurPicUrl":null},"mp3Url":"http://h/0.mp3"},)"
        R"({"name":"bare","id":7,"artists":[]},)"
        R"({"id":8,"artists":[{"name":"solo"},{"id":3}]}]},"code":200})";
    const Fields expected = {"http://h/0.mp3",
                             "A/B/x",
                             "11/22",
                             "null",
                             "Live [2017]",
                             "5",
                             "A \"B\" C…",
                             "4294967297",
                             "",
                             "",
                             "",
                             "",
                             "",
                             "",
                             "bare",
                             "7",
                             "",
                             "solo/",
                             "/3",
                             "",
                             "",
                             "",
                             "",
                             "8"};
    EXPECT_EQ(fieldsOf(answer), expected);
}

TEST_P(TrackReaders, FindsNoTracksInAnswersWithoutAList) {
    for (const std::string& answer : {std::string(), std::string("not json"), std::string("{\"result\":{}}"),
                                      corpusFile("error-460-cheating.json"), corpusFile("song.json")}) {
        SCOPED_TRACE(answer.substr(0, 40));
        EXPECT_TRUE(fieldsOf(answer).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(, TrackReaders,
                         ::testing::Values(ReaderCase{"ours", readTracksOurs, true},
                                           ReaderCase{"nlohmann", readTracksNlohmann, false},
                                           ReaderCase{"rapidjson", readTracksRapidJson, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The benchmark compares like with like only if the three readers agree on a large generated answer.
TEST(TrackReaderAgreement, AllReadersGiveTheSameFieldsForAGeneratedPlaylist) {
    const std::string answer = PlaylistAnswerGenerator(9).answer(300);
    const Fields expected = collectFields(readTracksNlohmann, answer);
    ASSERT_EQ(expected.size(), 300u * kTrackFieldCount);
    EXPECT_EQ(describeDifference(expected, collectFields(readTracksRapidJson, answer)), "");
    Fields ours = collectFields(readTracksOurs, answer);
    for (std::string& field : ours) field = decodeEscapes(field);
    EXPECT_EQ(describeDifference(expected, ours), "");
}

TEST(TrackFieldCheck, DecodesEscapesTheWayAJsonParserDoes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain 林俊杰", "plain 林俊杰"}, {R"(Say \"Hi\")", "Say \"Hi\""},
        {R"(If Only\u2026)", "If Only…"}, {R"(\ud83c\udfb5 a\/b \\)", "\xF0\x9F\x8E\xB5 a/b \\"},
        {R"(broken \x)", R"(broken \x)"},
    };
    for (const auto& [escaped, decoded] : cases) EXPECT_EQ(decodeEscapes(escaped), decoded) << escaped;
}

TEST(TrackFieldCheck, ReportsTheFirstDifferenceAndHowManyThereAre) {
    const Fields expected(16, "x");
    Fields actual = expected;
    EXPECT_EQ(describeDifference(expected, actual), "");
    actual[10].back() = 'y';
    actual[12].back() = 'z';
    EXPECT_EQ(describeDifference(expected, actual),
              "2 fields differ, first at track 2 field 3: \"y\" instead of \"x\"");
    actual.pop_back();
    EXPECT_EQ(describeDifference(expected, actual), "15 fields instead of 16");
}

}  // namespace
}  // namespace velomir::bench
