// The stand-in playing today's service: its own items in the classic era, every item in the today era.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "stub_service.h"
#include "stub_stand.h"

namespace velomir {
namespace {

using nlohmann::json;
using testing::Stand;

constexpr std::int64_t kRemovedList = 1200002345;
constexpr std::int64_t kRemovedListFirstSong = 7300000001;
constexpr std::int64_t kRemovedSongs[] = {7300000003, 7300000500, 7300001000, 7300001001,
                                          7300001700, 7300002222, 7300002345};

StubOptions todayEra() {
    StubOptions options;
    options.era = ServiceEra::Today;
    return options;
}

std::string oldPlaylist(std::int64_t id) { return "/api/playlist/detail?id=" + std::to_string(id); }

std::vector<std::int64_t> idsOf(const json& list) {
    std::vector<std::int64_t> ids;
    for (const json& item : list) ids.push_back(item["id"].get<std::int64_t>());
    return ids;
}

// "[first,1,1,...]": count IDs in a short address, so that only the stand-in's limit can refuse them.
std::string manyIds(std::int64_t first, int count) {
    std::string ids = "[" + std::to_string(first);
    for (int i = 1; i < count; ++i) ids += ",1";
    return ids + "]";
}

class TodayItems : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stand_ = new Stand(); }
    static void TearDownTestSuite() {
        delete stand_;
        stand_ = nullptr;
    }
    static const Stand& stand() { return *stand_; }

private:
    static Stand* stand_;
};

Stand* TodayItems::stand_ = nullptr;

TEST_F(TodayItems, OldPlaylistAnswersAreCutButKeepTheTrueCount) {
    const json one = stand().parsed(oldPlaylist(1200000024))["result"];
    EXPECT_EQ(one["trackCount"], 24);
    EXPECT_EQ(idsOf(one["tracks"]), std::vector<std::int64_t>{7100000001});
    const json none = stand().parsed(oldPlaylist(1200000157))["result"];
    EXPECT_EQ(none["trackCount"], 157);
    EXPECT_TRUE(none["tracks"].is_null());
    const json cut = stand().parsed(oldPlaylist(kRemovedList))["result"];
    EXPECT_EQ(cut["trackCount"], 2345);
    // The first 1,000 of the list, without the three removed songs among them.
    ASSERT_EQ(cut["tracks"].size(), 997u);
    EXPECT_EQ(cut["tracks"][2]["id"], kRemovedListFirstSong + 3);
    EXPECT_EQ(cut["tracks"][996]["id"], kRemovedListFirstSong + 998);
}

TEST_F(TodayItems, V6ListsEveryTrackIdInOrderAndOnlyTheFirstTracksInFull) {
    // The form in a POST body, as the service's apps send it.
    const json answer = stand().posted("/api/v6/playlist/detail", "id=1200002345&n=100000&s=8");
    ASSERT_EQ(answer["code"], 200);
    const json& playlist = answer["playlist"];
    EXPECT_EQ(playlist["trackCount"], 2345);
    const std::vector<std::int64_t> ids = idsOf(playlist["trackIds"]);
    ASSERT_EQ(ids.size(), 2345u);
    for (std::size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], kRemovedListFirstSong + static_cast<int>(i)) << i;
    EXPECT_TRUE(playlist["trackIds"][0]["alg"].is_null());
    const json& tracks = playlist["tracks"];
    ASSERT_EQ(tracks.size(), 20u);
    for (const json& track : tracks) {
        EXPECT_TRUE(track.contains("ar") && track.contains("al") && track.contains("dt")) << track["id"];
        EXPECT_FALSE(track.contains("mp3Url") || track.contains("artists") || track.contains("duration"));
        EXPECT_NE(track["id"], kRemovedSongs[0]) << "a removed song among the full tracks";
    }
    ASSERT_EQ(answer["privileges"].size(), tracks.size());
    EXPECT_EQ(idsOf(answer["privileges"]), idsOf(tracks));
    // The tenth song is one the service will not play.
    EXPECT_LT(answer["privileges"][8]["st"], 0);
    EXPECT_EQ(answer["privileges"][8]["id"], 7300000010);

    // The same fields in the query; n caps the full tracks.
    const json few = stand().parsed("/api/v6/playlist/detail?id=1200010000&n=5&s=8")["playlist"];
    EXPECT_EQ(few["tracks"].size(), 5u);
    const std::vector<std::int64_t> tenThousand = idsOf(few["trackIds"]);
    EXPECT_EQ(tenThousand.size(), 10000u);
    EXPECT_EQ(std::set<std::int64_t>(tenThousand.begin(), tenThousand.end()).size(), 10000u);
}

