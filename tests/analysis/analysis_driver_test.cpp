#include "analysis/analysis_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "analysis/link_kind.h"
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
    FakeTransport http;
    RecordingView view;
    AnalysisOptions options;
    AnalysisDriver driver{view, http, options};
};

TEST_F(DriverFixture, PlaylistFillsTitledNumberedGrid) {
    http.answer("playlist/detail?id=2330887406", playlistOf(3));
    view.link = kLink;
    EXPECT_TRUE(driver.startRun());
    EXPECT_EQ(view.link, std::string("[歌单]") + kLink);
    EXPECT_EQ(view.cell(0, 0), "{3}");
    EXPECT_EQ(view.cell(0, 1), "[歌单]名称");
    EXPECT_EQ(view.cell(0, 2), "歌手");
    EXPECT_EQ(view.rows, 4);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(view.cell(r, 0), std::to_string(r));
    EXPECT_EQ(view.cell(3, 1), "T3");
    EXPECT_EQ(view.cell(3, 2), "A");
    EXPECT_EQ(view.widths[0], 40);
    EXPECT_EQ(view.widths[1], 160);
    EXPECT_EQ(view.colour, 0x808080u);
    EXPECT_EQ(view.resets, 1);
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
    EXPECT_EQ(driver.state().currentFieldSet, kProgrammeRecord);
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

// A clock that moves a millisecond every time it is read, so pacing does not depend on the machine's speed.
WorkPacer::Reader steppingClock() {
    return [ms = std::make_shared<std::int64_t>(0)] {
        return WorkPacer::Clock::time_point(std::chrono::milliseconds(++*ms));
    };
}

// A long answer lets the window's events through while it is parsed and extracted, and whatever runs meanwhile
// still sees the previous list and grid whole, with the kind they belong to.
TEST_F(DriverFixture, LongAnswerLetsEventsThroughWhileThePreviousListStaysWhole) {
    http.answer("playlist/detail?id=2330887406", playlistOf(3));
    view.link = kLink;
    ASSERT_TRUE(driver.startRun());
    http.answer("playlist/detail?id=77", playlistOf(3000));
    driver.setClock(steppingClock());
    int pumps = 0;
    int seenOther = 0;
    view.onEvents = [&] {
        ++pumps;
        const RunState& state = driver.state();
        const bool previous = state.resultRows.size() == 3 && state.trackItems.size() == 3 &&
                              isKind(state.currentKind, LinkKind::Playlist) && view.cell(0, 0) == "{3}" &&
                              view.cell(3, 1) == "T3" && view.rows == 4;
        if (!previous || state.progressStep != 3) ++seenOther;
        // A second run asked for meanwhile does not start.
        EXPECT_FALSE(driver.startRun());
    };
    view.link = "http://music.163.com/#/playlist?id=77";
    ASSERT_TRUE(driver.startRun());
    EXPECT_GT(pumps, 20);
    EXPECT_EQ(seenOther, 0);
    EXPECT_EQ(driver.state().resultRows.size(), 3000u);
    EXPECT_EQ(view.cell(0, 0), "{3000}");
}

}  // namespace
}  // namespace velomir
