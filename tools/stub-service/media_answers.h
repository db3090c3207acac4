// Cover pictures and audio files, addressed by the IDs that the stand-in's answers put in their addresses.
#pragma once

#include <cstdint>
#include <string_view>

#include "stub_answer.h"

namespace velomir {

// file is "<id>.jpg" or "<id>.png"; sizeParam is the service's "WIDTHyHEIGHT" (empty: 300 x 300).
StubAnswer coverAnswer(std::string_view file, std::string_view sizeParam);

inline constexpr std::string_view kAudioType = "audio/mpeg";

// file is "<id>.mp3"; the placeholder ID 0 has no audio, as with the service.
StubAnswer audioAnswer(std::string_view file);
// The ID of "<id>.mp3", or -1 for a name of another form.
std::int64_t audioFileId(std::string_view file);

}  // namespace velomir
