// The stand-in service, checked over real loopback HTTP the way the client will use it.
#include "stub_service.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "analysis/curl_transport.h"
#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "lyrics/lyric_source.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

using nlohmann::json;

constexpr std::size_t kProbeThreshold = 200;
constexpr std::size_t kClientLimit = 64u * 1024 * 1024;

struct Inflated {
    std::string text;
    bool complete = false;
};

Inflated inflateGzip(const std::string& packed) {
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    Inflated result;
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        result.text.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    result.complete = status == Z_STREAM_END;
    return result;
}

StubOptions optionsWith(bool gzip, std::string fault = {}, int slowMs = 3000) {
    StubOptions options;
    options.gzip = gzip;
    options.fault = std::move(fault);
    options.slowMs = slowMs;
    return options;
}

// A stand-in running for the lifetime of the object.
class RunningStub {
public:
    explicit RunningStub(StubOptions options = {}) : stub_(std::move(options)) {
        setenv("no_proxy", "*", 1);
        port_ = stub_.start();
    }
    int port() const { return port_; }
    std::string base() const { return stub_.baseAddress(); }
    StubService& service() { return stub_; }

    httplib::Client client(int readTimeoutMs = 5000) const {
        httplib::Client client("127.0.0.1", port_);
        client.set_connection_timeout(2, 0);
        client.set_read_timeout(readTimeoutMs / 1000, readTimeoutMs % 1000 * 1000);
        client.set_decompress(false);
        return client;
    }
    std::string body(const std::string& path) const {
        auto result = client().Get(path);
        return result ? result->body : std::string();
    }
    json parsed(const std::string& path) const { return json::parse(body(path), nullptr, false); }

private:
    StubService stub_;
    int port_ = -1;
};

class StubServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stub_ = new RunningStub(); }
    static void TearDownTestSuite() {
        delete stub_;
        stub_ = nullptr;
    }
    static RunningStub& stub() { return *stub_; }

private:
    static RunningStub* stub_;
};

RunningStub* StubServiceTest::stub_ = nullptr;

std::string playlistPath(const std::string& id) { return "/api/playlist/detail?id=" + id; }

// Every quoted text of an answer that starts like an address.
std::vector<std::string> addressesIn(const std::string& body) {
    std::vector<std::string> addresses;
    for (std::size_t at = body.find("\"http"); at != std::string::npos; at = body.find("\"http", at + 1)) {
        addresses.push_back(body.substr(at + 1, body.find('"', at + 1) - at - 1));
    }
    return addresses;
}

TEST_F(StubServiceTest, StartsOnAFreeLoopbackPort) {
    ASSERT_GT(stub().port(), 0);
    EXPECT_EQ(stub().base(), "http://127.0.0.1:" + std::to_string(stub().port()));
}

