#include "lyrics/lyric_source.h"

#include <cstdint>

#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

std::string lyricAddress(const std::string& songId) {
    const std::int64_t id = integerValue64(songId);
    if (id <= 0) return {};
    return "http://" + std::string(kMainHost) + "/api/song/lyric?id=" + std::to_string(id) + "&lv=-1&kv=-1&tv=-1";
}

Lyrics fetchLyrics(HttpTransport& http, const std::string& songId, Status& status) {
    const std::string address = lyricAddress(songId);
    if (address.empty()) {
        status = Status{Status::Code::BadInput, "no song ID"};
        return {};
    }
    const std::string answer = http.fetchText(address, status);
    if (!status.ok()) return {};
    return readLyricAnswer(answer);
}

}  // namespace velomir
