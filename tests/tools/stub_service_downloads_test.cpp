// The stand-in's audio as a download client meets it: files of realistic size, byte ranges, transfer faults that
// strike once, hostile names, and the delay for the download benchmark.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "download_items.h"
#include "song_audio.h"
#include "stub_service.h"
#include "stub_stand.h"

namespace velomir {
namespace {

using nlohmann::json;
using testing::Stand;

constexpr std::int64_t kFirstDownloadSong = 7600000001;
constexpr std::int64_t kSampleSong = 29814898;
constexpr std::size_t kFrameBytes = 192;
constexpr std::size_t kStallBytes = 64 * 1024;

std::string audioPath(std::int64_t id) { return "/audio/" + std::to_string(id) + ".mp3"; }
std::string playlistPath(std::int64_t id) { return "/api/playlist/detail?id=" + std::to_string(id); }
std::string v6Path(std::int64_t id) { return "/api/v6/playlist/detail?n=1000&id=" + std::to_string(id); }
std::string songDetailPath(const json& tracks) {
    std::string ids;
    for (const json& track : tracks) ids += (ids.empty() ? "" : ",") + track["id"].dump();
    return "/api/song/detail/?ids=[" + ids + "]";
}
std::vector<std::string> valuesOf(const json& list, const char* member) {
    std::vector<std::string> values;
    for (const json& item : list) values.push_back(item[member].dump());
    return values;
}
httplib::Headers rangeOf(const std::string& bytes) { return {{"Range", "bytes=" + bytes}}; }
std::string faultAudio(AudioFault fault) { return audioPath(audioFaultSongId(fault)); }

class DownloadAudio : public ::testing::Test {
protected:
    static void SetUpTestSuite() { stand_ = new Stand(); }
    static void TearDownTestSuite() { delete stand_; }
    static Stand& stand() { return *stand_; }

private:
    static inline Stand* stand_ = nullptr;
};

// A download client compares sizes, looks for frame syncs and strips tags at the end: the files must be plain
// MPEG frames of about 1 MB, each song's bytes its own, as long as the listed duration says.
TEST_F(DownloadAudio, ServedAudioIsTheSongsOwnMegabyteOfFrames) {
    std::vector<std::string> seen;
    for (const std::int64_t id : {kFirstDownloadSong, kFirstDownloadSong + 1, kFirstDownloadSong + 199, 7620000001}) {
        auto result = stand().get(audioPath(id));
        ASSERT_TRUE(result) << id;
        EXPECT_EQ(result->get_header_value("Content-Type"), "audio/mpeg") << id;
        const std::string& audio = result->body;
        ASSERT_EQ(audio, songAudio(id)) << id;
        EXPECT_TRUE(audio.size() > 950'000 && audio.size() < 1'100'000) << id;
        ASSERT_EQ(audio.size() % kFrameBytes, 0u) << id;
        for (std::size_t at = 0; at < audio.size(); at += kFrameBytes)
            ASSERT_EQ(audio.substr(at, 4), "\xFF\xFB\x54\xC0") << id << " at " << at;
        EXPECT_NE(audio.substr(audio.size() - 128, 3), "TAG") << id;
        EXPECT_EQ(audio.find("APETAGEX"), std::string::npos) << id;
        const json song = stand().parsed("/api/song/detail/?ids=[" + std::to_string(id) + "]")["songs"][0];
        EXPECT_EQ(song["duration"], audio.size() / kFrameBytes * 24) << id;
        for (const std::string& other : seen) EXPECT_NE(audio, other) << id;
        seen.push_back(audio);
    }
    EXPECT_EQ(stand().get(audioPath(kSampleSong))->body, songAudio(kSampleSong));
    EXPECT_LT(songAudio(kSampleSong).size(), 100'000u) << "the other songs keep the short tone";
    EXPECT_EQ(songAudio(0), "");
}

TEST_F(DownloadAudio, RangesAnswerWithTheAskedBytesOrRefuse) {
    for (const std::int64_t id : {kFirstDownloadSong + 7, kSampleSong}) {
        const std::string audio = songAudio(id);
        const std::size_t total = audio.size();
        const struct {
            std::string asked;
            std::size_t offset, length;
        } parts[] = {{"0-", 0, total},
                     {"1000-", 1000, total - 1000},
                     {"1000-1999", 1000, 1000},
                     {std::to_string(total - 1) + "-", total - 1, 1},
                     {"10-" + std::to_string(total + 50), 10, total - 10},
                     {"-500", total - 500, 500}};
        for (const auto& part : parts) {
            auto result = stand().get(audioPath(id), rangeOf(part.asked));
            ASSERT_TRUE(result) << part.asked;
            EXPECT_EQ(result->status, 206) << part.asked;
            EXPECT_EQ(result->get_header_value("Content-Range"), "bytes " + std::to_string(part.offset) + "-" +
                                                                     std::to_string(part.offset + part.length - 1) +
                                                                     "/" + std::to_string(total))
                << part.asked;
            EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(part.length)) << part.asked;
            EXPECT_TRUE(result->body == audio.substr(part.offset, part.length)) << part.asked;
        }
        // A .part as long as the file: nothing is left to send.
        for (const std::size_t from : {total, total + 1000}) {
            auto refused = stand().get(audioPath(id), rangeOf(std::to_string(from) + "-"));
            ASSERT_TRUE(refused) << from;
            EXPECT_EQ(refused->status, 416) << from;
            EXPECT_EQ(refused->get_header_value("Content-Range"), "bytes */" + std::to_string(total)) << from;
            EXPECT_EQ(refused->get_header_value("Content-Length"), "0") << from;
        }
    }
    auto listing = stand().get(playlistPath(kDownloadPlaylistId), rangeOf("10-"));
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->status, 200) << "ranges are for audio alone";
    EXPECT_TRUE(json::accept(listing->body));
}

TEST_F(DownloadAudio, RedirectsAndOuterAddressesLeadWhereTheyShould) {
    const auto outer = [](AudioFault fault) {
        return "/song/media/outer/url?id=" + std::to_string(audioFaultSongId(fault)) + ".mp3";
    };
    const struct {
        std::string path;
        std::string location;
    } redirects[] = {{outer(AudioFault::OuterOnly), stand().base() + faultAudio(AudioFault::OuterOnly)},
                     {outer(AudioFault::OuterTo404), "http://music.163.com/404"},
                     {faultAudio(AudioFault::RedirectTo404), "http://music.163.com/404"},
                     {faultAudio(AudioFault::RedirectTo404), "http://music.163.com/404"}};
    for (const auto& redirect : redirects) {
        auto result = stand().get(redirect.path, {{"Host", "music.163.com"}});
        ASSERT_TRUE(result) << redirect.path;
        EXPECT_EQ(result->status, 302) << redirect.path;
        EXPECT_EQ(result->get_header_value("Location"), redirect.location) << redirect.path;
    }
    EXPECT_EQ(songAudio(audioFaultSongId(AudioFault::RedirectTo404)), "");
    EXPECT_EQ(stand().get("/404")->get_header_value("Content-Type"), "text/html;charset=UTF-8");
    auto html = stand().get(faultAudio(AudioFault::HtmlAsAudio));
    ASSERT_TRUE(html);
    EXPECT_EQ(html->get_header_value("Content-Type"), "audio/mpeg");
    EXPECT_TRUE(html->body.starts_with("<!DOCTYPE html>"));
    EXPECT_EQ(html->body, songAudio(audioFaultSongId(AudioFault::HtmlAsAudio)));
}

TEST_F(DownloadAudio, HostileNamesArriveUnchangedAndEscaped) {
    const std::string body = stand().get(playlistPath(kHostileNamesPlaylistId))->body;
    for (const char* wire : {R"("name":"Line one\nLine two")", R"("name":"C:\\Windows\\win.ini")",
                             R"("name":"Why? <Not> \"Now\" | *")", R"("name":"AC/DC")"}) {
        EXPECT_NE(body.find(wire), std::string::npos) << wire;
    }
    std::string longName;
    for (int i = 0; i < 10; ++i) longName += "春夏秋冬风花雪月山水";
    std::vector<std::string> expected;
    for (const char* name :
         {"../../x", "a/b", longName.c_str(), ".", "..", "Line one\nLine two", "Ref:rain", R"(C:\Windows\win.ini)",
          R"(Why? <Not> "Now" | *)", " Trailing dots and blanks.. ", "Same Song", "Same Song"}) {
        expected.push_back(json(name).dump());
    }
    const json tracks = json::parse(body)["result"]["tracks"];
    EXPECT_EQ(valuesOf(tracks, "name"), expected);
    EXPECT_EQ(longName.size(), 300u);
    EXPECT_EQ(tracks[6]["artists"][0]["name"], "Aimer");
    // Two rows with one name and one artist, told apart only by their IDs.
    EXPECT_EQ(tracks[10]["artists"], tracks[11]["artists"]);
    EXPECT_NE(tracks[10]["id"], tracks[11]["id"]);
    EXPECT_EQ(valuesOf(stand().parsed(songDetailPath(tracks))["songs"], "name"), expected);
    EXPECT_EQ(valuesOf(stand().parsed(v6Path(kHostileNamesPlaylistId))["playlist"]["tracks"], "name"), expected);
}

// The old answer lists every song in both eras, v6 every ID, song detail every song with the list's address form.
TEST(DownloadPlaylists, AnswerInBothErasAndInSongDetail) {
    for (const ServiceEra era : {ServiceEra::Classic, ServiceEra::Today}) {
        StubOptions options;
        options.era = era;
        Stand stand(options);
        for (const auto& [id, count] : {std::pair{kDownloadPlaylistId, 200u}, std::pair{kAudioFaultPlaylistId, 8u},
                                        std::pair{kHostileNamesPlaylistId, 12u}}) {
            const json tracks = stand.parsed(playlistPath(id))["result"]["tracks"];
            ASSERT_EQ(tracks.size(), count) << id;
            const json playlist = stand.parsed(v6Path(id))["playlist"];
            EXPECT_EQ(valuesOf(playlist["trackIds"], "id"), valuesOf(tracks, "id")) << id;
            EXPECT_EQ(playlist["tracks"].size(), std::min(count, 20u)) << id;
            const json songs = stand.parsed(songDetailPath(tracks))["songs"];
            EXPECT_EQ(valuesOf(songs, "id"), valuesOf(tracks, "id")) << id;
            EXPECT_EQ(valuesOf(songs, "mp3Url"), valuesOf(tracks, "mp3Url")) << id;
            for (const json& track : tracks) {
                const std::int64_t song = track["id"].get<std::int64_t>();
                const bool outer =
                    song == audioFaultSongId(AudioFault::OuterOnly) || song == audioFaultSongId(AudioFault::OuterTo404);
                EXPECT_EQ(track["mp3Url"], outer ? json() : json(stand.base() + audioPath(song))) << song;
            }
        }
    }
}

// Faults that strike once need a stand-in of their own: the first request for the song is spoiled, and only that.
class AudioFaults : public ::testing::Test {
protected:
    Stand stand_;
};

struct Transfer {
    bool complete = false;
    int status = 0;
    std::string promisedLength, body;
};

Transfer transfer(const Stand& stand, const std::string& path, const httplib::Headers& headers = {}) {
    Transfer got;
    const auto headed = [&got](const httplib::Response& response) {
        got.status = response.status;
        got.promisedLength = response.get_header_value("Content-Length");
        return true;
    };
    const auto received = [&got](const char* data, std::size_t length) {
        got.body.append(data, length);
        return true;
    };
    got.complete = static_cast<bool>(httplib::Client(stand.base()).Get(path, headers, headed, received));
    return got;
}

TEST_F(AudioFaults, CutAndBusyStrikeTheFirstRequestOnly) {
    const std::string audio = songAudio(audioFaultSongId(AudioFault::CutOnce));
    const Transfer cut = transfer(stand_, faultAudio(AudioFault::CutOnce));
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.promisedLength, std::to_string(audio.size()));
    ASSERT_EQ(cut.body, audio.substr(0, audio.size() / 2));
    // Resuming where the cut left off gives the rest; asking again gives the whole.
    const Transfer rest =
        transfer(stand_, faultAudio(AudioFault::CutOnce), rangeOf(std::to_string(cut.body.size()) + "-"));
    EXPECT_EQ(rest.status, 206);
    EXPECT_EQ(cut.body + rest.body, audio);
    EXPECT_EQ(transfer(stand_, faultAudio(AudioFault::CutOnce)).body, audio);
    Stand fresh;
    EXPECT_FALSE(transfer(fresh, faultAudio(AudioFault::CutOnce)).complete) << "once for each running stand-in";

