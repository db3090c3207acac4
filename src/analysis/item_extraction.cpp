#include "analysis/item_extraction.h"

#include <unordered_map>

#include "analysis/http_text.h"
#include "analysis/http_transport.h"
#include "analysis/item_text.h"
#include "analysis/playlist_completion.h"
#include "analysis/service_catalogue.h"
#include "analysis/service_hosts.h"
#include "json/json_document.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::string_view kArtistStartMarker = "display:none;\">";
constexpr std::string_view kArtistEndMarker = "</textarea>";

std::string requestAddress(const std::string& text, LinkKind kind, int maxCount) {
    std::string address = replaceAllNoCase(serviceCatalogue().entry(kind).templateText, "{id}", text);
    address = replaceAllNoCase(address, "{u}", urlEncodeUtf8(text));
    return replaceAllNoCase(address, "{n}", std::to_string(maxCount));
}

// All values of a nested list field, such as every artist's name, joined by "/".
std::string joinedListField(JsonDocument& document, const std::string& itemPath, const std::string& field) {
    const std::size_t cut = findNoCase(field, ".[n].");
    if (cut == std::string::npos) return {};
    const std::string list = itemPath + field.substr(0, cut);
    const std::string tail = field.substr(cut + 5);
    const int count = document.count(list);
    std::string joined;
    for (int j = 1; j <= count; ++j) {
        joined += itemText(document, list + ".[" + std::to_string(j) + "]." + tail);
        if (j != count) joined += '/';
    }
    return joined;
}

std::vector<std::string> readFields(JsonDocument& document, const std::string& itemPath,
                                    const std::vector<std::string>& fields) {
    std::vector<std::string> values;
    values.reserve(fields.size());
    for (const std::string& field : fields) {
        values.push_back(containsNoCase(field, "[n]") ? joinedListField(document, itemPath, field)
                                                      : itemText(document, itemPath + field));
    }
    return values;
}

int listCount(JsonDocument& document, const std::string& listPath, LinkKind kind) {
    const std::string countPath =
        kind == LinkKind::Artist ? replaceAll(listPath, "[n]", "") : replaceAll(listPath, ".[n]", "");
    const int n = document.count(countPath);
    // A programme answer is one object, however many members it has.
    return (kind == LinkKind::Programme && n > 0) ? 1 : n;
}

// An artist page that is not a page may be the service's refusal, which is JSON.
std::string refusalOfPage(const std::string& page) {
    const std::size_t first = page.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || page[first] != '{') return {};
    JsonDocument document;
    document.parse(page, false);
    return refusalOf(document);
}

void report(Status& problem, Status::Code code, std::string message) {
    if (!message.empty()) problem = Status(code, std::move(message));
}

// Reads `n` items of the list at `listPath` ("...[n]..."); both lists are emptied first. A stop keeps the items
// read so far.
void readList(JsonDocument& document, const std::string& listPath, int n, const std::vector<std::string>& fields,
              bool programmeRecords, std::vector<TrackItem>& tracks, std::vector<ProgrammeItem>& programmes,
              const StopFlag* stop) {
    tracks.clear();
    programmes.clear();
    for (int i = 1; i <= n && (stop == nullptr || !stop->load()); ++i) {
        const std::string itemPath = replaceAll(listPath, "[n]", enclosed("[", std::to_string(i), "]"));
        std::vector<std::string> values = readFields(document, itemPath, fields);
        if (programmeRecords) {
            programmes.push_back(ProgrammeItem::fromFields(std::move(values)));
        } else {
            tracks.push_back(TrackItem::fromFields(std::move(values)));
        }
    }
}

// Reads the kind's list of a parsed answer.
int readItems(LinkKind kind, JsonDocument& document, std::vector<TrackItem>& tracks,
              std::vector<ProgrammeItem>& programmes, const StopFlag* stop = nullptr) {
    const std::string listPath = ServiceCatalogue::listPath(kind);
    const bool programmeRecords = ServiceCatalogue::recordTypeOfKind(kind) == RecordType::Programme;
    readList(document, listPath, listCount(document, listPath, kind), serviceCatalogue().fieldSetOfKind(kind),
             programmeRecords, tracks, programmes, stop);
    return programmeRecords ? static_cast<int>(programmes.size()) : static_cast<int>(tracks.size());
}

// The artist's JSON interface, for an artist page that no longer carries its hidden song list: the same fifty
// most popular songs, in the old field names.
Status fetchArtistSongs(const std::string& artistId, std::vector<TrackItem>& tracks,
                        std::vector<ProgrammeItem>& programmes, HttpTransport& http, const StopFlag* stop) {
    Status status;
    std::string answer = http.fetchText("http://" + std::string(kMainHost) + "/api/artist/" + artistId, status);
    if (!status.ok()) return status;
    JsonDocument document;
    document.parseAndRelease(answer, false);
    if (const std::string refusal = refusalOf(document); !refusal.empty()) return {Status::Code::Refused, refusal};
    readList(document, "hotSongs.[n]", document.count("hotSongs"), serviceCatalogue().trackFieldSet(), false, tracks,
             programmes, stop);
    return {};
}

