#include "analysis/link_recognition.h"

#include <gtest/gtest.h>

#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "fake_transport.h"

namespace velomir {
namespace {

using enum LinkKind;

using testing::FakeTransport;

struct KindCase {
    const char* input;
    bool searchMode;
    bool jumpToSearch;
    LinkKind kind;
};

TEST(RecogniseKind, KeywordsMarkersAndFallbacks) {
    const KindCase cases[] = {
        {"http://music.163.com/#/playlist?id=123", false, true, Playlist},
        {"https://music.163.com/#/PlayList?id=123", false, true, Playlist},
        {"http://music.163.com/album?id=35799123", false, true, Album},
        {"http://music.163.com/song?id=26291188&userid=1", false, true, Song},
        {"http://music.163.com/program?id=794062371", false, true, Programme},
        {"http://music.163.com/djradio?id=350117068", false, true, Radio},
        {"http://music.163.com/artist?id=101368", false, true, Artist},
        // Catalogue order decides between two keys, wherever they stand.
        {"song list of playlist?id=9", false, true, Playlist},
        {"--S--love", false, false, Search},
        {"--s--playlist?id=5", false, false, Search},
        // A keyword without an ID is no link: such text searches (or is not recognised).
        {"Love Song", true, true, Search},
        {"Love Song", false, true, Search},
        {"Love Song", false, false, Unrecognised},
        {"playlist?id=0", false, false, Unrecognised},
        {"hello", false, true, Search},
        {"hello", false, false, Unrecognised},
        {"-5", false, false, Unrecognised},
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
    EXPECT_EQ(recogniseKind("123", false, options, http), Song);
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
    EXPECT_EQ(recogniseKind("123abc", false, options, http), Artist);
    ASSERT_EQ(http.requests.size(), 6u);
    // The whole text stands for the ID, and the limit is the maximum count.
    EXPECT_EQ(http.requests[4], "http://music.163.com/api/dj/program/byradio?limit=7&radioId=123abc");

    FakeTransport silent;
    options.jumpToSearch = false;
    EXPECT_EQ(recogniseKind("123", false, options, silent), Unrecognised);
    EXPECT_EQ(silent.requests.size(), 6u);
    options.jumpToSearch = true;
    EXPECT_EQ(recogniseKind("123", false, options, silent), Search);
}

// A number whose ID reads as 0 ("163." loses its digits with the host token, \d misses full-width digits, the id=
// parameter overflows) is not probed: a hit would name an item the run then never fetches.
TEST(RecogniseKind, NumbersWithoutAReadableIdAreNotProbed) {
    for (const char* input : {"163.bc", "163.", "\xEF\xBC\x95", "5?id=99999999999999999999999"}) {
        FakeTransport http;
        http.answer("/", std::string(201, 'x'));
        EXPECT_EQ(recogniseKind(input, false, AnalysisOptions{}, http), Search) << input;
        EXPECT_TRUE(http.requests.empty()) << input;
    }
    FakeTransport http;
    http.answer("/", std::string(201, 'x'));
    EXPECT_EQ(recogniseKind("163.5", false, AnalysisOptions{}, http), Playlist);
    EXPECT_EQ(http.requests.size(), 1u);
}

struct LinkCase {
    const char* input;
    LinkKind kind;
    const char* id;
};

// Links the service's apps hand out that carry no keyword, or digits before the ID; and links a keyword already
// decides, which must keep their kind and ID.
TEST(RecogniseKind, FormsTheKeywordsMissAndTheIdParameter) {
    const LinkCase cases[] = {
        {"https://music.163.com/#/discover/toplist?id=3778678", Playlist, "3778678"},
        {"https://music.163.com/#/Discover/TopList?id=19723756", Playlist, "19723756"},
        {"http://music.163.com/#/dj?id=794062371", Programme, "794062371"},
        {"music.163.com/DJ?ID=794062371", Programme, "794062371"},
        {"https://y.music.163.com/m/song?app_version=8.9.20&id=436514312&uct2=U2FsdGVkX1", Song, "436514312"},
        {"https://y.music.163.com/m/playlist?app_version=9.0.0&ID=2330887406", Playlist, "2330887406"},
        // Decided by a keyword: unchanged.
        {"http://music.163.com/#/playlist?id=123&user=7", Playlist, "123"},
        {"http://music.163.com/#/djradio?id=350117068", Radio, "350117068"},
        {"分享赵雷的单曲《成都》: http://music.163.com/song/436514312/?userid=648225 (来自@网易云音乐)", Song,
         "436514312"},
        {"https://music.163.com/song/1353163404/?userid=648", Song, "1353163404"},
        {"http://music.163.com/artist?id=11/22", Artist, "11"},
        {"http://music.163.com/song?uid=5&id=26291188", Song, "26291188"},
    };
    for (const auto& c : cases) {
        FakeTransport http;
        EXPECT_EQ(recogniseKind(c.input, false, AnalysisOptions{}, http), c.kind) << c.input;
        EXPECT_EQ(extractId(c.input), c.id) << c.input;
        EXPECT_TRUE(http.requests.empty()) << c.input;
    }
    // Without an ID the forms decide nothing: the text is searched for.
    FakeTransport http;
    EXPECT_EQ(recogniseKind("https://music.163.com/#/discover/toplist", false, AnalysisOptions{}, http), Search);
    EXPECT_EQ(recogniseKind("https://music.163.com/#/dj?id=0", false, AnalysisOptions{}, http), Search);
}

TEST(ShortLinks, FoundAnywhereWithOrWithoutScheme) {
    EXPECT_EQ(findShortLink("分享赵雷的单曲《成都》: https://163cn.tv/zHy7Ta (来自@网易云音乐)"),
              "http://163cn.tv/zHy7Ta");
    EXPECT_EQ(findShortLink("163CN.TV/ab12"), "http://163cn.tv/ab12");
    EXPECT_EQ(findShortLink("http://163cn.tv/"), "");
    EXPECT_EQ(findShortLink("http://163cnXtv/abc"), "");
}

TEST(ShortLinks, TheAddressTheyLeadToIsRecognisedAndNeverFetched) {
    FakeTransport http;
    http.redirect("http://163cn.tv/zHy7Ta", "https://y.music.163.com/m/song?app_version=8.9.20&id=436514312");
    const Recognition song = recogniseLink("分享赵雷的单曲《成都》: https://163cn.tv/zHy7Ta (来自@网易云音乐)", false,
                                           AnalysisOptions{}, http);
    EXPECT_EQ(song.kind, Song);
    EXPECT_EQ(extractId(song.text), "436514312");
    EXPECT_EQ(http.requests, std::vector<std::string>{"http://163cn.tv/zHy7Ta"});

    // Redirects that stay on the short-link host are followed.
    http.requests.clear();
    http.redirect("http://163cn.tv/hop3Kd", "http://163CN.tv/pL9xQ2");
    http.redirect("http://163CN.tv/pL9xQ2", "https://music.163.com/playlist?id=2330887406&userid=1");
    const Recognition playlist = recogniseLink("163cn.tv/hop3Kd", false, AnalysisOptions{}, http);
    EXPECT_EQ(playlist.kind, Playlist);
    EXPECT_EQ(extractId(playlist.text), "2330887406");
    EXPECT_EQ(http.requests.size(), 2u);
}

TEST(ShortLinks, NoRedirectOrALoopCountsAsNoShortLink) {
    AnalysisOptions noSearch;
    noSearch.jumpToSearch = false;
    FakeTransport http;
    http.redirect("http://163cn.tv/l00pXx", "http://163cn.tv/l00pXx");
    const Recognition loop = recogniseLink("see 163cn.tv/l00pXx", false, noSearch, http);
    EXPECT_EQ(loop.kind, Unrecognised);
    EXPECT_EQ(loop.text, "see 163cn.tv/l00pXx");
    EXPECT_EQ(http.requests.size(), 5u);

    FakeTransport silent;
    EXPECT_EQ(recogniseKind("https://163cn.tv/gone1", false, AnalysisOptions{}, silent), Search);
    EXPECT_EQ(silent.requests.size(), 1u);
    // A short link in search mode is still followed: it names one item.
    silent.redirect("http://163cn.tv/gone1", "http://music.163.com/album?id=35799123");
    EXPECT_EQ(recogniseKind("https://163cn.tv/gone1", true, AnalysisOptions{}, silent), Album);
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