TEST_F(StubServiceTest, SamplePlaylistKeepsItsTracksInOrderWithEveryAddressForm) {
    auto result = stub().client().Get(playlistPath("2330887406"), {{"Host", "music.163.com"}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json;charset=UTF-8");
    const json answer = json::parse(result->body, nullptr, false);
    ASSERT_FALSE(answer.is_discarded());
    EXPECT_EQ(answer["code"], 200);
    const json& tracks = answer["result"]["tracks"];
    ASSERT_EQ(tracks.size(), 25u);
    EXPECT_EQ(tracks[0]["id"], 29814898);
    EXPECT_EQ(tracks[1]["artists"].size(), 2u);
    EXPECT_EQ(tracks[1]["artists"][0]["name"], "A");
    EXPECT_EQ(tracks[1]["artists"][0]["id"], 11);
    EXPECT_EQ(tracks[1]["artists"][1]["name"], "B");
    EXPECT_EQ(tracks[1]["artists"][1]["id"], 22);
    EXPECT_TRUE(tracks[4]["mp3Url"].is_null());
    EXPECT_TRUE(tracks[8]["mp3Url"].is_null());
    EXPECT_FALSE(tracks[12].contains("mp3Url"));
    EXPECT_TRUE(tracks[16]["mp3Url"].get<std::string>().ends_with("/0.mp3"));
    for (int i : {0, 1, 2, 3, 5, 24}) {
        EXPECT_EQ(tracks[i]["mp3Url"], stub().base() + "/audio/" + tracks[i]["id"].dump() + ".mp3") << i;
    }
    EXPECT_GT(tracks[1]["id"].get<std::int64_t>(), 2147483647);
    EXPECT_GT(tracks[12]["id"].get<std::int64_t>(), 4294967295);
}

// The client reads the wire form with its own reader: the escapes must arrive written out.
TEST_F(StubServiceTest, SamplePlaylistNamesCarryEscapesAndWideForms) {
    const std::string body = stub().body(playlistPath("2330887406"));
    EXPECT_NE(body.find(R"("name":"Say \"Hello\"")"), std::string::npos);
    EXPECT_NE(body.find(R"("name":"If Only\u2026")"), std::string::npos);
    const json tracks = json::parse(body)["result"]["tracks"];
    EXPECT_EQ(tracks[2]["name"], "Song [Live]");
    EXPECT_EQ(tracks[3]["name"], "Say \"Hello\"");
    EXPECT_EQ(tracks[5]["name"], "If Only\u2026");
    EXPECT_EQ(tracks[6]["name"], "Ｌｏｖｅ　Ｓｏｎｇ");
}

TEST_F(StubServiceTest, SongDetailGivesAUsableAddressForEveryPlaylistTrack) {
    const json tracks = stub().parsed(playlistPath("2330887406"))["result"]["tracks"];
    ASSERT_EQ(tracks.size(), 25u);
    int n = 0;
    for (const json& track : tracks) {
        const std::string id = track["id"].dump();
        // Both the bracketed form of the template and its percent-encoded twin reach the same answer.
        const std::string path =
            ++n % 2 ? "/api/song/detail/?ids=[" + id + "]" : "/api/song/detail/?ids=%5B" + id + "%5D";
        const json answer = stub().parsed(path);
        ASSERT_EQ(answer["songs"].size(), 1u) << path;
        EXPECT_EQ(answer["songs"][0]["id"], track["id"]);
        EXPECT_EQ(answer["songs"][0]["mp3Url"], stub().base() + "/audio/" + id + ".mp3");
        EXPECT_EQ(answer["code"], 200);
    }
}

// Probing a bare number tries the templates in catalogue order and stops at the first answer over 200 bytes.
TEST_F(StubServiceTest, ProbingEachSampleIdHitsItsOwnKindFirst) {
    const std::string templates[] = {"/api/playlist/detail?id={id}",
                                     "/api/album/{id}",
                                     "/api/song/detail/?ids=[{id}]",
                                     "/api/dj/program/detail?id={id}",
                                     "/api/dj/program/byradio?limit=100&radioId={id}",
                                     "/artist?id={id}"};
    const struct {
        const char* id;
        LinkKind kind;
    } cases[] = {{"2330887406", LinkKind::Playlist}, {"35799123", LinkKind::Album},      {"436514312", LinkKind::Song},
                 {"26291188", LinkKind::Song},       {"794062371", LinkKind::Programme}, {"350117068", LinkKind::Radio},
                 {"101368", LinkKind::Artist},       {"123", LinkKind::Unrecognised}};
    for (const auto& c : cases) {
        LinkKind hit = LinkKind::Unrecognised;
        for (int k = 0; k < kindIndex(LinkKind::Search) && hit == LinkKind::Unrecognised; ++k) {
            const std::string path = replaceAll(templates[k], "{id}", c.id);
            if (stub().body(path).size() > kProbeThreshold) hit = kindAt(k);
        }
        EXPECT_EQ(hit, c.kind) << c.id;
    }
}

TEST_F(StubServiceTest, UnknownIdsGiveTheShortErrorAnswer) {
    for (const char* path :
         {"/api/playlist/detail?id=1", "/api/album/1", "/api/song/detail/?ids=[1]", "/api/dj/program/detail?id=1",
          "/api/dj/program/byradio?limit=5&radioId=1", "/artist?id=1", "/api/playlist/detail?id=abc"}) {
        const std::string body = stub().body(path);
        EXPECT_LE(body.size(), kProbeThreshold) << path;
        EXPECT_EQ(json::parse(body, nullptr, false)["code"], 404) << path;
    }
}

TEST_F(StubServiceTest, SearchAndRadioHonourTheLimit) {
    const struct {
        const char* path;
        const char* list;
        std::size_t expected;
    } cases[] = {
        {"/search/get/?src=lofter&type=1&filterDj=true&s=love&limit=1&offset=0", "songs", 1},
        {"/search/get/?src=lofter&type=1&filterDj=true&s=love&limit=7&offset=0", "songs", 7},
        {"/search/get/?src=lofter&type=1&filterDj=true&s=love&limit=100&offset=0", "songs", 100},
        {"/api/dj/program/byradio?limit=10&radioId=350117068", "programs", 10},
        {"/api/dj/program/byradio?limit=100&radioId=350117068", "programs", 100},
        {"/api/dj/program/byradio?limit=1000&radioId=350117068", "programs", 150},
    };
    for (const auto& c : cases) {
        const json answer = stub().parsed(c.path);
        const json& list = answer.contains("result") ? answer["result"][c.list] : answer[c.list];
        EXPECT_EQ(list.size(), c.expected) << c.path;
    }
}

TEST_F(StubServiceTest, SearchResultsUseTheSearchFieldsAndEchoTheDecodedText) {
    const json songs = stub().parsed(
        "/search/get/?src=lofter&type=1&filterDj=true&s=%E6%88%90%E9%83%BD%20%22x%22&limit=3&offset=0")["result"]
                                                                                                       ["songs"];
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0]["name"], "成都 \"x\"");
    for (const json& song : songs) {
        EXPECT_TRUE(song["audio"].get<std::string>().starts_with(stub().base() + "/audio/"));
        EXPECT_TRUE(song["album"]["picUrl"].get<std::string>().starts_with(stub().base() + "/cover/"));
        EXPECT_FALSE(song["artists"].empty());
        const json detail = stub().parsed("/api/song/detail/?ids=[" + song["id"].dump() + "]");
        EXPECT_EQ(detail["songs"].size(), 1u) << song["id"];
    }
}

TEST_F(StubServiceTest, ArtistPageHoldsTheSongListBetweenTheMarkers) {
    auto result = stub().client().Get("/artist?id=101368");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/html;charset=UTF-8");
    const std::string& page = result->body;
    EXPECT_EQ(page.find('%'), std::string::npos);
    const std::string start = "display:none;\">";
    const std::size_t from = page.find(start);
    ASSERT_NE(from, std::string::npos);
    const std::size_t to = page.find("</textarea>", from);
    ASSERT_NE(to, std::string::npos);
    const json songs = json::parse(page.substr(from + start.size(), to - from - start.size()), nullptr, false);
    ASSERT_TRUE(songs.is_array());
    EXPECT_EQ(songs.size(), 10u);
    for (const json& song : songs) {
        EXPECT_TRUE(song["audio"].is_string());
        EXPECT_TRUE(song["album"]["picUrl"].is_string());
        EXPECT_TRUE(song["album"].contains("name") && song["album"].contains("id"));
        EXPECT_TRUE(song["artists"][0].contains("name") && song["artists"][0].contains("id"));
    }
}

TEST_F(StubServiceTest, AlbumAndProgrammeHaveTheShapesTheListPathsExpect) {
    const json album = stub().parsed("/api/album/35799123");
    EXPECT_TRUE(album["songs"].empty());
    EXPECT_EQ(album["album"]["songs"].size(), 12u);
    const json programme = stub().parsed("/api/dj/program/detail?id=794062371")["program"];
    EXPECT_GT(programme.size(), 20u);
    EXPECT_EQ(programme["id"], 794062371);
    EXPECT_EQ(programme["radio"]["id"], 350117068);
    for (const char* member : {"name", "description"}) EXPECT_TRUE(programme[member].is_string()) << member;
    EXPECT_TRUE(programme["dj"]["nickname"].is_string());
    EXPECT_TRUE(programme["dj"]["userId"].is_number());
    EXPECT_TRUE(programme["mainSong"]["mp3Url"].get<std::string>().starts_with(stub().base()));
    EXPECT_TRUE(programme["mainSong"]["album"]["blurPicUrl"].get<std::string>().starts_with(stub().base()));
    // Every programme of the station answers its own detail request.
    const json programmes = stub().parsed("/api/dj/program/byradio?limit=150&radioId=350117068")["programs"];
    ASSERT_EQ(programmes.size(), 150u);
    const json last = stub().parsed("/api/dj/program/detail?id=" + programmes[149]["id"].dump());
    EXPECT_EQ(last["program"]["name"], programmes[149]["name"]);
}

// Every address inside an answer must lead back to the stand-in, or the offline demo would reach the internet.
TEST_F(StubServiceTest, EveryAddressInTheAnswersPointsAtTheStub) {
    for (const char* path :
         {"/api/playlist/detail?id=2330887406", "/api/playlist/detail?id=1000001000", "/api/album/35799123",
          "/api/song/detail/?ids=[436514312]", "/api/dj/program/byradio?limit=150&radioId=350117068",
          "/artist?id=101368", "/search/get/?src=lofter&type=1&filterDj=true&s=a&limit=50&offset=0",
          "/api/song/lyric?id=436514312"}) {
        const std::vector<std::string> addresses = addressesIn(stub().body(path));
        EXPECT_FALSE(addresses.empty()) << path;
        for (const std::string& address : addresses) {
            ASSERT_TRUE(address.starts_with(stub().base() + "/")) << path << ": " << address;
        }
    }
}

TEST_F(StubServiceTest, CoversAndAudioAreRealFiles) {
    const struct {
        const char* path;
        const char* type;
        std::string magic;
    } cases[] = {
        {"/cover/18423416835270373.jpg?param=173y173", "image/jpeg", "\xFF\xD8\xFF"},
        {"/cover/109951163400737238.jpg", "image/jpeg", "\xFF\xD8\xFF"},
        {"/cover/7.png", "image/png", "\x89PNG\r\n\x1A\n"},
        {"/audio/29814898.mp3", "audio/mpeg", "\xFF\xFB"},
    };
    for (const auto& c : cases) {
        auto result = stub().client().Get(c.path);
        ASSERT_TRUE(result) << c.path;
        EXPECT_EQ(result->status, 200) << c.path;
        EXPECT_EQ(result->get_header_value("Content-Type"), c.type) << c.path;
        EXPECT_TRUE(result->body.starts_with(c.magic)) << c.path;
    }
    // The service's size parameter, WIDTHyHEIGHT, sets the picture size (PNG header: width, height at 16 and 20).
    const std::string small = stub().body("/cover/7.png?param=40y30");
    ASSERT_GE(small.size(), 24u);
    EXPECT_EQ(small.substr(16, 8), std::string("\0\0\0\x28\0\0\0\x1E", 8));
    // MPEG-1 Layer III frames of 192 bytes, each starting with the same header: a decoder finds every frame.
    const std::string audio = stub().body("/audio/1.mp3");
    ASSERT_GE(audio.size(), 192u * 40);
    EXPECT_EQ(audio.size() % 192, 0u);
    for (std::size_t at = 0; at < audio.size(); at += 192) ASSERT_EQ(audio.substr(at, 4), audio.substr(0, 4)) << at;
    // The placeholder address of the service leads nowhere.
    auto placeholder = stub().client().Get("/audio/0.mp3");
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(placeholder->status, 404);
}

TEST_F(StubServiceTest, GeneratedPlaylistIsCompleteAndItsTracksResolve) {
    const std::string body = stub().body(playlistPath("1000001000"));
    const json answer = json::parse(body, nullptr, false);
    ASSERT_FALSE(answer.is_discarded());
    const json& tracks = answer["result"]["tracks"];
    ASSERT_EQ(tracks.size(), 1000u);
    // A track without an address in the list gets one from its song detail, as the sample tracks do.
    const auto missing =
        std::find_if(tracks.begin(), tracks.end(), [](const json& t) { return t["mp3Url"].is_null(); });
    ASSERT_NE(missing, tracks.end());
    const json detail = stub().parsed("/api/song/detail/?ids=[" + (*missing)["id"].dump() + "]");
    ASSERT_EQ(detail["songs"].size(), 1u);
    EXPECT_EQ(detail["songs"][0]["name"], (*missing)["name"]);
    EXPECT_EQ(detail["songs"][0]["mp3Url"], stub().base() + "/audio/" + (*missing)["id"].dump() + ".mp3");
}

std::string lyricPath(const std::string& id) { return "/api/song/lyric?id=" + id + "&lv=-1&kv=-1&tv=-1"; }

// The sample songs' lyric answers as they are sent: each shape in the service's own wire form.
TEST_F(StubServiceTest, LyricAnswersCarryEachShapeOnTheWire) {
    constexpr auto npos = std::string::npos;
    const json show = stub().parsed(lyricPath("26291188"));
    EXPECT_NE(show["lrc"]["lyric"].get<std::string>().find("\n[00:15.60]"), npos);
    EXPECT_NE(show["tlyric"]["lyric"].get<std::string>().find("\n[00:15:60]"), npos) << "the colon form";
    EXPECT_TRUE(show["romalrc"]["version"].is_number() && show["klyric"]["version"].is_number());
    const std::string chengdu = stub().body(lyricPath("436514312"));
    EXPECT_NE(chengdu.find(R"(\r\n[ti:成都]\r\n)"), npos) << "CR LF escaped as the service writes it";
    EXPECT_TRUE(json::parse(chengdu)["lrc"]["lyric"].get<std::string>().starts_with(R"({"t":0,"c":[{"tx":"作词: "})"));

    const struct {
        const char* id;
        const char* flag;
        const char* lyric;  // null: no "lrc" member
    } flagged[] = {{"492003698", "nolyric", nullptr},
                   {"492003699", "pureMusic", "\"[99:00.00]纯音乐，请欣赏\\n\""},
                   {"29019227", "uncollected", nullptr},
                   {"492003700", "uncollected", "null"}};
    for (const auto& f : flagged) {
        const json answer = stub().parsed(lyricPath(f.id));
        EXPECT_EQ(answer[f.flag], true) << f.id;
        EXPECT_EQ(answer.contains("lrc") ? answer["lrc"]["lyric"].dump() : "", f.lyric ? f.lyric : "") << f.id;
    }

    // A form body counts as the query; other parameters change nothing; unknown songs get the short 404 answer.
    auto posted = stub().client().Post("/api/song/lyric", "id=26291188&rv=-1", "application/x-www-form-urlencoded");
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->body, stub().body("/api/song/lyric?id=26291188"));
    for (const char* path : {"/api/song/lyric?id=123&lv=-1", "/api/song/lyric", "/api/song/lyric?id=9100002"})
        EXPECT_EQ(stub().body(path), R"({"code":404,"msg":"该资源不存在。"})") << path;
}

