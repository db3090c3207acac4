// The sample radio station and its programmes, made from their index so that any number can be served.
#pragma once

#include <cstdint>
#include <string_view>

#include "json_writer.h"
#include "sample_tracks.h"

namespace velomir {

inline constexpr std::int64_t kSampleRadioId = 350117068;
inline constexpr int kRadioProgrammeCount = 150;

// Index 0..149 of the station's programme with this ID (the first is 794062371), or -1.
int programmeIndex(std::int64_t programmeId);

// Fills song with the main song of the programme that has this song ID; false when there is none.
bool findProgrammeSong(std::int64_t songId, SampleTrack& song);

// The programme object of the detail answer (member "program") and of the station's list (empty member).
void writeProgramme(JsonWriter& out, std::string_view member, int index, std::string_view base);

}  // namespace velomir
