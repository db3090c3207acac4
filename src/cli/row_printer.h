// Writes the outcome of a run in the formats of velomir-cli.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analysis/link_kind.h"
#include "analysis/result_row.h"
#include "cli/cli_options.h"
#include "lyrics/lyrics.h"

namespace velomir {

struct RunReport {
    std::string label;  // the link box text after the run: kind label + input
    LinkKind kind = LinkKind::Unrecognised;
    RecordType recordType = RecordType::Track;
    std::vector<std::string> titles;
    const std::vector<ResultRow>* rows = nullptr;
    const std::vector<Lyrics>* lyrics = nullptr;  // lrc: one for each row, in row order
};

void printReport(std::ostream& out, const RunReport& report, OutputFormat format);

// Rows of radio programmes have no lyrics.
bool isTrackRow(const ResultRow& row);

// Terminal columns taken by a UTF-8 text: East Asian wide characters take two.
int displayWidth(const std::string& text);

}  // namespace velomir
