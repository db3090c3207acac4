#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bench/track_readers.h"

namespace velomir::bench {

using TrackReader = int (*)(std::string_view answer, TrackFieldSink& sink);

// Every field of every track in reading order, eight per track.
std::vector<std::string> collectFields(TrackReader reader, std::string_view answer);

// Decodes the JSON escapes that our reader keeps as written, so its fields compare with the decoding readers'.
// Text that is not a valid string body comes back unchanged.
std::string decodeEscapes(std::string_view text);

// Empty when both lists agree; otherwise where and how they first differ, and how many fields differ.
std::string describeDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual);

}  // namespace velomir::bench
