// velomir-cli as a user runs it, against the stand-in service on loopback.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analysis/link_kind.h"
#include "cli_process.h"
#include "stub_service.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const int port = stub_.start();
        ASSERT_GT(port, 0);
        address_ = "--service-address 127.0.0.1:" + std::to_string(port) + " ";
    }
    void TearDown() override { stub_.stop(); }

    StubService stub_{StubOptions{}};
    std::string address_;
};

constexpr const char* kPlaylist = "'http://music.163.com/#/playlist?id=2330887406'";

TEST_F(CliEndToEnd, TablePrintsLabelCountAndTheRows) {
    const Outcome outcome = runCli(address_ + "--format table " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("[歌单]http://music.163.com/#/playlist?id=2330887406\n{25}\n", 0), 0u);
    EXPECT_NE(outcome.out.find("Song [Live]"), std::string::npos);
    EXPECT_NE(outcome.out.find("\n25  "), std::string::npos);
}

TEST_F(CliEndToEnd, JsonCarriesEveryFieldOfEveryRow) {
    const Outcome outcome = runCli(address_ + "--format json " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    const auto json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json["count"], 25);
    EXPECT_EQ(json["kind"], static_cast<int>(LinkKind::Playlist));
    ASSERT_EQ(json["rows"].size(), 25u);
    EXPECT_EQ(json["rows"][0].size(), 16u);
    EXPECT_EQ(json["rows"][1]["artistNames"], "A/B");
    EXPECT_EQ(json["rows"][3]["trackName"], "Say \"Hello\"");
}

TEST_F(CliEndToEnd, M3uListsAResolvedAddressForEveryTrack) {
    const Outcome outcome = runCli(address_ + "--format m3u " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("#EXTM3U\n", 0), 0u);
    std::size_t entries = 0;
    for (std::size_t at = outcome.out.find("#EXTINF:-1,"); at != std::string::npos;
         at = outcome.out.find("#EXTINF:-1,", at + 1)) {
        const std::size_t lineEnd = outcome.out.find('\n', at);
        EXPECT_EQ(outcome.out.compare(lineEnd + 1, 7, "http://"), 0);
        ++entries;
    }
    EXPECT_EQ(entries, 25u);
}

TEST_F(CliEndToEnd, M3uListsEveryTrackOfAWithheldList) {
    const Outcome outcome = runCli(address_ + "--format m3u 'http://music.163.com/#/playlist?id=1000000450'");
    ASSERT_EQ(outcome.status, 0);
    EXPECT_EQ(countOf(outcome.out, "#EXTINF:-1,"), 450);
    EXPECT_EQ(countOf(outcome.out, "\nhttp://music.163.com/song/media/outer/url?id="), 405);
    EXPECT_EQ(countOf(outcome.out, "/audio/6000000010.mp3\n"), 1);
    EXPECT_EQ(outcome.out.find("/0.mp3\n"), std::string::npos) << "no placeholder is handed on";
}

TEST_F(CliEndToEnd, ResolveFillsAddressesForEveryFormat) {
    const Outcome plain = runCli(address_ + "--format json " + kPlaylist);
    const Outcome resolved = runCli(address_ + "--format json --resolve " + kPlaylist);
    ASSERT_EQ(resolved.status, 0);
    ASSERT_EQ(resolved.out.back(), '\n');
    const auto before = nlohmann::json::parse(plain.out);
    const auto after = nlohmann::json::parse(resolved.out);
    for (int row : {4, 8, 12, 16}) {
        EXPECT_TRUE(before["rows"][row]["audioAddress"] == "" ||
                    before["rows"][row]["audioAddress"].get<std::string>().ends_with("/0.mp3"))
            << row;
        EXPECT_NE(after["rows"][row]["audioAddress"].get<std::string>().find("/audio/"), std::string::npos) << row;
    }
}

TEST_F(CliEndToEnd, RefusalAndNoConnectionExitOneWithTheCauseOnStderr) {
    const Outcome refused = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=9000008'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\t{0}\n"), std::string::npos) << "the rows found are still printed";
    EXPECT_EQ(refused.err, "velomir-cli: the service refused the request: code -460: Cheating\n");

    StubService gone{StubOptions{}};
    const int port = gone.start();
    gone.stop();
    const Outcome unreachable =
        runCli("--service-address 127.0.0.1:" + std::to_string(port) + " --format tsv " + kPlaylist);
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_EQ(unreachable.err.rfind("velomir-cli: request failed: ", 0), 0u) << unreachable.err;
    EXPECT_EQ(countOf(unreachable.err, "\n"), 1);
}

