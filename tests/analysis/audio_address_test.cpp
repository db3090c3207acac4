#include "analysis/audio_address.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/playlist_export.h"
#include "fake_transport.h"

namespace velomir {
namespace {

using testing::FakeTransport;

TEST(AudioAddress, EmptyAndThePlaceholderAreMissing) {
    for (const char* missing : {"", "http://m2.music.126.net/hJx4sA==/0.mp3", "http://m/0.MP3?t=1", "/0.mp3#x"}) {
        EXPECT_TRUE(isMissingAudioAddress(missing)) << missing;
    }
    for (const char* usable : {"http://m/10.mp3", "http://m/0.mp3/1.mp3", "http://m/a0.mp3", "http://m/?f=0.mp3"}) {
        EXPECT_FALSE(isMissingAudioAddress(usable)) << usable;
    }
}

TEST(AudioAddress, PlayableWithoutARequest) {
    ResultRow track;
    track.trackId = "5";
    track.audioAddress = "http://m/0.mp3";
    EXPECT_EQ(playableAudioAddress(track), outerAudioAddress("5"));
    track.audioAddress = "http://m/5.mp3";
    EXPECT_EQ(playableAudioAddress(track), "http://m/5.mp3");
    ResultRow programme;  // a programme's answer carries no song ID: it keeps what it has
    programme.programmeId = "9";
    EXPECT_EQ(playableAudioAddress(programme), "");
}

struct ResolveCase {
    const char* listed;  // the address the list gave
    const char* detail;  // song detail's answer
    const char* resolved;
};

TEST(ResolveAudioAddress, SongDetailFirstThenTheOuterAddress) {
    const std::string outer = outerAudioAddress("102");
    const std::string detail = R"({"songs":[{"id":102,"mp3Url":"http://m/102.mp3"}],"code":200})";
    const std::string placeholder = R"({"songs":[{"id":102,"mp3Url":"http://m/0.mp3"}],"code":200})";
    const std::string withheld = R"({"songs":[{"id":102,"mp3Url":null}],"code":200})";
    const ResolveCase cases[] = {
        {"", detail.c_str(), "http://m/102.mp3"},
        {"http://m/0.mp3", detail.c_str(), "http://m/102.mp3"},
        {"", placeholder.c_str(), outer.c_str()},
        {"", withheld.c_str(), outer.c_str()},
        {"", "", outer.c_str()},  // the request failed
        {"http://m/1.mp3", detail.c_str(), "http://m/1.mp3"},
    };
    for (const auto& c : cases) {
        FakeTransport http;
        http.answer("ids=[102]", c.detail);
        std::vector<ResultRow> rows(1);
        rows[0].trackId = "102";
        rows[0].audioAddress = c.listed;
        resolveAudioAddress(1, rows, http, 100);
        EXPECT_EQ(rows[0].audioAddress, c.resolved) << c.listed << " / " << c.detail;
        resolveAudioAddress(1, rows, http, 100);
        EXPECT_LE(http.requests.size(), 1u) << "the row keeps what was resolved";
    }
}

// Song detail answers ten songs in reverse order and leaves the rest out: rows are matched by ID.
class ReversingSongDetail : public FakeTransport {
public:
    HttpReply get(const HttpRequest& request) override {
        const std::string& address = request.address;
        requests.push_back(address);
        const std::size_t open = address.find("ids=[");
        std::vector<std::string> ids;
        std::string id;
        for (std::size_t i = open + 5; i < address.size() && address[i] != ']'; ++i) {
            if (address[i] == ',') {
                ids.push_back(id);
                id.clear();
            } else {
                id += address[i];
            }
        }
        ids.push_back(id);
        std::string songs;
        for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
            if (std::stoll(*it) % 10 != 0) continue;
            songs += std::string(songs.empty() ? "" : ",") + R"({"id":)" + *it + R"(,"mp3Url":"http://m/)" + *it +
                     R"(.mp3"})";
        }
        return {{}, 200, R"({"songs":[)" + songs + R"(],"code":200})", {}};
    }
};

TEST(ResolveAudioAddresses, AHundredIdsARequestMatchedById) {
    ReversingSongDetail http;
    std::vector<ResultRow> rows(452);
    for (int i = 0; i < 450; ++i) rows[i].trackId = std::to_string(1000 + i);
    rows[3].audioAddress = "http://m/kept.mp3";
    rows[450].programmeId = "77";  // a programme row stays as it is
    rows[451].trackId = "1010";    // the same track twice is asked for once
    resolveAudioAddresses(rows, http, 100);
    ASSERT_EQ(http.requests.size(), 5u);
    EXPECT_EQ(std::count(http.requests[0].begin(), http.requests[0].end(), ','), 99);
    EXPECT_EQ(rows[3].audioAddress, "http://m/kept.mp3");
    EXPECT_EQ(rows[10].audioAddress, "http://m/1010.mp3");
    EXPECT_EQ(rows[449].audioAddress, outerAudioAddress("1449"));
    EXPECT_EQ(rows[450].audioAddress, "");
    EXPECT_EQ(rows[451].audioAddress, "http://m/1010.mp3");
    for (int i = 0; i < 450; ++i) {
        const std::string id = std::to_string(1000 + i);
        if (i == 3) continue;
        EXPECT_EQ(rows[i].audioAddress, i % 10 == 0 ? "http://m/" + id + ".mp3" : outerAudioAddress(id));
    }
}

TEST(PlaylistExport, M3uAndAddressLines) {
    std::vector<ResultRow> rows(3);
    rows[0] = {"http://a/1.mp3", "Song\tOne", "1", "A/B", "", "", "", "", "", "", "", "", "", "", "", ""};
    rows[1].trackName = "no address";
    rows[2] = {"http://a/3.mp3", "Three", "3", "", "", "", "", "", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(audioAddressLines(rows), "http://a/1.mp3\nhttp://a/3.mp3");
    EXPECT_EQ(
        m3uPlaylist(rows, RecordType::Track, "[歌单]x\n"),
        "#EXTM3U\n#PLAYLIST:[歌单]x \n#EXTINF:-1,A/B - Song One\nhttp://a/1.mp3\n#EXTINF:-1,Three\nhttp://a/3.mp3\n");
    std::vector<ResultRow> programmes(1);
    programmes[0].audioAddress = "http://a/p.mp3";
    programmes[0].programmeName = "P";
    programmes[0].djNickname = "DJ";
    EXPECT_EQ(m3uPlaylist(programmes, RecordType::Programme, ""),
              "#EXTM3U\n#PLAYLIST:\n#EXTINF:-1,DJ - P\nhttp://a/p.mp3\n");
}

}  // namespace
}  // namespace velomir
