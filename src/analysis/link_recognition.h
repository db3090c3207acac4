// Turns what the user pasted or typed into a link kind and an ID.
#pragma once

#include <string>

#include "analysis/analysis_options.h"
#include "analysis/http_transport.h"
#include "analysis/link_kind.h"

namespace velomir {

struct Recognition {
    LinkKind kind = LinkKind::Unrecognised;
    std::string text;     // what was recognised: the input, or the address its short link led to
    Status probeFailure;  // why the probes of a bare number failed, when they did and found nothing
};

// Recognises the input: keywords, then the forms they miss (chart, old programme address, short link), then
// search mode, then probing a bare number against the service (up to six requests through `http`, so this may
// take seconds). A short link costs one request to the short-link host per redirect.
Recognition recogniseLink(const std::string& input, bool searchMode, const AnalysisOptions& options,
                          HttpTransport& http);

// The kind alone: recogniseLink(...).kind.
LinkKind recogniseKind(const std::string& input, bool searchMode, const AnalysisOptions& options, HttpTransport& http);

// The ID of a link, as a decimal text without leading zeros: the digits of an "id=" query parameter when there is
// one, else the first run of digits after the service's host name. "0" when there are no digits (or they do not
// fit 64 bits), "-1" for blank input.
std::string extractId(const std::string& input);

// The short link ("163cn.tv/CODE", with or without scheme) anywhere in the text, as "http://163cn.tv/CODE"; empty
// when there is none.
std::string findShortLink(const std::string& input);

// Follows a short link's redirects while they stay on the short-link host (at most five requests) and gives the
// first address that leaves it, which is not fetched; empty when there is no redirect or a request fails.
std::string resolveShortLink(const std::string& shortLink, HttpTransport& http);

}  // namespace velomir
