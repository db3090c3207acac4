// The lyrics of the songs asked for this session, by song ID: each song is asked of the service once, on a worker,
// however many windows want it and however often.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lyrics/lyrics.h"

namespace velomir {

class BackgroundWork;
class HttpTransport;

class LyricCache : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const Lyrics&)>;

    // Lives on the window's thread; requests go through `http` on `work`'s workers.
    LyricCache(HttpTransport& http, BackgroundWork& work, QObject* parent = nullptr);

    // The song's lyrics once they have come, else null.
    const Lyrics* find(const std::string& songId) const;
    // Hands the song's lyrics to `done`: at once when they have come, else when the song's one request answers (a
    // request under way is joined, not repeated). A failed request, or no song ID, gives None; a failed request is
    // asked again next time. `done` is dropped when `context` is gone by then.
    void fetch(const std::string& songId, QObject* context, Handler done);
    // Requests made so far.
    int requests() const { return requests_; }

private:
    struct Waiter {
        QPointer<QObject> context;
        Handler done;
    };
    struct Entry {
        bool ready = false;
        Lyrics lyrics;
        std::vector<Waiter> waiting;
    };

    void arrived(const std::string& songId, Lyrics lyrics, bool answered);

    HttpTransport& http_;
    BackgroundWork& work_;
    // Node-based: a handler may ask for another song while it holds a reference to its own.
    std::unordered_map<std::string, Entry> entries_;
    int requests_ = 0;
};

}  // namespace velomir
