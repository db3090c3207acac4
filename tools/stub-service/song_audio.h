// The audio the stand-in serves at /audio/ID.mp3, for tests that compare a saved file with it.
#pragma once

#include <cstdint>
#include <string>

namespace velomir {

// The exact body of a whole, unspoiled answer for /audio/ID.mp3: about 1 MB of MPEG frames (no ID3v1 or APE tag
// at the end, the song ID in every frame's ancillary bytes) for the songs of the download playlists, the HTML page
// of the song whose audio is one, the 2 s tone for every other song. Empty where no body is served: ID 0 (the
// service's placeholder) and below, and the song whose audio address redirects to the 404 page.
std::string songAudio(std::int64_t songId);

}  // namespace velomir