TEST_F(TodayItems, SongDetailDescribesEverySongButTheRemovedInTheOrderAsked) {
    std::vector<std::int64_t> described;
    for (int from = 0; from < 2345; from += 400) {
        std::string ids;
        for (int i = from; i < std::min(2345, from + 400); ++i)
            ids += (ids.empty() ? "" : ",") + std::to_string(kRemovedListFirstSong + i);
        // The leading id= of some clients changes nothing.
        const json answer = stand().parsed("/api/song/detail/?id=" + std::to_string(kRemovedListFirstSong + from) +
                                           "&ids=[" + ids + "]");
        ASSERT_EQ(answer["code"], 200) << from;
        for (const json& song : answer["songs"]) {
            described.push_back(song["id"].get<std::int64_t>());
            ASSERT_TRUE(song["artists"].is_array() && song["album"].is_object());
            const json& address = song["mp3Url"];
            ASSERT_TRUE(address.is_null() || address.get<std::string>().ends_with("/0.mp3")) << song["id"];
        }
    }
    EXPECT_EQ(described.size(), 2345u - std::size(kRemovedSongs));
    EXPECT_TRUE(std::is_sorted(described.begin(), described.end()));
    for (const std::int64_t removed : kRemovedSongs) {
        EXPECT_EQ(std::count(described.begin(), described.end(), removed), 0) << removed;
    }
}

TEST_F(TodayItems, SongDetailRefusesMoreThanAThousandIdsWhenOneIsNew) {
    const json refused = stand().parsed("/api/song/detail/?ids=" + manyIds(7100000001, 1001));
    EXPECT_EQ(refused, json::parse(R"({"msg":"参数错误","code":400})"));
    EXPECT_EQ(stand().parsed("/api/song/detail/?ids=" + manyIds(7100000001, 1000))["code"], 200);
    // Old items keep the classic stand-in's answer however many IDs come.
    EXPECT_EQ(stand().parsed("/api/song/detail/?ids=" + manyIds(436514312, 1001))["code"], 200);
}

TEST_F(TodayItems, OuterAddressOfAnUnplayableOrRemovedSongLeadsToTheNotFoundPage) {
    const httplib::Headers service = {{"Host", "music.163.com"}};
    for (const char* id : {"7300000010", "7300000003"}) {
        auto result = stand().get("/song/media/outer/url?id=" + std::string(id) + ".mp3", service);
        ASSERT_TRUE(result) << id;
        EXPECT_EQ(result->status, 302) << id;
        EXPECT_EQ(result->get_header_value("Location"), "http://music.163.com/404") << id;
    }
    auto playable = stand().get("/song/media/outer/url?id=7300000001.mp3");
    ASSERT_TRUE(playable);
    EXPECT_EQ(playable->get_header_value("Location"), stand().base() + "/audio/7300000001.mp3");
    // A client that follows blindly gets a page, not audio, with a success status.
    auto page = stand().get("/404");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html;charset=UTF-8");
    EXPECT_TRUE(page->body.starts_with("<!DOCTYPE html>"));
}

