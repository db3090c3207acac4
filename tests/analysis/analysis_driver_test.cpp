#include "analysis/analysis_driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "analysis/link_kind.h"
#include "analysis/link_kind_printer.h"
#include "fake_transport.h"
#include "recording_view.h"

namespace velomir {
namespace {

using testing::FakeTransport;
using testing::RecordingView;

constexpr const char* kLink = "http://music.163.com/#/playlist?id=2330887406";

std::string playlistOf(int n) {
    std::string tracks;
    for (int i = 1; i <= n; ++i) {
        tracks += (i > 1 ? "," : "") + std::string(R"({"name":"T)") + std::to_string(i) + R"(","id":)" +
                  std::to_string(i) + R"(,"artists":[{"name":"A","id":1}],"album":{"name":"Al"}})";
    }
    return R"({"result":{"tracks":[)" + tracks + R"(]},"code":200})";
}

struct DriverFixture : ::testing::Test {
    DriverFixture() { view.state = &driver.state(); }

    FakeTransport http;
    RecordingView view;
    AnalysisOptions options;
    AnalysisDriver driver{view, http, options};
};

TEST_F(DriverFixture, PlaylistFillsTitledNumberedGrid) {
    http.answer("playlist/detail?id=2330887406", playlistOf(3));
    view.link = kLink;
    driver.runAnalysis();
    EXPECT_EQ(view.link, std::string("[歌单]") + kLink);
    EXPECT_EQ(view.cell(0, 0), "{3}");
    EXPECT_EQ(view.cell(0, 1), "[歌单]名称");
    EXPECT_EQ(view.cell(0, 2), "歌手");
    EXPECT_EQ(view.rows, 4);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(view.cell(r, 0), std::to_string(r));
    EXPECT_EQ(view.cell(3, 1), "T3");
    EXPECT_EQ(view.cell(3, 2), "A");
    EXPECT_EQ(view.resets, 1);
    EXPECT_EQ(view.published, 1);
    EXPECT_EQ(view.collapses, 1);
    EXPECT_EQ(driver.state().progressStep, -1);
    EXPECT_FALSE(view.search);
}

TEST_F(DriverFixture, RunningTheSameLinkTwiceKeepsOneLabel) {
    http.answer("playlist/detail", playlistOf(1));
    view.link = kLink;
    driver.runAnalysis();
    driver.runAnalysis();
    EXPECT_EQ(view.link, std::string("[歌单]") + kLink);
    EXPECT_EQ(view.cell(0, 0), "{1}");
}

TEST_F(DriverFixture, RerunOfASearchSearchesTheWordsOnly) {
    view.link = "love";
    view.search = true;
    driver.runAnalysis();
    EXPECT_EQ(view.link, "[搜索]love");
    EXPECT_TRUE(view.search);
    driver.runAnalysis();
    ASSERT_EQ(http.requests.size(), 2u);
    EXPECT_NE(http.requests[1].find("s=love&"), std::string::npos);
    EXPECT_EQ(view.cell(0, 1), "[搜索]名称");
}

TEST_F(DriverFixture, EarlyStopShowsNoLeftoverRows) {
    http.answer("playlist/detail", playlistOf(2));
    view.link = kLink;
    driver.runAnalysis();
    options.jumpToSearch = false;
    view.link = "nothing to see";
    driver.runAnalysis();
    EXPECT_EQ(view.cell(0, 0), "{0}");
    EXPECT_EQ(view.rows, 1);
    EXPECT_TRUE(driver.state().resultRows.empty());
    EXPECT_EQ(view.link, "[歌手]nothing to see");
    EXPECT_EQ(view.cell(0, 1), "[歌手]名称");
    EXPECT_EQ(driver.state().currentKind, LinkKind::Unrecognised);
    EXPECT_TRUE(driver.state().problem.ok());  // nothing was asked, so no request failed

    view.link = " ";
    view.search = true;
    driver.runAnalysis();
    EXPECT_EQ(driver.state().currentKind, LinkKind::Search);
    EXPECT_TRUE(driver.state().problem.ok());
    EXPECT_EQ(http.requests.size(), 1u);
}

TEST_F(DriverFixture, ProgrammeRowUsesProgrammeColumns) {
    http.answer("program/detail?id=5", R"({"program":{"name":"P","dj":{"nickname":"N"},"radio":{"name":"R"}}})");
    view.link = "http://music.163.com/#/program?id=5";
    driver.runAnalysis();
    EXPECT_EQ(view.cell(0, 0), "{1}");
    EXPECT_EQ(view.cell(0, 1), "[节目]名称");
    EXPECT_EQ(view.cell(0, 2), "主播");
    EXPECT_EQ(view.cell(0, 3), "电台");
    EXPECT_EQ(view.cell(1, 1), "P");
    EXPECT_EQ(view.cell(1, 2), "N");
    EXPECT_EQ(view.cell(1, 3), "R");
    EXPECT_EQ(driver.state().currentRecordType, RecordType::Programme);
}

TEST_F(DriverFixture, EmptyAnswerStillRedrawsTheGrid) {
    view.link = "http://music.163.com/album?id=9";
    driver.runAnalysis();
    EXPECT_EQ(view.cell(0, 0), "{0}");
    EXPECT_EQ(view.cell(0, 1), "[专辑]名称");
    EXPECT_EQ(view.link, "[专辑]http://music.163.com/album?id=9");
}

TEST(StripKindLabels, RemovesOnlyLeadingLabels) {
    EXPECT_EQ(stripKindLabels("[歌单][歌单][搜索]x[歌单]"), "x[歌单]");
    EXPECT_EQ(stripKindLabels("[歌曲]x"), "[歌曲]x");
    EXPECT_EQ(stripKindLabels(""), "");
}

// The window's road: the run begins and ends on the window's thread and works elsewhere in between. Until the
// new list is published in one step, the previous one stays whole, and no second run begins.
TEST_F(DriverFixture, SplitRunKeepsThePreviousListWholeUntilItIsPublished) {
    http.answer("playlist/detail?id=2330887406", playlistOf(3));
    view.link = kLink;
    driver.runAnalysis();
    http.answer("playlist/detail?id=77", playlistOf(3000));
    view.link = "http://music.163.com/#/playlist?id=77";
    std::optional<RunInput> input = driver.beginRun();
    ASSERT_TRUE(input);
    EXPECT_EQ(driver.state().progressStep, 0);
    EXPECT_FALSE(driver.beginRun()) << "a second run asked for meanwhile does not start";
    struct Steps : RunObserver {
        std::vector<int> seen;
        void stageReached(int step) override { seen.push_back(step); }
        void itemsLoaded(int, int) override {}
        void rowsListed(LinkKind, std::vector<ResultRow>) override {}
    } steps;
    RunResult result = performRun(*input, http, &steps);
    EXPECT_EQ(steps.seen, (std::vector<int>{1, 2, 3}));
    const RunState& state = driver.state();
    EXPECT_EQ(state.resultRows.size(), 3u);
    EXPECT_EQ(view.cell(0, 0), "{3}");
    EXPECT_EQ(view.published, 1);
    driver.finishRun(std::move(result));
    EXPECT_EQ(state.resultRows.size(), 3000u);
    EXPECT_EQ(view.cell(0, 0), "{3000}");
    EXPECT_EQ(state.progressStep, -1);
    EXPECT_EQ(view.link, "[歌单]http://music.163.com/#/playlist?id=77");
}

// A set stop flag ends a run before its list request and keeps the run's kind.
TEST_F(DriverFixture, StoppedRunAsksNothingAfterRecognition) {
    http.answer("playlist/detail", playlistOf(5));
    const StopFlag stop{true};
    const RunResult result = performRun({kLink, false, options, {}}, http, nullptr, &stop);
    EXPECT_TRUE(http.requests.empty());
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.kind, LinkKind::Playlist);
}

}  // namespace
}  // namespace velomir
