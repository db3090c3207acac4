// Items and grid rows from any answer, for every kind. The input is the answer: read by each kind into one reused
// document and turned into rows, then fetched as the artist page and as one other kind's answer.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/http_text.h"
#include "analysis/http_transport.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/playlist_completion.h"
#include "analysis/service_catalogue.h"
#include "fuzz_support.h"
#include "json/json_document.h"
#include "text/text_helpers.h"

namespace {

using velomir::fuzz::require;

class FixedAnswer : public velomir::HttpTransport {
public:
    explicit FixedAnswer(std::string_view answer) : answer_(answer) {}
    velomir::HttpReply get(const velomir::HttpRequest&) override { return {{}, 200, answer_, {}}; }

private:
    std::string answer_;
};

struct Items {
    int count = 0;
    std::vector<velomir::TrackItem> tracks;
    std::vector<velomir::ProgrammeItem> programmes;
};

// Every field of every item, for comparing two extractions.
std::string fieldsOf(const Items& items) {
    std::string all;
    for (const auto& t : items.tracks) {
        for (const std::string* f : {&t.audioAddress, &t.artistNames, &t.artistIds, &t.albumPictureAddress,
                                     &t.albumName, &t.albumId, &t.trackName, &t.trackId}) {
            all += *f + '\x1F';
        }
    }
    for (const auto& p : items.programmes) {
        for (const std::string* f : {&p.audioAddress, &p.albumPictureAddress, &p.djUserId, &p.djNickname, &p.radioName,
                                     &p.radioId, &p.description, &p.programmeName, &p.programmeId}) {
            all += *f + '\x1F';
        }
    }
    return all;
}

void checkRows(const Items& items, velomir::LinkKind kind, std::string_view input) {
    const velomir::RecordType recordType = velomir::ServiceCatalogue::recordTypeOfKind(kind);
    std::vector<velomir::ResultRow> rows(1);
    require(velomir::buildResultRows(recordType, items.tracks, items.programmes, rows) == items.count,
            "one row per item", input);
    require(rows.size() == static_cast<std::size_t>(items.count), "the rows are counted", input);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (recordType == velomir::RecordType::Track) {
            require(rows[i].trackId == items.tracks[i].trackId, "a track row keeps its ID", input);
            require(rows[i].pictureAddress() == items.tracks[i].albumPictureAddress, "a track row's cover", input);
        } else {
            require(rows[i].programmeId == items.programmes[i].programmeId, "a programme row keeps its ID", input);
            require(rows[i].pictureAddress() == items.programmes[i].albumPictureAddress, "a programme's cover", input);
        }
    }
}

void checkItems(const Items& items, velomir::LinkKind kind, std::string_view input) {
    const bool programmeRecords = velomir::ServiceCatalogue::recordTypeOfKind(kind) == velomir::RecordType::Programme;
    require(static_cast<std::size_t>(items.count) == (programmeRecords ? items.programmes.size() : items.tracks.size()),
            "the count is the list's size", input);
    require(programmeRecords ? items.tracks.empty() : items.programmes.empty(), "the other list is empty", input);
    if (kind == velomir::LinkKind::Programme) require(items.count <= 1, "one programme", input);
}

bool followedUp(velomir::LinkKind kind, const std::string& artistList, const Items& expected, std::string_view input) {
    if (kind == velomir::LinkKind::Artist) return artistList.empty();
    if (kind == velomir::LinkKind::Search) {
        for (const auto& track : expected.tracks) {
            if (track.albumPictureAddress.empty()) return true;
        }
        return false;
    }
    if (kind != velomir::LinkKind::Playlist) return false;
    velomir::JsonDocument document;
    document.parse(input, false);
    return velomir::declaredTrackCount(document) > expected.count;
}

// The input as the newer playlist detail and as every song detail answer: the completed list holds each track at
// most once, never more than the ID list names, and a failure says why.
void checkCompletion(std::string_view input) {
    FixedAnswer http(input);
    std::vector<velomir::TrackItem> tracks;
    velomir::BusyRetry retry;
    retry.sleep = [](std::chrono::milliseconds) {};
    const velomir::ListCompleteness result = velomir::completePlaylist("7", 1 << 20, tracks, http, retry);
    require(result.problem.ok() == result.problem.message().empty(), "a short list says why", input);
    std::set<std::int64_t> seen;
    for (const auto& track : tracks) {
        require(seen.insert(velomir::integerValue64(track.trackId)).second, "each track at most once", input);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 18)) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    velomir::JsonDocument shared;  // one document for every kind: a parse must forget the one before
    const std::string artistList =
        velomir::textBetween(velomir::urlDecodeUtf8(std::string(input)), "display:none;\">", "</textarea>");

    std::vector<Items> byKind(velomir::kKindCount);
    for (int index = 0; index < velomir::kKindCount; ++index) {
        const velomir::LinkKind kind = velomir::kindAt(index);
        Items& read = byKind[static_cast<std::size_t>(index)];
        read.tracks.resize(2);
        read.programmes.resize(2);  // extraction empties both lists first
        read.count = velomir::extractItems(input, kind, shared, read.tracks, read.programmes);
        checkItems(read, kind, input);
        checkRows(read, kind, input);
        const std::string refusal = velomir::refusalOf(shared);
        require(refusal.empty() || refusal.starts_with("code "), "a refusal names its code", input);
    }

    // Fetching: the artist kind reads the list cut out of the decoded page, one other kind (picked by the
    // input's size, as a parse costs) the answer as it is, each in a fresh document.
    const int artistIndex = velomir::kindIndex(velomir::LinkKind::Artist);
    const int otherIndex = static_cast<int>(size % (velomir::kKindCount - 1));
    for (const int index : {artistIndex, otherIndex >= artistIndex ? otherIndex + 1 : otherIndex}) {
        const velomir::LinkKind kind = velomir::kindAt(index);
        const bool artist = kind == velomir::LinkKind::Artist;
        FixedAnswer http(input);
        Items fetched;
        std::string text = kind == velomir::LinkKind::Search ? std::string(velomir::kSearchKey) + "a b" : "7";
        const velomir::Status problem = velomir::fetchItems(text, kind, fetched.tracks, fetched.programmes, http, 30);
        fetched.count = static_cast<int>(fetched.tracks.size() + fetched.programmes.size());
        checkItems(fetched, kind, input);
        require(problem.ok() || problem.code() == velomir::Status::Code::Refused, "no transfer failed", input);
        require(problem.ok() == problem.message().empty(), "a problem has a reason", input);
        Items expected = byKind[static_cast<std::size_t>(index)];
        if (artist) {
            velomir::JsonDocument fresh;
            expected.count = velomir::extractItems(artistList, kind, fresh, expected.tracks, expected.programmes);
        }
        // What a fetch asks beyond the answer (a page without its list, a search without covers, a playlist
        // shorter than it says) is checked on its own below.
        if (!followedUp(kind, artistList, expected, input)) {
            require(fetched.count == expected.count && fieldsOf(fetched) == fieldsOf(expected),
                    "fetching reads what extraction reads, a fresh document what a reused one reads", input);
        }
    }
    checkCompletion(input);
    return 0;
}