TEST_F(CliEndToEnd, SearchMarkerArgumentIsText) {
    const Outcome outcome = runCli(address_ + "--format tsv --max 3 --s--成都");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("[搜索]--s--成都\t{3}\n", 0), 0u) << outcome.out;
    EXPECT_EQ(runCli(address_ + "--format tsv --S--x").status, 0);
}

TEST_F(CliEndToEnd, NoRowsIsStillASuccessAndBadUsageIsTwo) {
    const Outcome empty = runCli(address_ + "--format tsv --no-auto-search 'nothing here'");
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("\t{0}\n"), std::string::npos);
    EXPECT_NE(empty.err.find("not a link or ID of the service: nothing here"), std::string::npos) << empty.err;
    EXPECT_EQ(countOf(empty.err, "\n"), 1);
    EXPECT_EQ(runCli("--max 0 x").status, 2);
    EXPECT_EQ(runCli("").status, 2);
    EXPECT_EQ(runCli("--help").status, 0);
}

// The stand-in's address may come from the environment; a malformed one is wrong usage, never a silent
// connection to the real service.
TEST_F(CliEndToEnd, ServiceAddressFromTheEnvironmentIsCheckedFirst) {
    const std::string standIn = address_.substr(address_.find(' ') + 1, address_.size() - address_.find(' ') - 2);
    for (const char* malformed : {"music.163.com", "127.0.0.1:0", "127.0.0.1:99999", "host:80x", ":80"}) {
        const Outcome refused = runCli("x", std::string("VELOMIR_SERVICE_ADDRESS='") + malformed + "' ");
        EXPECT_EQ(refused.status, 2) << malformed;
        EXPECT_NE(refused.err.find("VELOMIR_SERVICE_ADDRESS must be HOST:PORT"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "") << malformed;
    }
    const Outcome listed = runCli("--format tsv " + std::string(kPlaylist), "VELOMIR_SERVICE_ADDRESS=" + standIn + " ");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(countOf(listed.out, "\n"), 27);
    EXPECT_EQ(runCli("--service-address music.163.com x").status, 2);
}

}  // namespace
}  // namespace velomir

namespace velomir {
namespace {

// Today's service: a playlist whose old answer is cut is listed whole, in order, without the songs it lost.
TEST_F(CliEndToEnd, CutPlaylistsAreListedWholeWithoutTheirRemovedSongs) {
    const Outcome listed = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=1200002345'");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "velomir-cli: 7 tracks of this playlist no longer exist\n");
    EXPECT_NE(listed.out.find("\t{2338}\n"), std::string::npos);
    const std::vector<std::string> lines = splitText(listed.out, "\n");
    ASSERT_GE(lines.size(), 2340u);
    // Rows in the playlist's order: song 7300000002 first-but-one, 7300000003 gone, 7300000004 next.
    EXPECT_NE(lines[3].find("\t7300000002\t"), std::string::npos) << lines[3];
    EXPECT_NE(lines[4].find("\t7300000004\t"), std::string::npos) << lines[4];

    stub_.clearRequestLog();
    const Outcome big = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=1200010000'");
    EXPECT_EQ(big.status, 0) << big.err;
    EXPECT_NE(big.out.find("\t{10000}\n"), std::string::npos);
    EXPECT_LE(stub_.requestLog().size(), 100u) << "at most one request per 100 tracks";
}

TEST_F(CliEndToEnd, ArtistWithoutItsHiddenListAndSearchWithoutCovers) {
    const Outcome artist = runCli(address_ + "--format tsv 'http://music.163.com/artist?id=1200000050'");
    EXPECT_EQ(artist.status, 0) << artist.err;
    EXPECT_NE(artist.out.find("\t{50}\n"), std::string::npos) << artist.out.substr(0, 200);

    stub_.clearRequestLog();
    const Outcome search = runCli(address_ + "--format json --max 10 --search 'today:love'");
    EXPECT_EQ(search.status, 0) << search.err;
    const auto json = nlohmann::json::parse(search.out);
    ASSERT_FALSE(json["rows"].empty());
    for (const auto& row : json["rows"]) EXPECT_NE(row["trackCover"].get<std::string>(), "") << row.dump();
    int details = 0;
    for (const std::string& request : stub_.requestLog()) details += request.find("/song/detail") != std::string::npos;
    EXPECT_EQ(details, 1) << "one request for the page of results";
}

TEST_F(CliEndToEnd, PrivateAndVerificationRefusalsArePlainLines) {
    const Outcome secret = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=1200000401'");
    EXPECT_EQ(secret.status, 1);
    EXPECT_EQ(secret.err, "velomir-cli: the service refused the request: code 401: 该歌单已被创建者设置为隐私\n");
    const Outcome verify = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=1200000462'");
    EXPECT_EQ(verify.status, 1);
    EXPECT_EQ(verify.err.rfind("velomir-cli: the service refused the request: code -462", 0), 0u) << verify.err;
    const Outcome crowded = runCli(address_ + "--format tsv 'http://music.163.com/#/playlist?id=1200000461'");
    EXPECT_EQ(crowded.status, 1);
    EXPECT_NE(crowded.err.find("网络太拥挤"), std::string::npos) << crowded.err;
}

}  // namespace
}  // namespace velomir

