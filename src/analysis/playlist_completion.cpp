#include "analysis/playlist_completion.h"

#include <thread>
#include <unordered_map>

#include "analysis/audio_address.h"
#include "analysis/item_extraction.h"
#include "analysis/item_text.h"
#include "analysis/service_hosts.h"
#include "json/json_document.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

bool stopped(const StopFlag* stop) { return stop != nullptr && stop->load(); }

void pause(const BusyRetry& retry, std::chrono::milliseconds length) {
    if (length.count() <= 0) return;
    if (retry.sleep) {
        retry.sleep(length);
    } else {
        std::this_thread::sleep_for(length);
    }
}

// The newer playlist detail: only its trackIds matter, so no full track is asked for.
std::string playlistIdsAddress(const std::string& playlistId) {
    return "http://" + std::string(kMainHost) + "/api/v6/playlist/detail?id=" + playlistId + "&n=0&s=0";
}

std::string songDetailAddress(const std::vector<std::string>& ids, std::size_t first, std::size_t count) {
    std::string address = "http://" + std::string(kMainHost) + "/api/song/detail/?ids=[";
    for (std::size_t i = first; i < first + count; ++i) address += (i > first ? "," : "") + ids[i];
    return address + "]";
}

// The service's word for "too many requests, come back later", in its answers' codes.
bool busyAnswer(long httpCode, JsonDocument& document) {
    if (httpCode == 429 || httpCode == 503) return true;
    const std::string code = itemText(document, "code");
    if (code == "405" || code == "406") return true;
    return code == "-460" && itemText(document, "msg").find("网络太拥挤") != std::string::npos;
}

std::vector<std::string> orderedIds(JsonDocument& document) {
    std::vector<std::string> ids;
    const int n = document.count("playlist.trackIds");
    ids.reserve(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 1; i <= n; ++i) {
        const std::string id = itemText(document, "playlist.trackIds.[" + std::to_string(i) + "].id");
        if (integerValue64(id) > 0) ids.push_back(trackIdKey(id));
    }
    return ids;
}

// The list's tracks in order up to the first one not yet asked for; asked IDs without an answer are gone.
std::vector<TrackItem> knownBeginning(const std::vector<std::string>& ids,
                                      const std::unordered_map<std::string, TrackItem>& known,
                                      const std::vector<std::string>& missing, std::size_t asked) {
    std::unordered_map<std::string, std::size_t> place;
    for (std::size_t i = asked; i < missing.size(); ++i) place.emplace(missing[i], i);
    std::vector<TrackItem> beginning;
    for (const std::string& id : ids) {
        if (const auto found = known.find(id); found != known.end()) {
            beginning.push_back(found->second);
        } else if (place.count(id) != 0) {
            break;
        }
    }
    return beginning;
}

}  // namespace

int declaredTrackCount(JsonDocument& document) {
    return std::max(integerValue32(itemText(document, "result.trackCount")), 0);
}

std::string fetchPatiently(HttpTransport& http, const std::string& address, const BusyRetry& retry, Status& status) {
    std::chrono::milliseconds wait = retry.firstPause;
    for (int attempt = 1;; ++attempt) {
        HttpReply reply = http.get({address, HttpRequest::Body::Text, true});
        status = reply.status;
        if (!status.ok()) return {};
        JsonDocument document;
        document.parse(reply.body, false);
        if (!busyAnswer(reply.code, document)) return std::move(reply.body);
        if (attempt >= retry.attempts) {
            const std::string refusal = refusalOf(document);
            status = {Status::Code::Refused, refusal.empty() ? "the service stayed busy" : refusal};
            return {};
        }
        velomir::pause(retry, wait);
        wait *= 2;
    }
}

ListCompleteness completePlaylist(const std::string& playlistId, int declared, std::vector<TrackItem>& tracks,
                                  HttpTransport& http, const BusyRetry& retry, const StopFlag* stop,
                                  const CompletionProgress& progress) {
    ListCompleteness result;
    result.declared = declared;
    if (declared <= static_cast<int>(tracks.size()) || stopped(stop)) return result;
    JsonDocument document;
    pause(retry, retry.pace);
    std::string answer = fetchPatiently(http, playlistIdsAddress(playlistId), retry, result.problem);
    if (!result.problem.ok()) return result;
    document.parseAndRelease(answer, false);
    if (const std::string refusal = refusalOf(document); !refusal.empty()) {
        result.problem = {Status::Code::Refused, refusal};
        return result;
    }
    const std::vector<std::string> ids = orderedIds(document);
    if (ids.empty()) {
        result.problem = {Status::Code::Failed, "the playlist's track list did not come"};
        return result;
    }
    // The tracks already given are kept as they are; only the others are asked for.
    std::unordered_map<std::string, TrackItem> known;
    for (TrackItem& track : tracks) known.emplace(trackIdKey(track.trackId), std::move(track));
    std::vector<std::string> missing;
    for (const std::string& id : ids) {
        if (known.find(id) == known.end()) missing.push_back(id);
    }
    for (std::size_t first = 0; first < missing.size() && result.problem.ok(); first += kCompletionBatch) {
        if (stopped(stop)) {
            result.problem = {Status::Code::Stopped, "stopped"};
            break;
        }
        const std::size_t count = std::min(kCompletionBatch, missing.size() - first);
        pause(retry, retry.pace);
        Status status;
        const std::string detail = fetchPatiently(http, songDetailAddress(missing, first, count), retry, status);
        if (!status.ok()) {
            result.problem = status;
            break;
        }
        std::vector<TrackItem> found;
        std::vector<ProgrammeItem> none;
        JsonDocument songs;
        extractItems(detail, LinkKind::Song, songs, found, none);
        if (const std::string refusal = refusalOf(songs); !refusal.empty()) {
            result.problem = {Status::Code::Refused, refusal};
            break;
        }
        // Matched by ID, never by position: the answer leaves out the songs it no longer knows.
        for (TrackItem& track : found) known.emplace(trackIdKey(track.trackId), std::move(track));
        if (progress.loaded) {
            progress.loaded(static_cast<int>(std::min(known.size(), ids.size())), static_cast<int>(ids.size()));
        }
        if (progress.listed) progress.listed(knownBeginning(ids, known, missing, first + count));
    }
    std::vector<TrackItem> whole;
    whole.reserve(ids.size());
    for (const std::string& id : ids) {
        auto found = known.find(id);
        if (found == known.end()) {
            ++result.removed;
            continue;
        }
        whole.push_back(std::move(found->second));
        known.erase(found);
    }
    // A failure part way: the IDs not yet asked are not "removed", they are missing from the list.
    if (!result.problem.ok()) result.removed = 0;
    tracks = std::move(whole);
    return result;
}

}  // namespace velomir
