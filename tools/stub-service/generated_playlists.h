// The big sample playlists (1,000 and 10,000 tracks), made on demand by the playlist answer generator.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stub_answer.h"
#include "today_answers.h"

namespace velomir {

class GeneratedPlaylists {
public:
    explicit GeneratedPlaylists(std::string baseAddress) : base_(std::move(baseAddress)) {}

    // Number of tracks of a generated playlist, 0 for any other ID.
    static int trackCount(std::int64_t playlistId);

    // Writes the playlist's answer piece by piece, every address pointing at the stand-in. From then on its
    // tracks answer songDetailTrack.
    void write(std::int64_t playlistId, const PieceSink& sink);

    // The old answer as today's service gives it: the first `shown` tracks only, with the true trackCount.
    // It does not make the tracks known to song detail.
    void writeFirst(std::int64_t playlistId, int shown, const PieceSink& sink) const;

    // Every track ID in order and the first `wanted` tracks, for the v6 answer; from then on the tracks answer
    // songDetailTrack. `texts` holds the names the tracks point into.
    struct V6Tracks {
        std::vector<std::int64_t> ids;
        std::vector<V6Track> tracks;
        std::deque<std::string> texts;
    };
    V6Tracks v6Tracks(std::int64_t playlistId, int wanted);

    // The track object of a generated track, with a usable "mp3Url", for song detail answers. Only tracks of
    // playlists already written are known: generating both lists just to look an ID up costs too much.
    std::optional<std::string> songDetailTrack(std::int64_t trackId) const;

private:
    struct Place {
        std::int64_t playlistId;
        int index;
    };
    bool indexed(std::int64_t playlistId) const;
    void index(std::int64_t playlistId, std::map<std::int64_t, Place> places);

    std::string base_;
    mutable std::mutex mutex_;
    std::map<std::int64_t, Place> places_;
    std::set<std::int64_t> indexedPlaylists_;
};

// Rewrites every address of the service's media hosts in a piece of answer to the stand-in's /audio or /cover.
std::string pointAddressesAt(std::string_view piece, std::string_view base);

}  // namespace velomir
