// The fixed tracks the stand-in serves: the sample playlist, album, artist page and single songs.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velomir {

// How a track's "mp3Url" member appears in list answers; song details always carry a usable address.
enum class AudioForm { Address, Null, Missing, Placeholder };

struct SampleArtist {
    std::string_view name;
    std::int64_t id;
};

struct SampleTrack {
    std::int64_t id;
    std::string_view name;    // JSON string contents as sent: escapes such as \" and \u2026 stay written out
    SampleArtist artists[3];  // unused slots have an empty name
    std::string_view albumName;
    std::int64_t albumId;
    std::int64_t pictureId;
    AudioForm audio;
    int durationMs;

    int artistCount() const;
};

std::span<const SampleTrack> samplePlaylistTracks();
std::span<const SampleTrack> sampleAlbumSongs();
std::span<const SampleTrack> sampleArtistSongs();
std::span<const SampleTrack> sampleSingleSongs();

// The first sample track with this ID in any of the lists above, or null.
const SampleTrack* findSampleTrack(std::int64_t id);

// Search results: a fixed list of tracks beyond 2^32, whatever the search text.
inline constexpr int kSearchTrackCount = 300;
std::int64_t searchTrackId(int index);  // index from 0
bool findSearchTrack(std::int64_t id, SampleTrack& track);

}  // namespace velomir
