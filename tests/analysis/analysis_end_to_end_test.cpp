// The whole road from pasted text to rows, against the stand-in service on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>

#include "analysis/analysis_driver.h"
#include "analysis/audio_address.h"
#include "analysis/curl_transport.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "stub_driver_fixture.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

using enum LinkKind;

using EndToEnd = testing::StubDriverFixture;

constexpr const char* kPlaylistLink = "http://music.163.com/#/playlist?id=2330887406";

TEST_F(EndToEnd, SamplePlaylistListsEveryTrackInOrder) {
    const RunState& state = run(kPlaylistLink);
    ASSERT_EQ(state.resultRows.size(), 25u);
    EXPECT_EQ(view_.cell(0, 0), "{25}");
    EXPECT_EQ(view_.link, std::string("[歌单]") + kPlaylistLink);
    for (int r = 1; r <= 25; ++r) EXPECT_EQ(view_.cell(r, 0), std::to_string(r));

    // The rows follow the answer, checked with an independent JSON parser.
    const auto answer =
        nlohmann::json::parse(http_->fetchText("http://music.163.com/api/playlist/detail?id=2330887406"));
    const auto& tracks = answer["result"]["tracks"];
    ASSERT_EQ(tracks.size(), 25u);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        EXPECT_EQ(state.resultRows[i].trackName, tracks[i]["name"].get<std::string>()) << i;
        EXPECT_EQ(state.resultRows[i].trackId, std::to_string(tracks[i]["id"].get<long long>())) << i;
    }
    EXPECT_EQ(state.resultRows[1].artistNames, "A/B");
    EXPECT_EQ(state.resultRows[1].artistIds, "11/22");
    EXPECT_EQ(state.resultRows[2].trackName, "Song [Live]");
    EXPECT_EQ(state.resultRows[3].trackName, "Say \"Hello\"");
    EXPECT_EQ(state.resultRows[5].trackName, "If Only…");
}

TEST_F(EndToEnd, MissingAddressesAreResolvedThroughSongDetails) {
    run(kPlaylistLink);
    auto& rows = driver_->state().resultRows;
    for (int r : {5, 9, 13}) {
        EXPECT_EQ(rows[r - 1].audioAddress, "") << r;
        resolveAudioAddress(r, rows, *http_, options_.maxCount);
        EXPECT_EQ(rows[r - 1].audioAddress.rfind(stub_.baseAddress() + "/audio/", 0), 0u) << r;
    }
}

TEST_F(EndToEnd, EveryKindByLinkAndByBareId) {
    struct Case {
        const char* link;
        const char* bareId;
        LinkKind kind;
        std::size_t rows;
    };
    const Case cases[] = {
        {"http://music.163.com/#/playlist?id=2330887406", "2330887406", Playlist, 25},
        {"http://music.163.com/#/album?id=35799123", "35799123", Album, 12},
        {"http://music.163.com/#/song?id=26291188", "26291188", Song, 1},
        {"http://music.163.com/#/program?id=794062371", "794062371", Programme, 1},
        {"http://music.163.com/#/djradio?id=350117068", "350117068", Radio, 100},
        {"http://music.163.com/#/artist?id=101368", "101368", Artist, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.link).currentKind, c.kind) << c.link;
        EXPECT_EQ(driver_->state().resultRows.size(), c.rows) << c.link;
        EXPECT_EQ(run(c.bareId).currentKind, c.kind) << c.bareId;
        EXPECT_EQ(driver_->state().resultRows.size(), c.rows) << c.bareId;
    }
}

TEST_F(EndToEnd, SearchHonoursTheMaximumCount) {
    options_.maxCount = 7;
    const RunState& state = run("love", true);
    EXPECT_EQ(state.currentKind, Search);
    EXPECT_EQ(state.resultRows.size(), 7u);
    EXPECT_EQ(view_.link, "[搜索]love");
    EXPECT_FALSE(state.resultRows[0].audioAddress.empty());
}

TEST_F(EndToEnd, ProgrammeGivesOneRowWithProgrammeTitles) {
    const RunState& state = run("http://music.163.com/#/program?id=794062371");
    ASSERT_EQ(state.resultRows.size(), 1u);
    EXPECT_EQ(view_.cell(0, 1), "[节目]名称");
    EXPECT_EQ(view_.cell(1, 1), state.resultRows[0].programmeName);
    EXPECT_FALSE(state.resultRows[0].programmeName.empty());
    EXPECT_FALSE(state.resultRows[0].djNickname.empty());
    EXPECT_FALSE(state.resultRows[0].radioName.empty());
}

