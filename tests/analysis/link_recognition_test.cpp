#include "analysis/link_recognition.h"

#include <gtest/gtest.h>

#include "fake_transport.h"

namespace velomir {
namespace {

using testing::FakeTransport;

struct KindCase {
    const char* input;
    bool searchMode;
    bool jumpToSearch;
    int kind;
};

TEST(RecogniseKind, KeywordsMarkersAndFallbacks) {
    const KindCase cases[] = {
        {"http://music.163.com/#/playlist?id=123", false, true, 0},
        {"https://music.163.com/#/PlayList?id=123", false, true, 0},
        {"http://music.163.com/album?id=35799123", false, true, 1},
        {"http://music.163.com/song?id=26291188&userid=1", false, true, 2},
        {"http://music.163.com/program?id=794062371", false, true, 3},
        {"http://music.163.com/djradio?id=350117068", false, true, 4},
        {"http://music.163.com/artist?id=101368", false, true, 5},
        // Catalogue order decides between two keys, wherever they stand.
        {"song list of playlist?id=9", false, true, 0},
        {"--S--love", false, false, 6},
        {"--s--playlist?id=5", false, false, 6},
        // A keyword without an ID is no link: such text searches (or is not recognised).
        {"Love Song", true, true, 6},
        {"Love Song", false, true, 6},
        {"Love Song", false, false, -1},
        {"playlist?id=0", false, false, -1},
        {"hello", false, true, 6},
        {"hello", false, false, -1},
        {"-5", false, false, -1},
    };
    for (const auto& c : cases) {
        FakeTransport http;
        AnalysisOptions options;
        options.jumpToSearch = c.jumpToSearch;
        EXPECT_EQ(recogniseKind(c.input, c.searchMode, options, http), c.kind) << c.input;
        EXPECT_TRUE(http.requests.empty()) << c.input;
    }
}

TEST(RecogniseKind, BareNumberProbesTheKindsInOrder) {
    FakeTransport http;
    http.answer("/api/song/detail", std::string(201, 'x'));
    AnalysisOptions options;
    options.maxCount = 7;
    EXPECT_EQ(recogniseKind("123", false, options, http), 2);
    ASSERT_EQ(http.requests.size(), 3u);
    EXPECT_EQ(http.requests[0], "http://music.163.com/api/playlist/detail?id=123");
    EXPECT_EQ(http.requests[1], "http://music.163.com/api/album/123");
    EXPECT_EQ(http.requests[2], "http://music.163.com/api/song/detail/?ids=[123]");
}

TEST(RecogniseKind, ProbeNeedsMoreThanTwoHundredBytes) {
    FakeTransport http;
    http.answer("/api/", std::string(200, 'x'));
    http.answer("/artist?id=123abc", std::string(201, 'x'));
    AnalysisOptions options;
    options.maxCount = 7;
    EXPECT_EQ(recogniseKind("123abc", false, options, http), 5);
    ASSERT_EQ(http.requests.size(), 6u);
    // The whole text stands for the ID, and the limit is the maximum count.
    EXPECT_EQ(http.requests[4], "http://music.163.com/api/dj/program/byradio?limit=7&radioId=123abc");

    FakeTransport silent;
    options.jumpToSearch = false;
    EXPECT_EQ(recogniseKind("123", false, options, silent), -1);
    EXPECT_EQ(silent.requests.size(), 6u);
    options.jumpToSearch = true;
    EXPECT_EQ(recogniseKind("123", false, options, silent), 6);
}

TEST(ExtractId, FirstDigitsAfterTheHost) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://music.163.com/#/playlist?id=123&user=7", "123"},
        {"  007", "7"},
        {"", "-1"},
        {" 　 ", "-1"},
        {"no digits here", "0"},
        {"http://music.163.com/song?id=163", "163"},
        {"http://music.163.com/playlist?id=2163", "2163"},
        {"16300", "16300"},
        {"playlist?id=72897851187", "72897851187"},
        {"id=99999999999999999999999", "0"},
        {"[歌单]http://music.163.com/#/playlist?id=000456", "456"},
    };
    for (const auto& [input, id] : cases) EXPECT_EQ(extractId(input), id) << input;
}

}  // namespace
}  // namespace velomir
