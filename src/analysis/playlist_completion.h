// Completes a playlist whose old answer was cut: the service's old playlist detail gives one track, none, or the
// first 1,000, while its trackCount tells the truth.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "analysis/http_transport.h"
#include "analysis/result_row.h"
#include "analysis/status.h"

namespace velomir {

class JsonDocument;

// How a completion waits out a busy service. The pauses grow (1 s, 2 s, 4 s ...); tests give their own sleep.
struct BusyRetry {
    int attempts = 4;  // requests made at most for one answer
    std::chrono::milliseconds firstPause{1000};
    // Between the requests of one completion: four a second stay below the rates the service has throttled at.
    std::chrono::milliseconds pace{250};
    std::function<void(std::chrono::milliseconds)> sleep;  // empty: the calling thread sleeps
};

// What completing a list found.
struct ListCompleteness {
    int declared = 0;  // the tracks the playlist says it holds; 0 when its answer did not say
    int removed = 0;   // IDs the service lists but no longer describes, left out
    Status problem;    // why the completion ended short, if it did
};

// IDs of song detail asked in one request: 500 IDs of up to 12 digits keep the address near 7 KB, well below
// the lengths that have failed, and 20 requests cover the largest playlists.
inline constexpr std::size_t kCompletionBatch = 500;

// The playlist's true size from its old answer (result.trackCount); 0 when the answer does not give one.
int declaredTrackCount(JsonDocument& document);

// Makes `tracks` (the old answer's, kept as they are) the whole playlist in its order: the IDs from the newer
// playlist detail, then the missing tracks from song detail in batches, matched by ID. IDs song detail leaves
// out are counted as removed. A failure keeps the tracks found so far and says why. Sends nothing when `tracks`
// already holds `declared` tracks.
// What a completion tells as it goes, after each request.
struct CompletionProgress {
    std::function<void(int loaded, int total)> loaded;  // tracks known so far, tracks the list names
    // The list's beginning as far as it is known, in its order: it only grows until the completion ends.
    std::function<void(const std::vector<TrackItem>& listed)> listed;
};

ListCompleteness completePlaylist(const std::string& playlistId, int declared, std::vector<TrackItem>& tracks,
                                  HttpTransport& http, const BusyRetry& retry = {}, const StopFlag* stop = nullptr,
                                  const CompletionProgress& progress = {});

// Asks `address`, waiting out busy answers (HTTP 429 or 503, a body code of 405 or 406, -460 "网络太拥挤");
// gives the last answer's body, or "" with `status` set when the request failed or the service stayed busy.
std::string fetchPatiently(HttpTransport& http, const std::string& address, const BusyRetry& retry, Status& status);

}  // namespace velomir
