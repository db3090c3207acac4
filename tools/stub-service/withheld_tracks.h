// A playlist whose addresses the service withholds, as today's service does for most tracks: the list gives
// null or the /0.mp3 placeholder, and song detail gives a usable address for only one track in ten.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sample_tracks.h"

namespace velomir {

inline constexpr std::int64_t kWithheldPlaylistId = 1000000450;
inline constexpr int kWithheldTrackCount = 450;

// The track with this ID, or null; IDs are 6000000001 to 6000000450.
const SampleTrack* findWithheldTrack(std::int64_t id);

// How song detail gives a withheld track's address: usable for IDs ending in 0, the placeholder for those ending
// in 5, null for the rest.
AudioForm withheldDetailAudio(std::int64_t id);

// The whole playlist answer.
std::string withheldPlaylistBody(std::string_view base);

}  // namespace velomir
