// A short MP3 file made without an encoder, for the stand-in's audio addresses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velomir {

// One frame of the tone lasts 24 ms and takes 192 bytes (MPEG-1 Layer III, 48 kHz, 64 kbit/s, mono).
inline constexpr int kToneFrameBytes = 192;
inline constexpr int kToneFrameMs = 24;

// About two seconds of a soft tone whose pitch depends on seed.
std::string toneMp3(std::uint64_t seed);

// frameCount frames of the same tone, faded in and out. A non-empty `ancillary` (at most 160 bytes) ends every
// frame, after the audio data where decoders skip it, so that files of one pitch still differ.
std::string toneMp3(std::uint64_t seed, int frameCount, std::string_view ancillary);

}  // namespace velomir