Lyrics fetchedFrom(const RunningStub& stub, const std::string& songId, Status& status) {
    HttpSettings settings;
    settings.serviceAddress = "127.0.0.1:" + std::to_string(stub.port());
    CurlTransport http(settings);
    return fetchLyrics(http, songId, status);
}

// The client's lyric request against the stand-in, through the service address override: what the reader makes
// of each shape.
TEST_F(StubServiceTest, FetchedLyricsReadAsTheirShapes) {
    Status status;
    const Lyrics show = fetchedFrom(stub(), "26291188", status);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(show.lines.size(), 5u);
    EXPECT_EQ(show.lines[1].text + "|" + show.lines[1].translation,
              "Everyone is acting like themself|每个人都在扮演自己");
    EXPECT_EQ(show.lines[2].timeMs, 18000);
    EXPECT_EQ(show.lines[2].text + "|" + show.lines[2].translation, "|（间奏）");
    for (const LyricLine& line : show.lines) EXPECT_NE(line.translation, "") << line.timeMs;

    // The offset moves every line 500 ms earlier, credit lines included (the first one stops at 0).
    const Lyrics chengdu = fetchedFrom(stub(), "436514312", status);
    ASSERT_EQ(chengdu.kind, Lyrics::Kind::Timed);
    std::vector<std::int64_t> times;
    for (const LyricLine& line : chengdu.lines) {
        times.push_back(line.timeMs);
        EXPECT_EQ(line.text.find_first_of("{}\r"), std::string::npos) << line.text;
    }
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 500, 16800, 21000, 25300, 29500, 33600, 37950, 41500, 75310}));
    EXPECT_TRUE(chengdu.lines[0].text.starts_with("作词:") && chengdu.lines[0].text.ends_with("赵雷"));

    for (const char* instrumental : {"492003698", "492003699"})
        EXPECT_EQ(fetchedFrom(stub(), instrumental, status).kind, Lyrics::Kind::Instrumental) << instrumental;
    for (const char* none : {"29019227", "492003700", "123"}) {
        EXPECT_EQ(fetchedFrom(stub(), none, status).kind, Lyrics::Kind::None) << none;
        EXPECT_TRUE(status.ok()) << none << ": " << status.message();
    }
    EXPECT_EQ(fetchedFrom(stub(), "492003705", status).lines.size(), 4u) << "a generated text";
}