namespace velomir {
namespace {

// A service that stays busy: the list ends short, keeps the rows it has and says so with status 1.
TEST(CliToday, AListThatEndsShortSaysSoAndExitsOne) {
    StubOptions options;
    options.throttleRequests = 2;
    options.throttleWindow = std::chrono::hours(1);
    StubService stub(options);
    const int port = stub.start();
    ASSERT_GT(port, 0);
    const Outcome cut = runCli("--service-address 127.0.0.1:" + std::to_string(port) +
                               " --retries 0 --format tsv 'http://music.163.com/#/playlist?id=1200010000'");
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err, "velomir-cli: listed 1000 of 10000 tracks: code 406: 操作频繁，请稍候再试\n");
    EXPECT_NE(cut.out.find("\t{1000}\n"), std::string::npos);
    EXPECT_EQ(runCli("--retries 11 x").status, 2);
    stub.stop();
}

}  // namespace
}  // namespace velomir

namespace velomir {
namespace {

// The blocks of lrc output, each as its lines; an empty block marks a doubled or missing separator.
std::vector<std::vector<std::string>> lrcBlocks(const std::string& out) {
    std::vector<std::vector<std::string>> blocks;
    if (out.empty() || !out.ends_with("\n")) return blocks;
    for (const std::string& block : splitText(out.substr(0, out.size() - 1), "\n\n"))
        blocks.push_back(splitText(block, "\n"));
    return blocks;
}

std::vector<std::string> tagsOf(const std::vector<std::string>& block) {
    return {block.begin(), block.begin() + std::min<std::size_t>(3, block.size())};
}

TEST_F(CliEndToEnd, LrcOfASongPutsEachTranslationUnderItsOriginal) {
    const Outcome show = runCli(address_ + "--format lrc 'http://music.163.com/#/song?id=26291188'");
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.err, "");
    EXPECT_EQ(show.out,
              "[ti:The Show]\n[ar:Lenka]\n[al:The Show]\n"
              "[00:11.20]Wind-up toys along the shelf\n[00:11.20]架子上摆满了发条玩具\n"
              "[00:15.60]Everyone is acting like themself\n[00:15.60]每个人都在扮演自己\n"
              "[00:18.00]（间奏）\n"
              "[00:20.05]I lose my lines and then I find\n[00:20.05]我忘了台词又重新想起\n"
              "[00:24.40]A brand new scene inside my mind\n[00:24.40]脑海里换上一幕新戏\n");

