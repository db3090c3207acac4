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
    work_.run<Lyrics>(
        this,
        [&http, songId] {
            Status status;
            return fetchLyrics(http, songId, status);
        },
        [this, songId](Lyrics lyrics) { arrived(songId, std::move(lyrics)); });
}

void LyricCache::arrived(const std::string& songId, Lyrics lyrics) {
    Entry& entry = entries_[songId];
    entry.lyrics = std::move(lyrics);
    entry.ready = true;
    // Taken out first: a handler may ask for more, which would add to this list while it is walked.
    const std::vector<Waiter> waiting = std::exchange(entry.waiting, {});
    for (const Waiter& waiter : waiting) {
        if (waiter.context) waiter.done(entry.lyrics);
    }
}

}  // namespace velomir