TEST_F(EndToEnd, FaultsEndInNeutralResultsAndNameTheirCause) {
    using testing::Cause;
    const std::pair<const char*, Cause> faults[] = {{"9000001", Cause::Transfer}, {"9000002", Cause::Transfer},
                                                    {"9000003", Cause::Transfer}, {"9000004", Cause::Transfer},
                                                    {"9000005", Cause::Transfer}, {"9000006", Cause::None},
                                                    {"9000007", Cause::None},     {"9000008", Cause::Refusal}};
    for (const auto& [id, cause] : faults) {
        // A fault that silences the answer costs one time-out (2 s here): the transport's own tests show on a
        // fake clock that the wait ends there.
        const RunState& state = run(std::string("http://music.163.com/#/playlist?id=") + id);
        EXPECT_LE(state.resultRows.size(), 25u) << id;
        EXPECT_EQ(state.progressStep, -1) << id;
        EXPECT_EQ(view_.cell(0, 0), "{" + std::to_string(state.resultRows.size()) + "}") << id;
        // The window stays silent; the command line names the cause.
        EXPECT_EQ(testing::causeOf(state.problem), cause) << id << ": " << state.problem.message();
        EXPECT_EQ(state.problem.message().empty(), cause == Cause::None) << id;
    }
    EXPECT_EQ(driver_->state().problem.message(), "code -460: Cheating");
    EXPECT_EQ(run("http://music.163.com/#/playlist?id=42").problem.message(), "code 404: 该资源不存在。");
}

int requestsTo(const std::vector<std::string>& log, const std::string& host) {
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const std::string& r) { return r.starts_with(host + "/"); }));
}

TEST_F(EndToEnd, ShortLinkCostsOneRequestAndItsTargetIsNeverFetched) {
    const RunState& state = run("分享赵雷的单曲《成都》: https://163cn.tv/zHy7Ta (来自@网易云音乐)");
    EXPECT_EQ(state.currentKind, Song);
    ASSERT_EQ(state.resultRows.size(), 1u);
    EXPECT_EQ(state.resultRows[0].trackId, "436514312");
    const std::vector<std::string> log = stub_.requestLog();
    EXPECT_EQ(requestsTo(log, "163cn.tv"), 1);
    EXPECT_EQ(requestsTo(log, "y.music.163.com"), 0);
    EXPECT_EQ(log.back(), "music.163.com/api/song/detail/?ids=[436514312]");

    stub_.clearRequestLog();
    EXPECT_EQ(run("163cn.tv/hop3Kd").resultRows.size(), 25u);
    EXPECT_EQ(requestsTo(stub_.requestLog(), "163cn.tv"), 2);
}

TEST_F(EndToEnd, WithheldAddressesTakeFiveSongDetailRequestsMatchedById) {
    std::vector<ResultRow> rows = run("http://music.163.com/#/playlist?id=1000000450").resultRows;
    ASSERT_EQ(rows.size(), 450u);
    EXPECT_TRUE(std::all_of(rows.begin(), rows.end(),
                            [](const ResultRow& r) { return isMissingAudioAddress(r.audioAddress); }));
    stub_.clearRequestLog();
    resolveAudioAddresses(rows, *http_, options_.maxCount);
    EXPECT_EQ(stub_.requestLog().size(), 5u);
    EXPECT_EQ(requestsTo(stub_.requestLog(), "music.163.com"), 5);
    for (const ResultRow& row : rows) {
        // Song detail gives an address for IDs ending in 0 (and answers in reverse order); the rest play outside.
        const bool given = integerValue64(row.trackId) % 10 == 0;
        EXPECT_EQ(row.audioAddress,
                  given ? stub_.baseAddress() + "/audio/" + row.trackId + ".mp3" : outerAudioAddress(row.trackId))
            << row.trackId;
    }
}

TEST_F(EndToEnd, OuterAddressRedirectsToTheAudioFile) {
    EXPECT_EQ(http_->redirectTarget(outerAudioAddress("26291188")), stub_.baseAddress() + "/audio/26291188.mp3");
    EXPECT_EQ(http_->fetchBytes(outerAudioAddress("26291188")),
              http_->fetchBytes(stub_.baseAddress() + "/audio/26291188.mp3"));
    EXPECT_EQ(http_->redirectTarget(outerAudioAddress("999")), "");
}

TEST_F(EndToEnd, RedirectIsFollowedToTheSamplePlaylist) {
    EXPECT_EQ(run("http://music.163.com/#/playlist?id=9000007").resultRows.size(), 25u);
}

}  // namespace
}  // namespace velomir
