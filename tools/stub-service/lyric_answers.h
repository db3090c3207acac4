// The lyric interface's answers: a shape of its own for each of a few sample songs, a short generated text for
// every other song.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velomir {

// The answer body for a song the stand-in knows; the caller answers unknown IDs with the short 404 answer.
std::string lyricAnswerBody(std::int64_t songId, std::string_view base);

}  // namespace velomir
