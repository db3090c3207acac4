// What tells a received body apart from audio: the service's answers that are no file, and the first bytes of
// the formats it serves.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velomir {

// A body shorter than this is a few seconds of audio at best: an error page or a stub, not a song.
inline constexpr std::int64_t kMinAudioBytes = 8 * 1024;

enum class AudioFormat { None, Mp3, Flac, Mp4, Ogg };

// Up to `count` bytes of a file from `offset`; fewer at its end.
using ByteReader = std::function<std::string(std::int64_t offset, std::size_t count)>;

// The format a file's first bytes announce. An ID3v2 tag is skipped: MP3 only when a frame sync follows it.
AudioFormat sniffAudio(const ByteReader& read);
AudioFormat sniffAudio(std::string_view bytes);

// False for a Content-Type of text or HTML: what the service sends in place of a file it has not.
bool isAudioContentType(std::string_view contentType);

// True when `url` is the service's "no such file" page (http://music.163.com/404), whichever address it was
// reached through.
bool isServiceNotFoundPage(std::string_view url);

struct ContentRange {
    std::int64_t first = -1;  // -1: "*"
    std::int64_t last = -1;
    std::int64_t total = -1;  // -1: "*"
};

// "bytes FIRST-LAST/TOTAL" or "bytes */TOTAL"; nothing for anything else.
std::optional<ContentRange> parseContentRange(std::string_view value);

// A Retry-After in seconds; nothing for a date or anything else.
std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value);

}  // namespace velomir
