// The big sample playlists (1,000 and 10,000 tracks), made on demand by the playlist answer generator.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "stub_answer.h"

namespace velomir {

class GeneratedPlaylists {
public:
    explicit GeneratedPlaylists(std::string baseAddress) : base_(std::move(baseAddress)) {}

    // Number of tracks of a generated playlist, 0 for any other ID.
    static int trackCount(std::int64_t playlistId);

    // Writes the playlist's answer piece by piece, every address pointing at the stand-in. From then on its
    // tracks answer songDetailTrack.
    void write(std::int64_t playlistId, const PieceSink& sink);

    // The track object of a generated track, with a usable "mp3Url", for song detail answers. Only tracks of
    // playlists already written are known: generating both lists just to look an ID up costs too much.
    std::optional<std::string> songDetailTrack(std::int64_t trackId) const;

private:
    struct Place {
        std::int64_t playlistId;
        int index;
    };
    bool indexed(std::int64_t playlistId) const;

    std::string base_;
    mutable std::mutex mutex_;
    std::map<std::int64_t, Place> places_;
    std::set<std::int64_t> indexedPlaylists_;
};

// Rewrites every address of the service's media hosts in a piece of answer to the stand-in's /audio or /cover.
std::string pointAddressesAt(std::string_view piece, std::string_view base);

}  // namespace velomir
