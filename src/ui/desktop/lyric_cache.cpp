#include "ui/desktop/lyric_cache.h"

#include <utility>

#include "lyrics/lyric_source.h"
#include "ui/desktop/background_work.h"

namespace velomir {

LyricCache::LyricCache(HttpTransport& http, BackgroundWork& work, QObject* parent)
    : QObject(parent), http_(http), work_(work) {}

const Lyrics* LyricCache::find(const std::string& songId) const {
    const auto found = entries_.find(songId);
    return found != entries_.end() && found->second.ready ? &found->second.lyrics : nullptr;
}

void LyricCache::fetch(const std::string& songId, QObject* context, Handler done) {
    if (lyricAddress(songId).empty()) {
        done(Lyrics{});
        return;
    }
    const auto [found, added] = entries_.try_emplace(songId);
    Entry& entry = found->second;
    if (entry.ready) {
        done(entry.lyrics);
        return;
    }
    entry.waiting.push_back({context, std::move(done)});
    if (!added) return;
    ++requests_;
    HttpTransport& http = http_;
    work_.run<std::pair<Lyrics, bool>>(
        this,
        [&http, songId] {
            Status status;
            Lyrics lyrics = fetchLyrics(http, songId, status);
            return std::pair{std::move(lyrics), status.ok()};
        },
        [this, songId](std::pair<Lyrics, bool> answer) { arrived(songId, std::move(answer.first), answer.second); });
}

void LyricCache::arrived(const std::string& songId, Lyrics lyrics, bool answered) {
    const auto found = entries_.find(songId);
    // Taken out first: a handler may ask for more, which would add to this list while it is walked.
    const std::vector<Waiter> waiting = std::exchange(found->second.waiting, {});
    // A failed request is forgotten, so that the next look at the song asks again instead of showing none all session.
    if (answered) {
        found->second.lyrics = std::move(lyrics);
        found->second.ready = true;
    } else {
        entries_.erase(found);
    }
    const Lyrics* kept = answered ? find(songId) : nullptr;
    const Lyrics none;
    for (const Waiter& waiter : waiting) {
        if (waiter.context) waiter.done(kept != nullptr ? *kept : none);
    }
}

}  // namespace velomir