// Today's songs have lyrics too; removed songs none.
TEST(StubServiceLyrics, TodaysSongsHaveLyricsRemovedOnesNone) {
    StubOptions today;
    today.era = ServiceEra::Today;
    RunningStub todays(today);
    Status status;
    EXPECT_EQ(fetchedFrom(todays, "26291188", status).lines.size(), 5u);
    EXPECT_EQ(fetchedFrom(todays, "7100000001", status).kind, Lyrics::Kind::Timed);
    EXPECT_EQ(fetchedFrom(todays, "7300000003", status).kind, Lyrics::Kind::None);
    EXPECT_TRUE(status.ok()) << status.message();
}

TEST(StubServiceGzip, CompressesTextAnswersButNotPictures) {
    RunningStub plain;
    RunningStub packed(optionsWith(true));
    for (const std::string path : {"/api/playlist/detail?id=2330887406", "/api/playlist/detail?id=1000001000",
                                   "/artist?id=101368", "/api/playlist/detail?id=5"}) {
        auto result = packed.client().Get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->get_header_value("Content-Encoding"), "gzip") << path;
        const Inflated inflated = inflateGzip(result->body);
        EXPECT_TRUE(inflated.complete) << path;
        // The two stand-ins differ only in the port inside their addresses.
        const std::string expected = replaceAll(plain.body(path), plain.base(), packed.base());
        EXPECT_EQ(inflated.text, expected) << path;
    }
    auto cover = packed.client().Get("/cover/5.jpg");
    ASSERT_TRUE(cover);
    EXPECT_FALSE(cover->has_header("Content-Encoding"));
    // A client asking for compression gets no second layer from the HTTP library.
    auto asked = plain.client().Get("/artist?id=101368", {{"Accept-Encoding", "gzip, deflate"}});
    ASSERT_TRUE(asked);
    EXPECT_FALSE(asked->has_header("Content-Encoding"));
}

