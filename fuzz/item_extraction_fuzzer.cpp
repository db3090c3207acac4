// Items and grid rows from any answer, for every kind. The input is the answer: read by each kind into one reused
// document and turned into rows, then fetched as the artist page and as one other kind's answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/http_text.h"
#include "analysis/http_transport.h"
#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/service_catalogue.h"
#include "fuzz_support.h"
#include "json/json_document.h"

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

void checkRows(const Items& items, int kind, std::string_view input) {
    const int recordType = velomir::ServiceCatalogue::recordTypeOfKind(kind);
    std::vector<velomir::ResultRow> rows(1);
    require(velomir::buildResultRows(recordType, items.tracks, items.programmes, rows) == items.count,
            "one row per item", input);
    require(rows.size() == static_cast<std::size_t>(items.count), "the rows are counted", input);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (recordType == velomir::kTrackRecord) {
            require(rows[i].trackId == items.tracks[i].trackId, "a track row keeps its ID", input);
            require(rows[i].pictureAddress() == items.tracks[i].albumPictureAddress, "a track row's cover", input);
        } else {
            require(rows[i].programmeId == items.programmes[i].programmeId, "a programme row keeps its ID", input);
            require(rows[i].pictureAddress() == items.programmes[i].albumPictureAddress, "a programme's cover", input);
        }
    }
    require(velomir::buildResultRows(0, items.tracks, items.programmes, rows) == -1 && rows.empty(),
            "no rows for an unknown record type", input);
}

void checkItems(const Items& items, int kind, std::string_view input) {
    const bool programmeRecords = velomir::ServiceCatalogue::recordTypeOfKind(kind) == velomir::kProgrammeRecord;
    require(items.count >= 0, "a count, not a status", input);
    require(static_cast<std::size_t>(items.count) == (programmeRecords ? items.programmes.size() : items.tracks.size()),
            "the count is the list's size", input);
    require(programmeRecords ? items.tracks.empty() : items.programmes.empty(), "the other list is empty", input);
    if (velomir::isKind(kind, velomir::LinkKind::Programme)) require(items.count <= 1, "one programme", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 18)) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    velomir::JsonDocument shared;  // one document for every kind: a parse must forget the one before
    const std::string artistList =
        velomir::textBetween(velomir::urlDecodeUtf8(std::string(input)), "display:none;\">", "</textarea>");

    std::vector<Items> byKind(velomir::kKindCount);
    for (int kind = 0; kind < velomir::kKindCount; ++kind) {
        Items& read = byKind[kind];
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
    const int artistKind = velomir::kindIndex(velomir::LinkKind::Artist);
    const int otherKind = static_cast<int>(size % (velomir::kKindCount - 1));
    for (const int kind : {artistKind, otherKind >= artistKind ? otherKind + 1 : otherKind}) {
        const bool artist = kind == artistKind;
        FixedAnswer http(input);
        Items fetched;
        velomir::Status problem;
        std::string text = kind == velomir::ServiceCatalogue::searchKind() ? "--s--a b" : "7";
        fetched.count = velomir::fetchItems(text, kind, fetched.tracks, fetched.programmes, http, 30, &problem);
        checkItems(fetched, kind, input);
        require(problem.ok() || problem.code() == velomir::Status::Code::Refused, "no transfer failed", input);
        require(problem.ok() == problem.message().empty(),
                "a problem has a reason", input);
        Items expected = byKind[kind];
        if (artist) {
            velomir::JsonDocument fresh;
            expected.count = velomir::extractItems(artistList, kind, fresh, expected.tracks, expected.programmes);
        }
        require(fetched.count == expected.count && fieldsOf(fetched) == fieldsOf(expected),
                "fetching reads what extraction reads, a fresh document what a reused one reads", input);
    }
    return 0;
}
