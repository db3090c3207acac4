// Track objects in the shapes the service's answers carry them, every address pointing at the stand-in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "json_writer.h"
#include "sample_tracks.h"

namespace velomir {

std::string coverAddress(std::string_view base, std::int64_t pictureId);
std::string audioAddress(std::string_view base, std::int64_t id);

struct TrackStyle {
    AudioForm audio = AudioForm::Address;
    int position = 1;
    bool audioFirst = false;  // album answers list the address among the first members
    bool noPicture = false;   // programme songs may have a null album picture
    std::string_view member;  // empty for an array element
};

// The style of the position-th element (from 1) of a list answer.
TrackStyle listStyle(AudioForm audio, int position, bool audioFirst = false);

// The full object of playlist, album and song detail answers (the track field set and much more).
void writeTrack(JsonWriter& out, const SampleTrack& track, std::string_view base, const TrackStyle& style);

// The short object of search results and the artist page: "audio", "album" with "picUrl", names and IDs.
// escapedName replaces the track's name when not empty. pictureIdOnly gives the album a "picId" and no "picUrl",
// as today's search answers do.
void writeSearchTrack(JsonWriter& out, const SampleTrack& track, std::string_view base,
                      std::string_view escapedName = {}, bool pictureIdOnly = false);

// The track object of the newer interfaces: short member names ("ar", "al", "dt", "cd"), no "mp3Url".
void writeNewTrack(JsonWriter& out, const SampleTrack& track, std::string_view base, int number, int fee);

// The newer interfaces' playing rights of a track; a negative "st" marks one the service will not play.
void writePrivilege(JsonWriter& out, std::int64_t id, int fee, bool playable);

// The playlist creator member, the same user in every playlist answer.
void writeCreator(JsonWriter& out, std::string_view base);

}  // namespace velomir