class StubServiceFaults : public ::testing::Test {
protected:
    RunningStub stub_{optionsWith(false, {}, 400)};
};

TEST_F(StubServiceFaults, SlowAnswersAfterTheDelay) {
    std::atomic<bool> answered = false;
    std::string body;
    std::thread client([&] {
        auto late = stub_.client(30000).Get(playlistPath("9000001"));
        if (late) body = late->body;
        answered = true;
    });
    stub_.service().waitForRequests(1);
    EXPECT_FALSE(answered) << "answered as soon as it arrived";
    client.join();
    EXPECT_EQ(json::parse(body)["result"]["tracks"].size(), 25u);
}

TEST_F(StubServiceFaults, NoAnswerHoldsTheRequestUntilStop) {
    // A request still waiting must not keep stop() from returning; stopping lets it go with an empty 503.
    int status = 0;
    std::thread waiting([&] {
        auto result = stub_.client(30000).Get(playlistPath("9000002"));
        status = result ? result->status : -1;
    });
    stub_.service().waitForRequests(1);
    stub_.service().stop();
    waiting.join();
    EXPECT_EQ(status, 503);
}

TEST_F(StubServiceFaults, ResetAndTruncatedGzipBreakTheBody) {
    auto reset = stub_.client().Get(playlistPath("9000003"));
    EXPECT_FALSE(reset);
    auto truncated = stub_.client().Get(playlistPath("9000004"));
    ASSERT_TRUE(truncated);
    EXPECT_EQ(truncated->get_header_value("Content-Encoding"), "gzip");
    const Inflated inflated = inflateGzip(truncated->body);
    EXPECT_FALSE(inflated.complete);
    EXPECT_TRUE(inflated.text.starts_with("{\"result\":"));
}

