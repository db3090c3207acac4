#include "media_answers.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "cover_picture.h"
#include "song_audio.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

constexpr int kDefaultSide = 300;

StubAnswer missingFile() { return StubAnswer{404, "text/plain", "Not Found", {}, false}; }

// The ID of "<digits><extension>", or -1 when the name has another form.
std::int64_t fileId(std::string_view file, std::string_view extension) {
    if (!file.ends_with(extension)) return -1;
    const std::string_view digits = file.substr(0, file.size() - extension.size());
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits.empty() || digits.size() > 18 || !allDigits) return -1;
    return integerValue64(digits);
}

int sideFrom(std::string_view text) {
    const int side = integerValue32(text);
    return side > 0 ? side : kDefaultSide;
}

}  // namespace

StubAnswer coverAnswer(std::string_view file, std::string_view sizeParam) {
    const std::size_t separator = sizeParam.find_first_of("xy");
    const int width = sideFrom(sizeParam.substr(0, separator));
    const int height = separator == std::string_view::npos ? width : sideFrom(sizeParam.substr(separator + 1));
    const std::int64_t jpegId = fileId(file, ".jpg");
    const std::int64_t pngId = fileId(file, ".png");
    if (jpegId >= 0) return StubAnswer{200, "image/jpeg", coverJpeg(jpegId, width, height), {}, false};
    if (pngId >= 0) return StubAnswer{200, "image/png", coverPng(pngId, width, height), {}, false};
    return missingFile();
}

std::int64_t audioFileId(std::string_view file) { return fileId(file, ".mp3"); }

StubAnswer audioAnswer(std::string_view file) {
    const std::int64_t id = audioFileId(file);
    if (id <= 0) return missingFile();
    return StubAnswer{200, std::string(kAudioType), songAudio(id), {}, false};
}

}  // namespace velomir
