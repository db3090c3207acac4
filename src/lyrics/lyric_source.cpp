#include "lyrics/lyric_source.h"

#include <cstdint>

#include "analysis/item_extraction.h"
#include "analysis/item_text.h"
#include "analysis/service_hosts.h"
#include "json/json_document.h"
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
    return readLyricReply(answer, status);
}

Lyrics readLyricReply(std::string_view answer, Status& status) {
    status = Status{};
    // A busy or refusing service says nothing about the song; only "does not exist" (404) means no lyrics.
    JsonDocument document;
    document.parse(answer, false);
    if (const std::string refusal = refusalOf(document); !refusal.empty() && itemText(document, "code") != "404") {
        status = Status{Status::Code::Refused, refusal};
        return {};
    }
    return readLyricAnswer(answer);
}

}  // namespace velomir