TEST_F(StubServiceFaults, HugeStreamsBeyondTheClientLimit) {
    std::size_t received = 0;
    auto result = stub_.client().Get(playlistPath("9000005"), [&](const char*, std::size_t length) {
        received += length;
        return received <= kClientLimit;
    });
    EXPECT_EQ(result.error(), httplib::Error::Canceled);
    EXPECT_GT(received, kClientLimit);
}

TEST_F(StubServiceFaults, InvalidJsonRedirectAndCheatingAnswerAsTheServiceWould) {
    const std::string invalid = stub_.body(playlistPath("9000006"));
    EXPECT_GT(invalid.size(), kProbeThreshold);
    EXPECT_FALSE(json::accept(invalid));

    auto redirect = stub_.client().Get(playlistPath("9000007"), {{"Host", "music.163.com"}});
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->status, 302);
    EXPECT_EQ(redirect->get_header_value("Location"), "http://music.163.com/api/playlist/detail?id=2330887406");
    httplib::Client following = stub_.client();
    following.set_follow_location(true);
    auto followed = following.Get(playlistPath("9000007"));
    ASSERT_TRUE(followed);
    EXPECT_EQ(json::parse(followed->body)["result"]["tracks"].size(), 25u);

    EXPECT_EQ(stub_.body(playlistPath("9000008")), R"({"code":-460,"msg":"Cheating"})");
}