TEST_F(TodayItems, ArtistWithoutHiddenListAnswersOnItsJsonInterface) {
    auto page = stand().get("/artist?id=1200000050");
    ASSERT_TRUE(page);
    EXPECT_GT(page->body.size(), 200u);
    EXPECT_EQ(page->body.find("<textarea"), std::string::npos);
    const json byPath = stand().parsed("/api/artist/1200000050");
    EXPECT_EQ(byPath, stand().parsed("/api/artist?id=1200000050"));
    EXPECT_EQ(byPath["code"], 200);
    EXPECT_EQ(byPath["more"], true);
    EXPECT_EQ(byPath["artist"]["id"], 1200000050);
    ASSERT_EQ(byPath["hotSongs"].size(), 50u);
    for (const json& song : byPath["hotSongs"]) {
        EXPECT_EQ(song["artists"][0]["id"], 1200000050);
        EXPECT_TRUE(song["mp3Url"].get<std::string>().ends_with("/0.mp3"));
        EXPECT_EQ(stand().parsed("/api/song/detail/?ids=[" + song["id"].dump() + "]")["songs"].size(), 1u);
    }
    // The classic artist has no JSON answer of its own outside the today era.
    EXPECT_EQ(stand().parsed("/api/artist/101368")["code"], 404);
}

TEST_F(TodayItems, MarkedSearchTextGivesAlbumsWithOnlyAPictureId) {
    const std::string search = "/api/search/get/?type=1&limit=5&offset=0&s=";
    const json marked = stand().parsed(search + "today%3Asunny");
    ASSERT_EQ(marked["result"]["songs"].size(), 5u);
    for (const json& song : marked["result"]["songs"]) {
        EXPECT_FALSE(song["album"].contains("picUrl"));
        EXPECT_TRUE(song["album"]["picId"].is_number());
    }
    const json plain = stand().parsed(search + "sunny");
    ASSERT_EQ(plain["result"]["songs"].size(), 5u);
    for (const json& song : plain["result"]["songs"]) {
        EXPECT_TRUE(song["album"]["picUrl"].is_string());
    }
}

TEST_F(TodayItems, RefusingPlaylistsAnswerBothInterfacesAlike) {
    const struct {
        std::int64_t id;
        int status;
        int code;
    } cases[] = {{1200000401, 200, 401}, {1200000460, 200, -460}, {1200000461, 400, -460}, {1200000462, 200, -462}};
    for (const auto& c : cases) {
        for (const std::string& path :
             {oldPlaylist(c.id), "/api/v6/playlist/detail?id=" + std::to_string(c.id) + "&n=1000"}) {
            auto result = stand().get(path);
            ASSERT_TRUE(result) << path;
            EXPECT_EQ(result->status, c.status) << path;
            const json answer = json::parse(result->body, nullptr, false);
            EXPECT_EQ(answer["code"], c.code) << path;
            EXPECT_FALSE(answer.contains("result") || answer.contains("playlist")) << path;
        }
    }
    EXPECT_EQ(stand().parsed(oldPlaylist(1200000461))["msg"], "网络太拥挤，请稍候再试！");
    EXPECT_EQ(stand().parsed(oldPlaylist(1200000462))["message"], "请完成验证操作");
}

TEST(StubThrottle, RefusesRequestsBeyondTheRateUntilTheWindowMoves) {
    std::atomic<std::int64_t> elapsedMs = 0;
    const auto start = std::chrono::steady_clock::now();
    StubOptions options;
    options.throttleRequests = 3;
    options.throttleWindow = std::chrono::seconds(10);
    options.clock = [&] { return start + std::chrono::milliseconds(elapsedMs.load()); };
    const Stand stand(options);
    const auto code = [&stand] { return stand.parsed(oldPlaylist(2330887406))["code"].get<int>(); };
    EXPECT_EQ(code(), 200);
    elapsedMs = 4000;
    EXPECT_EQ(code(), 200);
    EXPECT_EQ(code(), 200);
    const json refused = stand.parsed(oldPlaylist(2330887406));
    EXPECT_EQ(refused, json::parse(R"({"msg":"操作频繁，请稍候再试","code":406})"));
    // Pictures come from another host and are never refused.
    auto cover = stand.get("/cover/5.jpg");
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->status, 200);
    // The first request leaves the window; the two at 4 s still fill it with the next one.
    elapsedMs = 10000;
    EXPECT_EQ(code(), 200);
    EXPECT_EQ(code(), 406);
    elapsedMs = 14000;
    EXPECT_EQ(code(), 200);
}

