// Answers built to hurt a client: sample IDs whose answers are huge, deep, malformed or lead elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "stub_answer.h"

namespace velomir {

// Playlist IDs of the hostile answers, and the artist whose page hides its list among thousands of text areas.
inline constexpr std::int64_t kDeepNestingPlaylist = 9100001;   // 1,000,000 nested brackets
inline constexpr std::int64_t kGiantStringPlaylist = 9100002;   // one name of 50 MB
inline constexpr std::int64_t kBrokenBytesPlaylist = 9100003;   // invalid UTF-8 and NULs
inline constexpr std::int64_t kCrowdedTrackPlaylist = 9100004;  // 100,000 artists on one track
inline constexpr std::int64_t kEmptyObjectsPlaylist = 9100006;  // 200,000 empty track objects
inline constexpr std::int64_t kFileRedirectPlaylist = 9100007;  // 302 to a file:// address
inline constexpr std::int64_t kFtpRedirectPlaylist = 9100008;   // 302 to an ftp:// address
inline constexpr std::int64_t kManyTextAreasArtist = 9100005;   // 10,000 hidden text areas

// The hostile playlist answer of an ID; nullopt for any other ID.
std::optional<StubAnswer> hostilePlaylist(std::int64_t id);
// Where a hostile playlist redirects to; nullopt for any other ID.
std::optional<std::string> hostileRedirect(std::int64_t playlistId);
// The artist page with 10,000 hidden text areas, the first holding one song.
StubAnswer manyTextAreasPage();

}  // namespace velomir