TEST(StubServiceGlobalFault, AppliesToEveryAnswer) {
    RunningStub cheating(optionsWith(false, "cheating"));
    for (const char* path : {"/api/playlist/detail?id=2330887406", "/api/album/35799123", "/cover/1.jpg"}) {
        EXPECT_EQ(cheating.body(path), R"({"code":-460,"msg":"Cheating"})") << path;
    }
    // Every answer redirects to the sample playlist, except the sample playlist itself.
    RunningStub redirecting(optionsWith(false, "redirect"));
    httplib::Client following = redirecting.client();
    following.set_follow_location(true);
    auto followed = following.Get("/api/album/35799123");
    ASSERT_TRUE(followed);
    EXPECT_EQ(json::parse(followed->body)["result"]["tracks"].size(), 25u);
}

// The executable as scripts use it: one line naming the port on stdout, then serving until SIGTERM.
class StubServiceCommand : public ::testing::Test {
protected:
    struct Child {
        pid_t pid = -1;
        FILE* out = nullptr;
    };

    static Child launch(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), VELOMIR_STUB_COMMAND);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        Child child;
        if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) child.pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        child.out = fdopen(pipeEnds[0], "r");
        return child;
    }
    static std::string firstLine(const Child& child) {
        char line[256] = {};
        return child.out && fgets(line, sizeof line, child.out) ? line : "";
    }
    static int exitCode(Child& child) {
        int status = 0;
        waitpid(child.pid, &status, 0);
        if (child.out) fclose(child.out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(StubServiceCommand, AnnouncesItsPortServesWithTheOptionsAndStopsOnSigterm) {
    Child child = launch({"--port", "0", "--gzip", "--fault", "slow", "--slow-ms", "1"});
    ASSERT_GT(child.pid, 0);
    const std::string line = firstLine(child);
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    EXPECT_TRUE(line.ends_with("\n"));
    const int port = integerValue32(line.substr(23));
    ASSERT_GT(port, 0);
    httplib::Client client("127.0.0.1", port);
    client.set_decompress(false);
    client.set_read_timeout(10, 0);
    auto result = client.Get(playlistPath("2330887406"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->get_header_value("Content-Encoding"), "gzip");
    EXPECT_TRUE(json::accept(inflateGzip(result->body).text));
    kill(child.pid, SIGTERM);
    EXPECT_EQ(exitCode(child), 0);
}

TEST_F(StubServiceCommand, RefusesBadArgumentsWithoutListening) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--fault", "bogus"}, {"--port", "70000"}, {"--slow-ms"}, {"--frobnicate"}}) {
        Child child = launch(arguments);
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(firstLine(child), "") << arguments[0];
        EXPECT_EQ(exitCode(child), 2) << arguments[0];
    }
    Child help = launch({"--help"});
    EXPECT_TRUE(firstLine(help).starts_with("usage: velomir-stub-service"));
    EXPECT_EQ(exitCode(help), 0);
}

TEST_F(StubServiceCommand, TakesTheEraThrottleAndAudioDelayAndRefusesBadValues) {
    Child child = launch({"--era", "today", "--throttle", "1/60", "--audio-delay-ms", "1"});
    ASSERT_GT(child.pid, 0);
    const std::string line = firstLine(child);
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    httplib::Client client("127.0.0.1", integerValue32(line.substr(23)));
    client.set_read_timeout(10, 0);
    auto first = client.Get(playlistPath("2330887406"));
    ASSERT_TRUE(first);
    EXPECT_EQ(json::parse(first->body)["result"]["tracks"].size(), 1u);
    auto second = client.Get(playlistPath("2330887406"));
    ASSERT_TRUE(second);
    EXPECT_EQ(json::parse(second->body)["code"], 406);
    auto audio = client.Get("/audio/7600000001.mp3", {{"Range", "bytes=0-9"}});
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->status, 206);
    EXPECT_EQ(audio->body.size(), 10u);
    kill(child.pid, SIGTERM);
    EXPECT_EQ(exitCode(child), 0);
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--era", "tomorrow"},
                                               {"--throttle", "5"},
                                               {"--throttle", "0/1"},
                                               {"--throttle", "3/x"},
                                               {"--audio-delay-ms", "-5"}}) {
        Child refused = launch(arguments);
        ASSERT_GT(refused.pid, 0);
        EXPECT_EQ(firstLine(refused), "") << arguments[1];
        EXPECT_EQ(exitCode(refused), 2) << arguments[1];
    }
}

}  // namespace
}  // namespace velomir
