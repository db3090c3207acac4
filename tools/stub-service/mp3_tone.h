// A short MP3 file made without an encoder, for the stand-in's audio addresses.
#pragma once

#include <cstdint>
#include <string>

namespace velomir {

// About two seconds of a soft tone (MPEG-1 Layer III, 48 kHz, 64 kbit/s, mono) whose pitch depends on seed.
std::string toneMp3(std::uint64_t seed);

}  // namespace velomir