// Search results that came without their album picture get it from song detail: one request for a page of
// results.
void fillMissingCovers(std::vector<TrackItem>& tracks, HttpTransport& http, const StopFlag* stop) {
    std::vector<std::string> ids;
    for (const TrackItem& track : tracks) {
        const std::int64_t id = integerValue64(track.trackId);
        if (track.albumPictureAddress.empty() && id > 0) ids.push_back(std::to_string(id));
    }
    std::unordered_map<std::string, std::string> covers;
    for (std::size_t first = 0; first < ids.size() && (stop == nullptr || !stop->load()); first += kCompletionBatch) {
        std::string batch;
        for (std::size_t i = first; i < std::min(ids.size(), first + kCompletionBatch); ++i) {
            batch += (batch.empty() ? "" : ",") + ids[i];
        }
        std::vector<TrackItem> details;
        std::vector<ProgrammeItem> none;
        JsonDocument document;
        std::string answer = http.fetchText(requestAddress(batch, LinkKind::Song, 0));
        document.parseAndRelease(answer, false);
        readItems(LinkKind::Song, document, details, none, stop);
        // Matched by ID: the answer may leave songs out.
        for (TrackItem& detail : details) {
            covers.emplace(std::to_string(integerValue64(detail.trackId)), std::move(detail.albumPictureAddress));
        }
    }
    for (TrackItem& track : tracks) {
        if (!track.albumPictureAddress.empty()) continue;
        const auto found = covers.find(std::to_string(integerValue64(track.trackId)));
        if (found != covers.end()) track.albumPictureAddress = found->second;
    }
}

}  // namespace

Status fetchItems(std::string& text, LinkKind kind, std::vector<TrackItem>& tracks,
                  std::vector<ProgrammeItem>& programmes, HttpTransport& http, int maxCount,
                  const FetchControl& control) {
    const StopFlag* stop = control.stop;
    if (kind == LinkKind::Unrecognised) return {Status::Code::BadInput, "no link kind"};
    if (kind != LinkKind::Search && integerValue64(text) <= 0) return {Status::Code::BadInput, "no ID"};
    if (kind == LinkKind::Search && removeBlanks(text).empty()) return {Status::Code::BadInput, "nothing to search"};
    text = replaceAllNoCase(text, kSearchKey, "");
    Status status;
    std::string answer = http.fetchText(requestAddress(text, kind, maxCount), status);
    Status problem;
    if (!status.ok()) report(problem, status.code(), status.message());
    if (kind == LinkKind::Artist) {
        const std::string page = std::move(answer);
        answer = textBetween(urlDecodeUtf8(page), std::string(kArtistStartMarker), std::string(kArtistEndMarker));
        if (answer.empty() && status.ok()) {
            const std::string refusal = refusalOfPage(page);
            if (refusal.empty()) return fetchArtistSongs(text, tracks, programmes, http, stop);
            report(problem, Status::Code::Refused, refusal);
        }
    }
    JsonDocument document;
    // The answer's memory goes back as soon as it is loaded: a large list then never needs it twice.
    document.parseAndRelease(answer, false);
    readItems(kind, document, tracks, programmes, stop);
    report(problem, Status::Code::Refused, refusalOf(document));
    if (kind == LinkKind::Search && problem.ok()) fillMissingCovers(tracks, http, stop);
    if (kind == LinkKind::Playlist && problem.ok()) {
        // An answer that is whole sends nothing more: old-shaped playlists behave as they always did.
        ListCompleteness completed =
            completePlaylist(text, declaredTrackCount(document), tracks, http, control.retry, stop, control.progress);
        if (control.completeness != nullptr) *control.completeness = std::move(completed);
    }
    return problem;
}

std::string refusalOf(JsonDocument& document) {
    const std::string code = itemText(document, "code");
    if (code.empty() || code == "200") return {};
    // Most refusals say why in "msg"; the private-playlist and verification answers in "message".
    std::string message = itemText(document, "msg");
    if (message.empty()) message = itemText(document, "message");
    return "code " + code + (message.empty() ? "" : ": " + message);
}

int extractItems(std::string_view answer, LinkKind kind, JsonDocument& document, std::vector<TrackItem>& tracks,
                 std::vector<ProgrammeItem>& programmes) {
    document.parse(answer, false);
    return readItems(kind, document, tracks, programmes);
}

int buildResultRows(RecordType recordType, const std::vector<TrackItem>& tracks,
                    const std::vector<ProgrammeItem>& programmes, std::vector<ResultRow>& rows) {
    rows.clear();
    if (recordType == RecordType::Programme) {
        rows.reserve(programmes.size());
        for (const ProgrammeItem& item : programmes) rows.push_back(ResultRow::fromProgramme(item));
    } else {
        rows.reserve(tracks.size());
        for (const TrackItem& item : tracks) rows.push_back(ResultRow::fromTrack(item));
    }
    return static_cast<int>(rows.size());
}

}  // namespace velomir
