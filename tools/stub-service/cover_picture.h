// Cover pictures drawn by code: a record on a background whose colour depends on the picture ID.
#pragma once

#include <cstdint>
#include <string>

namespace velomir {

// Encoded picture files of width x height pixels (each clamped to 1..1024); empty if encoding fails.
std::string coverPng(std::uint64_t pictureId, int width, int height);
std::string coverJpeg(std::uint64_t pictureId, int width, int height);

}  // namespace velomir
