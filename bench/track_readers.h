#pragma once

#include <string_view>

namespace velomir::bench {

// The eight track fields in the order the extraction reads them: audio address, artist names, artist IDs, album
// picture address, album name, album ID, track name, track ID.
inline constexpr int kTrackFieldCount = 8;

// Receives every field of every track in order; artist names and IDs arrive joined by "/".
class TrackFieldSink {
public:
    virtual ~TrackFieldSink() = default;
    virtual void field(int position, std::string_view text) = 0;
};

// Each reader parses a whole playlist answer and walks result.tracks, giving strings without their quotes, numbers
// as written and null as "null"; a missing field gives the empty text. Result: the number of tracks, 0 when the
// answer has none or does not parse.

// Through velomir::JsonDocument, one full path per value as the extraction asks (escapes stay as written).
int readTracksOurs(std::string_view answer, TrackFieldSink& sink);
// Through nlohmann::json (escapes decoded).
int readTracksNlohmann(std::string_view answer, TrackFieldSink& sink);
// Through a RapidJSON DOM with numbers kept as their text (escapes decoded).
int readTracksRapidJson(std::string_view answer, TrackFieldSink& sink);

}  // namespace velomir::bench
