#include "analysis/audio_address.h"

#include <unordered_map>
#include <unordered_set>

#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kPlaceholderFile = "0.mp3";

bool needsAddress(const ResultRow& row) {
    return integerValue64(row.trackId) > 0 && isMissingAudioAddress(row.audioAddress);
}

std::vector<TrackItem> askSongDetail(const std::string& ids, HttpTransport& http, int maxCount) {
    std::string text = ids;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    fetchItems(text, LinkKind::Song, tracks, programmes, http, maxCount);
    return tracks;
}

}  // namespace

std::string trackIdKey(const std::string& id) { return std::to_string(integerValue64(id)); }

bool isMissingAudioAddress(std::string_view address) {
    if (address.empty()) return true;
    const std::size_t end = address.find_first_of("?#");
    const std::string_view path = address.substr(0, end);
    const std::size_t slash = path.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return asciiLower(file) == kPlaceholderFile;
}

std::string playableAudioAddress(const ResultRow& row) {
    return needsAddress(row) ? outerAudioAddress(row.trackId) : row.audioAddress;
}

void resolveAudioAddress(int row, std::vector<ResultRow>& rows, HttpTransport& http, int maxCount) {
    if (row <= 0 || row > static_cast<int>(rows.size())) return;
    if (!needsAddress(rows[row - 1])) return;
    const std::string& trackId = rows[row - 1].trackId;
    const std::vector<TrackItem> tracks = askSongDetail(trackId, http, maxCount);
    const bool answered = !tracks.empty() && !isMissingAudioAddress(tracks.back().audioAddress);
    rows[row - 1].audioAddress = answered ? tracks.back().audioAddress : outerAudioAddress(trackId);
}

void resolveAudioAddresses(std::vector<ResultRow>& rows, HttpTransport& http, int maxCount) {
    std::vector<std::string> ids;
    std::unordered_set<std::string> seen;
    for (const ResultRow& row : rows) {
        if (needsAddress(row) && seen.insert(trackIdKey(row.trackId)).second) ids.push_back(trackIdKey(row.trackId));
    }
    std::unordered_map<std::string, std::string> found;
    for (std::size_t first = 0; first < ids.size(); first += kSongDetailBatch) {
        std::string batch;
        for (std::size_t i = first; i < std::min(ids.size(), first + kSongDetailBatch); ++i) {
            batch += (batch.empty() ? "" : ",") + ids[i];
        }
        // Matched by ID, never by position: the answer may leave songs out or list them in its own order.
        for (TrackItem& track : askSongDetail(batch, http, maxCount)) {
            if (!isMissingAudioAddress(track.audioAddress))
                found[trackIdKey(track.trackId)] = std::move(track.audioAddress);
        }
    }
    for (ResultRow& row : rows) {
        if (!needsAddress(row)) continue;
        const auto answer = found.find(trackIdKey(row.trackId));
        row.audioAddress = answer != found.end() ? answer->second : outerAudioAddress(row.trackId);
    }
}

std::string resolveWidgetAudio(const WidgetRequest& request, HttpTransport& http) {
    const LinkKind kind = request.type == kSongWidget        ? LinkKind::Song
                          : request.type == kProgrammeWidget ? LinkKind::Programme
                                                             : LinkKind::Unrecognised;
    if (kind == LinkKind::Unrecognised) return {};
    std::string id = request.id;
    std::vector<TrackItem> tracks;
    std::vector<ProgrammeItem> programmes;
    // The detail answers carry no count placeholder, so the maximum count does not matter.
    fetchItems(id, kind, tracks, programmes, http, 1);
    if (kind == LinkKind::Song) {
        if (tracks.empty()) return {};
        // A song the service knows but whose address it withholds plays through the outer address.
        const std::string& audio = tracks.front().audioAddress;
        return isMissingAudioAddress(audio) ? outerAudioAddress(request.id) : audio;
    }
    return programmes.empty() ? std::string() : programmes.front().audioAddress;
}

}  // namespace velomir