// The offline demo must never reach the internet from an address inside an answer.
TEST_F(TodayItems, EveryAddressInTheNewAnswersPointsAtTheStub) {
    for (const char* path :
         {"/api/playlist/detail?id=1200002345", "/api/v6/playlist/detail?id=1200000157", "/api/artist/1200000050",
          "/api/playlist/detail?id=1200000462", "/api/song/detail/?ids=[7100000001,7100000002]"}) {
        const std::string body = stand().get(path)->body;
        int count = 0;
        for (std::size_t at = body.find("\"http"); at != std::string::npos; at = body.find("\"http", at + 1), ++count) {
            ASSERT_EQ(body.compare(at + 1, stand().base().size() + 1, stand().base() + "/"), 0) << path << " at " << at;
        }
        EXPECT_GT(count, 0) << path;
    }
}

class TodayEra : public ::testing::Test {
protected:
    Stand today_{todayEra()};
    Stand classic_;
};

TEST_F(TodayEra, SamplePlaylistsAreCutAndListedInFullOnlyByV6) {
    const json classic = classic_.parsed(oldPlaylist(2330887406))["result"]["tracks"];
    const json cut = today_.parsed(oldPlaylist(2330887406))["result"];
    EXPECT_EQ(cut["trackCount"], 25);
    EXPECT_EQ(cut["tracks"].size(), 1u);
    EXPECT_TRUE(today_.parsed(oldPlaylist(1000000450))["result"]["tracks"].is_null());
    const json v6 = today_.posted("/api/v6/playlist/detail", "id=2330887406&n=1000&s=8")["playlist"];
    EXPECT_EQ(idsOf(v6["trackIds"]), idsOf(classic));
    EXPECT_EQ(v6["tracks"][3]["name"], "Say \"Hello\"");
}

TEST_F(TodayEra, GeneratedPlaylistsKeepTheirOrderAndResolveFromV6Alone) {
    const std::vector<std::int64_t> classic = idsOf(classic_.parsed(oldPlaylist(1000001000))["result"]["tracks"]);
    const json v6 = today_.parsed("/api/v6/playlist/detail?id=1000001000&n=1000")["playlist"];
    ASSERT_EQ(idsOf(v6["trackIds"]), classic);
    EXPECT_EQ(idsOf(v6["tracks"]), std::vector<std::int64_t>(classic.begin(), classic.begin() + 20));
    // Song detail knows a track past the full ones without the old answer having been asked for.
    const json detail = today_.parsed("/api/song/detail/?ids=[" + std::to_string(classic[500]) + "]");
    EXPECT_EQ(idsOf(detail["songs"]), std::vector<std::int64_t>{classic[500]});
    const json big = today_.parsed(oldPlaylist(1000010000))["result"];
    EXPECT_EQ(big["trackCount"], 10000);
    EXPECT_EQ(big["tracks"].size(), 1000u);
}

TEST_F(TodayEra, SongDetailSearchAndArtistChangeForEveryItem) {
    EXPECT_EQ(today_.parsed("/api/song/detail/?ids=" + manyIds(436514312, 1001))["code"], 400);
    EXPECT_FALSE(today_.parsed("/search/get/?s=a&limit=1")["result"]["songs"][0]["album"].contains("picUrl"));
    auto page = today_.get("/artist?id=101368");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->body.find("<textarea"), std::string::npos);
    EXPECT_EQ(today_.parsed("/api/artist/101368")["hotSongs"].size(), 10u);
}

}  // namespace
}  // namespace velomir