    auto busy = stand_.get(faultAudio(AudioFault::BusyOnce));
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->status, 503);
    EXPECT_EQ(busy->get_header_value("Retry-After"), "1");
    EXPECT_EQ(stand_.get(faultAudio(AudioFault::BusyOnce))->body, songAudio(audioFaultSongId(AudioFault::BusyOnce)));
}

TEST_F(AudioFaults, RangeIgnoredSendsTheWholeBodyEveryTime) {
    for (int round = 0; round < 2; ++round) {
        auto result = stand_.get(faultAudio(AudioFault::RangeIgnored), rangeOf("4096-"));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_FALSE(result->has_header("Content-Range"));
        EXPECT_EQ(result->body, songAudio(audioFaultSongId(AudioFault::RangeIgnored)));
    }
}

// A stalled transfer sends a first piece and then nothing, while the song serves others whole; the stop lets go.
TEST_F(AudioFaults, StallOnceHoldsTheFirstTransferUntilStop) {
    std::promise<void> pieceArrived;
    bool signalled = false;
    std::size_t received = 0;
    bool complete = true;
    std::thread stalled([&] {
        const auto signal = [&] {
            if (!std::exchange(signalled, true)) pieceArrived.set_value();
        };
        complete = static_cast<bool>(
            httplib::Client(stand_.base()).Get(faultAudio(AudioFault::StallOnce), [&](const char*, std::size_t length) {
                received += length;
                if (received >= kStallBytes) signal();
                return true;
            }));
        signal();
    });
    pieceArrived.get_future().wait();
    EXPECT_EQ(stand_.get(faultAudio(AudioFault::StallOnce))->body, songAudio(audioFaultSongId(AudioFault::StallOnce)));
    stand_.service().stop();
    stalled.join();
    EXPECT_FALSE(complete);
    EXPECT_EQ(received, kStallBytes);
}

