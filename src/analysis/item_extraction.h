// Fetches the service's answer for a kind and ID (or search text) and turns it into items and grid rows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/http_transport.h"
#include "analysis/link_kind.h"
#include "analysis/playlist_completion.h"
#include "analysis/result_row.h"
#include "analysis/status.h"

namespace velomir {

class JsonDocument;

// What a fetch may be told and tell beyond its items.
struct FetchControl {
    const StopFlag* stop = nullptr;  // when set, the fetch ends early with what it has
    BusyRetry retry;                 // how a long list's completion waits out a busy service
    // Told as a long list's completion goes on.
    CompletionProgress progress;
    ListCompleteness* completeness = nullptr;  // when given: how completing a playlist went
};

// Validates the input, fills the kind's address template and extracts the answer's items. `text` loses every
// search key. Returns BadInput when the input names nothing to ask for (unrecognised kind, no ID, blank search):
// nothing was asked and both lists are as they were. Otherwise says why the fetch gave nothing usable (the
// transport's reason, or the service's refusal as Refused); an honest empty answer is ok. A playlist whose answer
// holds fewer tracks than it declares is completed; an artist page without its hidden list is read from the
// artist's JSON interface; search results without an album picture get it from song detail.
Status fetchItems(std::string& text, LinkKind kind, std::vector<TrackItem>& tracks,
                  std::vector<ProgrammeItem>& programmes, HttpTransport& http, int maxCount,
                  const FetchControl& control = {});

// The service's refusal in a parsed answer: a top-level "code" other than 200, as "code -460: Cheating";
// empty when the answer is no refusal.
std::string refusalOf(JsonDocument& document);

// Parses `answer` into `document` and reads the kind's list; both lists are emptied first.
int extractItems(std::string_view answer, LinkKind kind, JsonDocument& document, std::vector<TrackItem>& tracks,
                 std::vector<ProgrammeItem>& programmes);

// Replaces `rows` with one row per track or programme, as the record type says; returns the number of rows.
int buildResultRows(RecordType recordType, const std::vector<TrackItem>& tracks,
                    const std::vector<ProgrammeItem>& programmes, std::vector<ResultRow>& rows);

}  // namespace velomir
