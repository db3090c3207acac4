#include "analysis/item_extraction.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "analysis/audio_address.h"
#include "analysis/item_text.h"
#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "fake_transport.h"
#include "json/json_document.h"

namespace velomir {
namespace {

using enum LinkKind;

using testing::FakeTransport;

constexpr const char* kPlaylist = R"({"result":{"id":1,"tracks":[
{"name":"If Only\u2026","id":101,"mp3Url":null,"artists":[{"name":"A","id":1}],
 "album":{"name":"First","id":201,"blurPicUrl":"http:\/\/p\/1.jpg"}},
{"name":"Song [Live]","id":102,"mp3Url":"http://m/102.mp3","artists":[{"name":"A","id":11},{"name":"B","id":22}],
 "album":{"name":"Say \"Hi\"","id":202,"blurPicUrl":null}},
{"name":"null","id":103,"artists":[],"album":{}}
]},"code":200})";

TEST(ExtractItems, PlaylistFieldsInTheAnswersOrder) {
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes{ProgrammeItem{}};
    JsonDocument document;
    ASSERT_EQ(extractItems(kPlaylist, Playlist, document, tracks, programmes), 3);
    EXPECT_TRUE(programmes.empty());
    EXPECT_EQ(tracks[0].trackName, "If Only…");
    EXPECT_EQ(tracks[0].audioAddress, "");  // a null address is no address, not the word null
    EXPECT_EQ(tracks[0].albumPictureAddress, "http://p/1.jpg");
    EXPECT_EQ(tracks[1].trackName, "Song [Live]");
    EXPECT_EQ(tracks[1].artistNames, "A/B");
    EXPECT_EQ(tracks[1].artistIds, "11/22");
    EXPECT_EQ(tracks[1].albumName, "Say \"Hi\"");
    EXPECT_EQ(tracks[1].albumPictureAddress, "");
    EXPECT_EQ(tracks[1].albumId, "202");
    EXPECT_EQ(tracks[1].trackId, "102");
    // A track really called "null" keeps its name; a missing member is empty.
    EXPECT_EQ(tracks[2].trackName, "null");
    EXPECT_EQ(tracks[2].audioAddress, "");
    EXPECT_EQ(tracks[2].artistNames, "");
}

TEST(ExtractItems, SearchArtistAndProgrammeShapes) {
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    JsonDocument search;
    const char* searchAnswer = R"({"result":{"songs":[{"name":"S","id":5,"audio":"http://a/5.mp3",
        "artists":[{"name":"X","id":9}],"album":{"name":"Al","id":8,"picUrl":"http://p/8.jpg"}}]},"code":200})";
    ASSERT_EQ(extractItems(searchAnswer, Search, search, tracks, programmes), 1);
    EXPECT_EQ(tracks[0].audioAddress, "http://a/5.mp3");
    EXPECT_EQ(tracks[0].albumPictureAddress, "http://p/8.jpg");

    JsonDocument artist;
    ASSERT_EQ(extractItems(R"([{"name":"1"},{"name":"2"},{"name":"3"},{"name":"4"},{"name":"5"}])", Artist, artist,
                           tracks, programmes),
              5);
    EXPECT_EQ(tracks[4].trackName, "5");

    JsonDocument programme;
    const char* programmeAnswer = R"({"program":{"name":"P","id":77,"description":"D","dj":{"userId":3,
        "nickname":"N"},"radio":{"name":"R","id":4},"mainSong":{"mp3Url":"http://a/m.mp3",
        "album":{"blurPicUrl":"http://p/m.jpg"}},"x":1,"y":2},"code":200})";
    ASSERT_EQ(extractItems(programmeAnswer, Programme, programme, tracks, programmes), 1);
    EXPECT_TRUE(tracks.empty());
    const ProgrammeItem& p = programmes[0];
    EXPECT_EQ(p.programmeName, "P");
    EXPECT_EQ(p.djNickname, "N");
    EXPECT_EQ(p.radioName, "R");
    EXPECT_EQ(p.audioAddress, "http://a/m.mp3");
    EXPECT_EQ(p.albumPictureAddress, "http://p/m.jpg");
    EXPECT_EQ(p.programmeId, "77");
}

TEST(ExtractItems, BrokenAnswersGiveNoItems) {
    for (const char* answer :
         {"", "not json", R"({"code":404,"msg":"该资源不存在。"})", "{\"result\":{\"tracks\":[]}}"}) {
        std::vector<TrackItem> tracks{TrackItem{}};
        std::vector<ProgrammeItem> programmes;
        JsonDocument document;
        EXPECT_EQ(extractItems(answer, Playlist, document, tracks, programmes), 0) << answer;
        EXPECT_TRUE(tracks.empty());
    }
}

