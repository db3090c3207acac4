// Turns what the user pasted or typed into a link kind and an ID.
#pragma once

#include <string>

#include "analysis/analysis_options.h"

namespace velomir {

class HttpTransport;

// Kind of the input: a catalogue index 0..6, or -1 when it is not recognised. A bare number is probed against
// the service (up to six requests through `http`), so this may take seconds.
int recogniseKind(const std::string& input, bool searchMode, const AnalysisOptions& options, HttpTransport& http);

// The first run of digits after the service's host name is taken out, as a decimal ID without leading zeros:
// "0" when there are no digits (or they do not fit 64 bits), "-1" for blank input.
std::string extractId(const std::string& input);

}  // namespace velomir