    // Credit lines become text, every stamp is rewritten as [mm:ss.xx] and the lines come in time order.
    const Outcome chengdu = runCli(address_ + "--format lrc 436514312");
    ASSERT_EQ(chengdu.status, 0) << chengdu.err;
    const auto blocks = lrcBlocks(chengdu.out);
    ASSERT_EQ(blocks.size(), 1u) << chengdu.out;
    const std::vector<std::string>& lines = blocks[0];
    EXPECT_EQ(tagsOf(lines), (std::vector<std::string>{"[ti:成都]", "[ar:赵雷]", "[al:成都]"}));
    ASSERT_EQ(lines.size(), 13u) << chengdu.out;
    EXPECT_TRUE(lines[3].starts_with("[00:00.00]作词:") && lines[3].ends_with("赵雷")) << lines[3];
    EXPECT_EQ(lines[5], "[00:16.80]街灯一盏一盏亮起");
    EXPECT_EQ(lines[12], "[01:15.31]你还会不会记得");
    EXPECT_EQ(chengdu.out.find_first_of("{\r"), std::string::npos) << "no raw JSON, no CR";
}

TEST_F(CliEndToEnd, LrcOfAnAlbumKeepsTagsForInstrumentalsAndSongsWithoutLyrics) {
    const Outcome album = runCli(address_ + "--format lrc 'http://music.163.com/#/album?id=35799123'");
    ASSERT_EQ(album.status, 0) << album.err;
    const auto blocks = lrcBlocks(album.out);
    ASSERT_EQ(blocks.size(), 12u) << album.out;
    EXPECT_EQ(blocks[0], (std::vector<std::string>{"[ti:Despacito]", "[ar:2Cellos]", "[al:Despacito]",
                                                   "[00:00.00]纯音乐，请欣赏"}))
        << "an instrumental flagged without lines still says so";
    EXPECT_EQ(blocks[1].back(), "[99:00.00]纯音乐，请欣赏");
    EXPECT_EQ(blocks[1].size(), 4u);
    EXPECT_EQ(blocks[2],
              (std::vector<std::string>{"[ti:Now We Are Free]", "[ar:2Cellos/Hans Zimmer]", "[al:Despacito]"}));
    EXPECT_EQ(blocks[11].size(), 7u);
    // Instrumentals are lyrics of a kind; only the song nobody wrote lyrics for is named.
    EXPECT_EQ(album.err, "velomir-cli: no lyrics for Now We Are Free (492003700)\n");
}

TEST_F(CliEndToEnd, LrcOfAPlaylistAsksOncePerTrackInRowOrder) {
    stub_.clearRequestLog();
    const Outcome playlist = runCli(address_ + "--format lrc " + kPlaylist);
    ASSERT_EQ(playlist.status, 0) << playlist.err;
    const auto blocks = lrcBlocks(playlist.out);
    ASSERT_EQ(blocks.size(), 25u);
    EXPECT_EQ(blocks[0][0], "[ti:可惜没如果]");
    EXPECT_EQ(blocks[1][1], "[ar:A/B]");
    ASSERT_EQ(blocks[13].size(), 9u);
    EXPECT_EQ(blocks[13][0], "[ti:Lemon]");
    EXPECT_EQ(blocks[13][7] + blocks[13][8], "[00:18.90]まだ名前を呼んでいる[00:18.90]仍在呼唤那个名字");
    EXPECT_EQ(blocks[16].size(), 3u);
    EXPECT_EQ(playlist.err, "velomir-cli: no lyrics for 南山南 (29019227)\n");

    std::vector<std::string> asked;
    for (const std::string& request : stub_.requestLog()) {
        if (request.find("/api/song/lyric?id=") != std::string::npos) asked.push_back(request);
    }
    ASSERT_EQ(asked.size(), 25u);
    EXPECT_EQ(asked[0], "music.163.com/api/song/lyric?id=29814898&lv=-1&kv=-1&tv=-1");
    EXPECT_NE(asked[24].find("id=254574&"), std::string::npos) << asked[24];
}

TEST_F(CliEndToEnd, LrcLeavesProgrammesOutAndSaysWhenNoRowIsATrack) {
    const Outcome radio = runCli(address_ + "--format lrc --max 5 'http://music.163.com/#/djradio?id=350117068'");
    EXPECT_EQ(radio.status, 0) << radio.err;
    EXPECT_EQ(radio.out, "");
    EXPECT_EQ(radio.err, "velomir-cli: no track among the rows: programmes have no lyrics\n");
    for (const std::string& request : stub_.requestLog())
        EXPECT_EQ(request.find("/song/lyric"), std::string::npos) << request;
}

// A lyric request the service refuses is no "no lyrics": the track keeps its tags, stderr says why, and the run
// itself succeeded.
TEST(CliLyrics, ARefusedLyricRequestKeepsTheTagsAndNamesTheReason) {
    StubOptions options;
    options.throttleRequests = 1;
    options.throttleWindow = std::chrono::hours(1);
    StubService stub(options);
    const int port = stub.start();
    ASSERT_GT(port, 0);
    const Outcome refused = runCli("--service-address 127.0.0.1:" + std::to_string(port) +
                                   " --retries 0 --format lrc 'http://music.163.com/#/song?id=26291188'");
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.out, "[ti:The Show]\n[ar:Lenka]\n[al:The Show]\n");
    EXPECT_EQ(refused.err, "velomir-cli: lyrics of The Show (26291188) not fetched: code 406: 操作频繁，请稍候再试\n");
    stub.stop();
}

}  // namespace
}  // namespace velomir