// The benchmark's delay holds audio answers only: eight held transfers leave room for the listings, and stopping
// lets them go at once.
TEST(AudioDelay, HoldsEveryAudioAnswerButNotTheListings) {
    StubOptions options;
    options.audioDelayMs = 600'000;
    Stand stand(options);
    constexpr int kTransfers = 8;
    std::atomic<int> answered = 0;
    std::vector<int> statuses(kTransfers, 0);
    std::vector<std::thread> transfers;
    for (int i = 0; i < kTransfers; ++i) {
        transfers.emplace_back([&, i] {
            auto result = stand.get(audioPath(kFirstDownloadSong + i));
            statuses[static_cast<std::size_t>(i)] = result ? result->status : -1;
            ++answered;
        });
    }
    stand.service().waitForRequests(kTransfers);
    EXPECT_EQ(stand.parsed(playlistPath(kDownloadPlaylistId))["result"]["tracks"].size(), 200u);
    EXPECT_EQ(answered, 0);
    stand.service().stop();
    for (std::thread& transfer : transfers) transfer.join();
    EXPECT_EQ(statuses, std::vector<int>(kTransfers, 503));

    options.audioDelayMs = 1;
    Stand brief(options);
    EXPECT_EQ(brief.get(audioPath(kFirstDownloadSong), rangeOf("100-"))->body,
              songAudio(kFirstDownloadSong).substr(100));
}

}  // namespace
}  // namespace velomir
