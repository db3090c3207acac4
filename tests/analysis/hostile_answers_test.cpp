// Answers built to hurt: each ends in a neutral result or in the rows a lenient reader finds, never in a crash.
#include "hostile_answers.h"

#include <gtest/gtest.h>

#include <string>

#include "stub_driver_fixture.h"

namespace velomir {
namespace {

class HostileAnswers : public testing::StubDriverFixture {
protected:
    const RunState& runPlaylist(std::int64_t id) {
        return runChecked("http://music.163.com/#/playlist?id=" + std::to_string(id));
    }
    // Whatever the answer, the run ends and the grid counts the rows it holds.
    const RunState& runChecked(const std::string& link) {
        const RunState& state = run(link);
        EXPECT_EQ(state.progressStep, -1);
        EXPECT_EQ(view_.cell(0, 0), "{" + std::to_string(state.resultRows.size()) + "}");
        return state;
    }
};

TEST_F(HostileAnswers, DeepNestingIsOneRowOfNothing) {
    const RunState& state = runPlaylist(kDeepNestingPlaylist);
    ASSERT_LE(state.resultRows.size(), 1u);
    if (!state.resultRows.empty()) {
        EXPECT_EQ(state.resultRows[0].trackName, "");
    }
}

TEST_F(HostileAnswers, GiantStringStaysWhole) {
    const RunState& state = runPlaylist(kGiantStringPlaylist);
    ASSERT_EQ(state.resultRows.size(), 1u);
    EXPECT_EQ(state.resultRows[0].trackName, std::string(50 * 1000 * 1000, 'x'));
    EXPECT_EQ(state.resultRows[0].artistNames, "A");
}

TEST_F(HostileAnswers, BrokenBytesPassUnchangedAndTheTextEndsAtTheFirstZero) {
    const RunState& state = runPlaylist(kBrokenBytesPlaylist);
    ASSERT_EQ(state.resultRows.size(), 2u) << "nothing behind the raw zero byte is read";
    EXPECT_EQ(state.resultRows[0].trackName, "bad \xFF\xFE bytes \xC3");
    EXPECT_EQ(state.resultRows[0].artistNames, "\x80\xBF");
    EXPECT_EQ(state.resultRows[1].trackName, std::string("nul\0inside", 10));
    EXPECT_EQ(state.resultRows[1].albumName, "\xED\xA0\x80");
}

TEST_F(HostileAnswers, HundredThousandArtistsAreJoined) {
    const RunState& state = runPlaylist(kCrowdedTrackPlaylist);
    ASSERT_EQ(state.resultRows.size(), 1u);
    const std::string& names = state.resultRows[0].artistNames;
    EXPECT_EQ(names.size(), 199999u);
    EXPECT_EQ(names.substr(0, 4), "A/A/");
    EXPECT_EQ(names.substr(names.size() - 2), "/Z");
}

TEST_F(HostileAnswers, TwoHundredThousandEmptyObjectsAreEmptyRows) {
    const RunState& state = runPlaylist(kEmptyObjectsPlaylist);
    ASSERT_EQ(state.resultRows.size(), 200000u);
    EXPECT_EQ(state.resultRows.back().trackName, "");
    EXPECT_EQ(view_.cell(200000, 0), "200000");
}

TEST_F(HostileAnswers, RedirectsAwayFromTheWebAreNotFollowed) {
    for (const std::int64_t id : {kFileRedirectPlaylist, kFtpRedirectPlaylist}) {
        const RunState& state = runPlaylist(id);
        EXPECT_TRUE(state.resultRows.empty()) << id;
        EXPECT_EQ(testing::causeOf(state.problem), testing::Cause::Transfer) << id;
    }
}

TEST_F(HostileAnswers, ArtistPageReadsItsFirstHiddenTextArea) {
    const RunState& state = runChecked("http://music.163.com/artist?id=" + std::to_string(kManyTextAreasArtist));
    ASSERT_EQ(state.resultRows.size(), 1u);
    EXPECT_EQ(state.resultRows[0].trackName, "Hidden");
}

}  // namespace
}  // namespace velomir
