// The whole road from pasted text to rows, against the stand-in service on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "analysis/analysis_driver.h"
#include "analysis/curl_transport.h"
#include "analysis/audio_address.h"
#include "analysis/item_extraction.h"
#include "recording_view.h"
#include "stub_service.h"

namespace velomir {
namespace {

using testing::RecordingView;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = stub_.start();
        ASSERT_GT(port_, 0);
        HttpSettings settings;
        settings.serviceAddress = "127.0.0.1:" + std::to_string(port_);
        settings.timeout = std::chrono::seconds(2);
        http_ = std::make_unique<CurlTransport>(settings);
        driver_ = std::make_unique<AnalysisDriver>(view_, *http_, options_);
    }
    void TearDown() override { stub_.stop(); }

    const RunState& run(const std::string& text, bool searchMode = false) {
        view_.link = text;
        view_.search = searchMode;
        driver_->runAnalysis();
        return driver_->state();
    }

    StubService stub_{StubOptions{}};
    int port_ = 0;
    RecordingView view_;
    AnalysisOptions options_;
    std::unique_ptr<CurlTransport> http_;
    std::unique_ptr<AnalysisDriver> driver_;
};

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
        int kind;
        std::size_t rows;
    };
    const Case cases[] = {
        {"http://music.163.com/#/playlist?id=2330887406", "2330887406", 0, 25},
        {"http://music.163.com/#/album?id=35799123", "35799123", 1, 12},
        {"http://music.163.com/#/song?id=26291188", "26291188", 2, 1},
        {"http://music.163.com/#/program?id=794062371", "794062371", 3, 1},
        {"http://music.163.com/#/djradio?id=350117068", "350117068", 4, 100},
        {"http://music.163.com/#/artist?id=101368", "101368", 5, 10},
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
    EXPECT_EQ(state.currentKind, 6);
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

TEST_F(EndToEnd, FaultsEndInNeutralResultsWithinTheTimeOut) {
    const char* faults[] = {"9000001", "9000002", "9000003", "9000004", "9000005", "9000006", "9000007", "9000008"};
    for (const char* id : faults) {
        const auto start = std::chrono::steady_clock::now();
        const RunState& state = run(std::string("http://music.163.com/#/playlist?id=") + id);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LE(state.resultRows.size(), 25u) << id;
        EXPECT_EQ(state.progressStep, -1) << id;
        EXPECT_EQ(view_.cell(0, 0), "{" + std::to_string(state.resultRows.size()) + "}") << id;
        // Generous bound: a fault may cost one time-out (2 s here), never an open-ended wait.
        EXPECT_LT(waited, std::chrono::seconds(10)) << id;
    }
}

TEST_F(EndToEnd, RedirectIsFollowedToTheSamplePlaylist) {
    EXPECT_EQ(run("http://music.163.com/#/playlist?id=9000007").resultRows.size(), 25u);
}

}  // namespace
}  // namespace velomir
