// Writes the outcome of a run in the formats of velomir-cli.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "analysis/link_kind.h"
#include "analysis/result_row.h"
#include "cli/cli_options.h"

namespace velomir {

struct RunReport {
    std::string label;  // the link box text after the run: kind label + input
    LinkKind kind = LinkKind::Unrecognised;
    RecordType recordType = RecordType::Track;
    std::vector<std::string> titles;
    const std::vector<ResultRow>* rows = nullptr;
};

void printReport(std::ostream& out, const RunReport& report, OutputFormat format);

// Terminal columns taken by a UTF-8 text: East Asian wide characters take two.
int displayWidth(const std::string& text);

}  // namespace velomir
