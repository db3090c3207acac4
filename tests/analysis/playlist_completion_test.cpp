// A playlist whose old answer is cut is completed from the newer playlist detail and song detail, in its order.
#include "analysis/playlist_completion.h"

#include <gtest/gtest.h>

#include <set>

#include "analysis/item_extraction.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

constexpr char kPlaylistId[] = "77";

std::string trackJson(int id, const std::string& name) {
    return R"({"name":")" + name + R"(","id":)" + std::to_string(id) +
           R"(,"mp3Url":null,"artists":[{"name":"A","id":1}],"album":{"name":"Al","id":2,"blurPicUrl":"http://p/2.jpg"}})";
}

// Plays the service as it answers today: an old answer with the first `given` tracks of `size` (or null), the
// whole ID list in the newer detail, song detail for every ID but the removed ones. Busy answers come first when
// asked for.
class TodayService : public HttpTransport {
public:
    TodayService(int size, int given, std::set<int> removed = {})
        : size_(size), given_(given), removed_(std::move(removed)) {
        std::string ids;
        for (int id = 1; id <= size_; ++id)
            ids += (id > 1 ? "," : "") + std::string(R"({"id":)") + std::to_string(id) + "}";
        newerDetail = R"({"code":200,"playlist":{"id":77,"trackCount":)" + std::to_string(size_) + R"(,"trackIds":[)" +
                      ids + "]}}";
    }

    HttpReply get(const HttpRequest& request) override {
        const std::string& address = request.address;
        requests.push_back(address);
        if (busyAnswers > 0) {
            --busyAnswers;
            return {{}, 200, R"({"msg":"操作频繁，请稍候再试","code":406})", {}};
        }
        if (address.find("/api/v6/playlist/detail") != std::string::npos) return {{}, 200, newerDetail, {}};
        if (address.find("/api/playlist/detail") != std::string::npos) return {{}, 200, oldAnswer(), {}};
        if (address.find("/api/song/detail") != std::string::npos) return {{}, 200, songDetail(address), {}};
        return {{}, 404, {}, {}};
    }

    // The IDs asked of song detail, one list a request.
    std::vector<std::vector<std::string>> detailBatches() const {
        std::vector<std::vector<std::string>> batches;
        for (const std::string& address : requests) {
            const std::size_t open = address.find("ids=[");
            if (open == std::string::npos) continue;
            batches.push_back(splitText(address.substr(open + 5, address.find(']', open) - open - 5), ","));
        }
        return batches;
    }

    std::vector<std::string> requests;
    std::string newerDetail;  // the newer playlist detail's answer
    int busyAnswers = 0;

private:
    std::string oldAnswer() const {
        std::string tracks = given_ < 0 ? "null" : "[";
        for (int id = 1; id <= given_; ++id)
            tracks += (id > 1 ? "," : "") + trackJson(id, "Given " + std::to_string(id));
        if (given_ >= 0) tracks += "]";
        return R"({"result":{"id":77,"trackCount":)" + std::to_string(size_) + R"(,"tracks":)" + tracks +
               R"(},"code":200})";
    }
    std::string songDetail(const std::string& address) const {
        const std::size_t open = address.find("ids=[");
        std::string songs;
        for (const std::string& id : splitText(address.substr(open + 5, address.find(']', open) - open - 5), ",")) {
            const int n = integerValue32(id);
            if (removed_.count(n) != 0) continue;
            songs += (songs.empty() ? "" : ",") + trackJson(n, "Song " + id);
        }
        return R"({"songs":[)" + songs + R"(],"equalizers":{},"code":200})";
    }

    int size_;
    int given_;
    std::set<int> removed_;
};

// No pause between requests: the fake answers at once and never throttles.
BusyRetry unpaced() {
    BusyRetry retry;
    retry.pace = std::chrono::milliseconds(0);
    return retry;
}

std::vector<TrackItem> fetchPlaylist(TodayService& service, ListCompleteness& completeness) {
    std::string id = kPlaylistId;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    EXPECT_TRUE(
        fetchItems(id, LinkKind::Playlist, tracks, programmes, service, 100, {nullptr, unpaced(), {}, &completeness})
            .ok());
    return tracks;
}

TEST(PlaylistCompletion, CutAnswersAreCompletedInTheirOrderKeepingTheTracksGiven) {
    // One track, none (null), and a first part cut at 1,000, as the old answer gives them.
    for (const int given : {1, -1, 1000}) {
        TodayService service(2345, given, {1200, 1500, 2345});
        ListCompleteness completeness;
        const std::vector<TrackItem> tracks = fetchPlaylist(service, completeness);
        ASSERT_EQ(tracks.size(), 2342u) << given;
        EXPECT_EQ(completeness.declared, 2345);
        EXPECT_EQ(completeness.removed, 3);
        EXPECT_TRUE(completeness.problem.ok()) << completeness.problem.message();
        int previous = 0;
        for (const TrackItem& track : tracks) {
            const int id = integerValue32(track.trackId);
            EXPECT_GT(id, previous) << "in the playlist's order";
            previous = id;
        }
        EXPECT_EQ(tracks.front().trackName, given == -1 ? "Song 1" : "Given 1");
        EXPECT_EQ(tracks[999].trackName, given == 1000 ? "Given 1000" : "Song 1000");
        EXPECT_EQ(tracks[1199].trackId, "1201") << "1200 is gone";
        for (const auto& batch : service.detailBatches()) {
            EXPECT_LE(batch.size(), kCompletionBatch);
            for (const std::string& id : batch) EXPECT_TRUE(given < 0 || integerValue32(id) > given) << id;
        }
    }
}