TEST(FetchItems, AddressesAndEarlyStops) {
    FakeTransport http;
    std::vector<TrackItem> tracks{TrackItem{}};
    std::vector<ProgrammeItem> programmes;
    std::string text = "42";
    fetchItems(text, Radio, tracks, programmes, http, 100);
    text = "42";
    fetchItems(text, Song, tracks, programmes, http, 100);
    for (const char* search : {"--s--hello", "--S--hello"}) {
        text = search;
        fetchItems(text, Search, tracks, programmes, http, 30);
        EXPECT_EQ(text, "hello");
    }
    ASSERT_EQ(http.requests.size(), 4u);
    EXPECT_NE(http.requests[0].find("limit=100&radioId=42"), std::string::npos);
    EXPECT_NE(http.requests[1].find("ids=[42]"), std::string::npos);
    EXPECT_NE(http.requests[2].find("&s=hello&limit=30&"), std::string::npos);
    EXPECT_EQ(http.requests[2], http.requests[3]);

    http.requests.clear();
    tracks.assign(1, TrackItem{});
    text = " 　 ";
    EXPECT_EQ(fetchItems(text, Search, tracks, programmes, http, 30).code(), Status::Code::BadInput);
    text = "0";
    EXPECT_EQ(fetchItems(text, Playlist, tracks, programmes, http, 30).code(), Status::Code::BadInput);
    text = "42";
    const Status unrecognised = fetchItems(text, Unrecognised, tracks, programmes, http, 30);
    EXPECT_EQ(unrecognised.code(), Status::Code::BadInput);
    EXPECT_FALSE(unrecognised.message().empty());
    EXPECT_TRUE(http.requests.empty());
    EXPECT_EQ(tracks.size(), 1u);  // an early stop leaves the lists alone
}

TEST(FetchItems, SearchTextIsUrlEncoded) {
    FakeTransport http;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    std::string text = "你好 love";
    fetchItems(text, Search, tracks, programmes, http, 5);
    ASSERT_EQ(http.requests.size(), 1u);
    EXPECT_NE(http.requests[0].find("s=%E4%BD%A0%E5%A5%BD%20love&"), std::string::npos);
}

TEST(FetchItems, ArtistPageListIsCutFromTheHiddenTextArea) {
    FakeTransport http;
    http.answer("/artist?id=7", R"(<html><TEXTAREA style="DISPLAY:NONE;">[{"name":"a%20b","id":1}]</textarea>)");
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    std::string text = "7";
    EXPECT_TRUE(fetchItems(text, Artist, tracks, programmes, http, 5).ok());
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].trackName, "a b");
}

TEST(FetchItems, SaysWhenTheServiceRefused) {
    FakeTransport http;
    http.answer("/api/album/", R"({"code":-460,"msg":"Cheating"})");
    http.answer("/artist?id=", R"( {"code":-447,"msg":"busy"})");
    http.answer("/api/playlist/", R"({"result":{"tracks":[]},"code":200})");
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    std::string text = "7";
    const Status album = fetchItems(text, Album, tracks, programmes, http, 5);
    EXPECT_EQ(album.code(), Status::Code::Refused);
    EXPECT_EQ(album.message(), "code -460: Cheating");
    const Status artist = fetchItems(text, Artist, tracks, programmes, http, 5);
    EXPECT_EQ(artist.code(), Status::Code::Refused);
    EXPECT_EQ(artist.message(), "code -447: busy");
    EXPECT_TRUE(fetchItems(text, Playlist, tracks, programmes, http, 5).ok());  // an empty list is an answer
    EXPECT_EQ(http.requests.size(), 3u);
}

TEST(BuildResultRows, MapsTheFieldsOfTheRecordType) {
    const std::vector<TrackItem> tracks{TrackItem{"a", "n", "i", "c", "al", "ai", "t", "ti"}};
    const std::vector<ProgrammeItem> programmes{ProgrammeItem{"a", "c", "u", "dj", "r", "ri", "d", "p", "pi"}};
    std::vector<ResultRow> rows;
    ASSERT_EQ(buildResultRows(RecordType::Track, tracks, programmes, rows), 1);
    EXPECT_EQ(rows[0].trackCover, "c");
    EXPECT_EQ(rows[0].trackId, "ti");
    EXPECT_EQ(rows[0].programmeName, "");
    ASSERT_EQ(buildResultRows(RecordType::Programme, tracks, programmes, rows), 1);
    EXPECT_EQ(rows[0].programmeCover, "c");
    EXPECT_EQ(rows[0].djUserId, "u");
    EXPECT_EQ(rows[0].pictureAddress(), "c");
    EXPECT_EQ(rows[0].trackName, "");
    EXPECT_EQ(buildResultRows(RecordType::Programme, tracks, {}, rows), 0);
    EXPECT_TRUE(rows.empty());
}

TEST(ResolveAudioAddress, FetchesOnceAndOnlyForEmptyTrackAddresses) {
    FakeTransport http;
    http.answer("ids=[102]", R"({"songs":[{"id":102,"mp3Url":"http:\/\/m\/102.mp3"}],"code":200})");
    std::vector<ResultRow> rows(2);
    rows[0].trackId = "102";
    rows[1].programmeId = "5";
    resolveAudioAddress(1, rows, http, 100);
    EXPECT_EQ(rows[0].audioAddress, "http://m/102.mp3");
    resolveAudioAddress(1, rows, http, 100);
    resolveAudioAddress(2, rows, http, 100);  // a programme row has no track ID to ask for
    resolveAudioAddress(0, rows, http, 100);
    resolveAudioAddress(3, rows, http, 100);
    EXPECT_EQ(http.requests.size(), 1u);
    EXPECT_EQ(rows[1].audioAddress, "");
}

TEST(DecodeJsonEscapes, UnicodeSurrogatesAndSimpleEscapes) {
    EXPECT_EQ(decodeJsonEscapes(R"(a\"b\\c\/d\te)"), "a\"b\\c/d\te");
    EXPECT_EQ(decodeJsonEscapes(R"(\u4f60\u597D)"), "你好");
    EXPECT_EQ(decodeJsonEscapes(R"(\ud83c\udfb5)"), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(decodeJsonEscapes(R"(\ud83c!)"), "\xEF\xBF\xBD!");
    EXPECT_EQ(decodeJsonEscapes(R"(\u12 \x \)"), R"(\u12 \x \)");
}

}  // namespace
}  // namespace velomir
