// Where a song's lyrics come from: the service's lyric interface, asked once per song.
#pragma once

#include <string>
#include <string_view>

#include "analysis/http_transport.h"
#include "analysis/status.h"
#include "lyrics/lyrics.h"

namespace velomir {

// "http://music.163.com/api/song/lyric?id=ID&lv=-1&kv=-1&tv=-1": -1 asks for the latest version of each text;
// empty when `songId` is no ID above 0.
std::string lyricAddress(const std::string& songId);

// Asks for and reads a song's lyrics. A failed request or a refusal (an answer whose "code" is neither 200 nor 404)
// gives None with `status` saying why; an answer that says there are none, 404 included, gives None with an ok
// status.
Lyrics fetchLyrics(HttpTransport& http, const std::string& songId, Status& status);

// Reads an answer of the lyric interface as fetchLyrics does, for callers that make the request themselves.
Lyrics readLyricReply(std::string_view answer, Status& status);

}  // namespace velomir
