// Fetches the service's answer for a kind and ID (or search text) and turns it into items and grid rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/http_transport.h"
#include "analysis/result_row.h"
#include "analysis/status.h"

namespace velomir {

class JsonDocument;

// Status of fetchItems below 0: nothing was asked and both lists are as they were.
inline constexpr int kFetchBadKind = -3;
inline constexpr int kFetchBadId = -1;
inline constexpr int kFetchBlankSearch = -2;

// Validates the input, fills the kind's address template and extracts the answer's items. `text` loses every
// "--s--" marker. Returns a status above or the number of items; `problem`, when given, says why a fetch that
// asked the service gave nothing usable (the transport's reason, or the service's refusal as Refused); an honest
// empty answer is no problem. A set `stop` ends the extraction early.
int fetchItems(std::string& text, int kind, std::vector<TrackItem>& tracks, std::vector<ProgrammeItem>& programmes,
               HttpTransport& http, int maxCount, Status* problem = nullptr, const StopFlag* stop = nullptr);

// The service's refusal in a parsed answer: a top-level "code" other than 200, as "code -460: Cheating";
// empty when the answer is no refusal.
std::string refusalOf(JsonDocument& document);

// Parses `answer` into `document` and reads the kind's list; both lists are emptied first.
int extractItems(std::string_view answer, int kind, JsonDocument& document, std::vector<TrackItem>& tracks,
                 std::vector<ProgrammeItem>& programmes);

// Replaces `rows` with one row per track (record type 1) or programme (2); -1 and no rows for any other type.
int buildResultRows(int recordType, const std::vector<TrackItem>& tracks, const std::vector<ProgrammeItem>& programmes,
                    std::vector<ResultRow>& rows);

}  // namespace velomir