TEST(PlaylistCompletion, TenThousandTracksCostAtMostOneRequestPerHundredAndShortAddresses) {
    TodayService service(10000, 1);
    ListCompleteness completeness;
    EXPECT_EQ(fetchPlaylist(service, completeness).size(), 10000u);
    EXPECT_LE(service.requests.size(), 100u);
    for (const std::string& address : service.requests) EXPECT_LT(address.size(), 8192u);
}

TEST(PlaylistCompletion, AWholeAnswerAsksNothingMore) {
    TodayService service(30, 30);
    ListCompleteness completeness;
    EXPECT_EQ(fetchPlaylist(service, completeness).size(), 30u);
    EXPECT_EQ(service.requests.size(), 1u);
    EXPECT_EQ(completeness.removed, 0);
}

TEST(PlaylistCompletion, BusyAnswersAreWaitedOutWithGrowingPauses) {
    TodayService service(50, 1);
    service.busyAnswers = 3;
    std::vector<std::chrono::milliseconds> pauses;
    BusyRetry retry;
    retry.pace = std::chrono::milliseconds(0);
    retry.sleep = [&](std::chrono::milliseconds pause) { pauses.push_back(pause); };
    std::vector<TrackItem> tracks(1);
    tracks[0].trackId = "1";
    const ListCompleteness completeness = completePlaylist(kPlaylistId, 50, tracks, service, retry);
    EXPECT_TRUE(completeness.problem.ok()) << completeness.problem.message();
    EXPECT_EQ(tracks.size(), 50u);
    using std::chrono::milliseconds;
    EXPECT_EQ(pauses, (std::vector<milliseconds>{milliseconds(1000), milliseconds(2000), milliseconds(4000)}));
}

TEST(PlaylistCompletion, AServiceThatStaysBusyEndsShortKeepingWhatItHas) {
    TodayService service(50, 1);
    service.busyAnswers = 100;
    BusyRetry retry;
    retry.pace = std::chrono::milliseconds(0);
    int sleeps = 0;
    retry.sleep = [&](std::chrono::milliseconds) { ++sleeps; };
    std::vector<TrackItem> tracks(1);
    tracks[0].trackId = "1";
    tracks[0].trackName = "Given";
    const ListCompleteness completeness = completePlaylist(kPlaylistId, 50, tracks, service, retry);
    EXPECT_EQ(completeness.problem.code(), Status::Code::Refused);
    EXPECT_NE(completeness.problem.message().find("406"), std::string::npos) << completeness.problem.message();
    EXPECT_EQ(sleeps, retry.attempts - 1);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].trackName, "Given");
}

TEST(PlaylistCompletion, ARefusedTrackListLeavesTheAnswerAsItCame) {
    TodayService service(50, 1);
    service.newerDetail = R"({"code":-460,"msg":"Cheating"})";
    std::vector<TrackItem> tracks(1);
    tracks[0].trackId = "1";
    const ListCompleteness completeness = completePlaylist(kPlaylistId, 50, tracks, service);
    EXPECT_EQ(completeness.problem.message(), "code -460: Cheating");
    EXPECT_EQ(tracks.size(), 1u);
    service.newerDetail = R"({"code":200,"playlist":{"trackIds":[]}})";
    EXPECT_FALSE(completePlaylist(kPlaylistId, 50, tracks, service).problem.ok());
    EXPECT_EQ(tracks.size(), 1u);
}

}  // namespace
}  // namespace velomir

namespace velomir {
namespace {

// What the window shows while a long list loads: its beginning, in order, growing with every batch.
TEST(PlaylistCompletion, TheListedBeginningGrowsInOrderWithEveryBatch) {
    TodayService service(1600, 1, {700});
    std::vector<TrackItem> tracks(1);
    tracks[0].trackId = "1";
    std::vector<std::size_t> sizes;
    CompletionProgress progress;
    progress.listed = [&](const std::vector<TrackItem>& listed) {
        sizes.push_back(listed.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const int id = integerValue32(listed[i].trackId);
            ASSERT_EQ(id, static_cast<int>(i) + (id > 700 ? 2 : 1)) << "in order, 700 gone";
        }
    };
    completePlaylist(kPlaylistId, 1600, tracks, service, unpaced(), nullptr, progress);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{501, 1000, 1500, 1599}));
}

}  // namespace
}  // namespace velomir
