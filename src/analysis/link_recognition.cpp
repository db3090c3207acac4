#include "analysis/link_recognition.h"

#include "analysis/service_catalogue.h"
#include "analysis/service_hosts.h"
#include "pattern/regex_matcher.h"
#include "pattern/regex_object.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

// An answer longer than this counts as a hit: the service's error answers are shorter.
constexpr std::size_t kProbeThreshold = 200;
constexpr int kMaxShortLinkRequests = 5;
// Forms that carry no keyword: the charts are playlists, "/dj?id=" is the older programme address.
constexpr std::string_view kChartMarker = "discover/toplist";
constexpr std::string_view kOldProgrammeMarker = "/dj?";

// The domain token goes only where it stands inside the host name, so IDs such as 2163 keep their digits.
std::string removeDomainToken(const std::string& input) {
    return replaceAll(input, std::string(kDomainToken) + ".", ".");
}

bool carriesId(const std::string& input) { return integerValue64(extractId(input)) > 0; }

LinkKind kindByKeyword(const std::string& input, const ServiceCatalogue& catalogue) {
    // A keyword without an ID would give an empty list; such text is left to the search rules.
    if (!carriesId(input)) return LinkKind::Unrecognised;
    for (const CatalogueEntry& entry : catalogue.entries()) {
        if (containsNoCase(input, entry.key)) return entry.kind;
    }
    return LinkKind::Unrecognised;
}

LinkKind kindByForm(const std::string& input) {
    if (!carriesId(input)) return LinkKind::Unrecognised;
    if (containsNoCase(input, kChartMarker)) return LinkKind::Playlist;
    if (containsNoCase(input, kOldProgrammeMarker)) return LinkKind::Programme;
    return LinkKind::Unrecognised;
}

LinkKind kindByProbe(const std::string& input, const AnalysisOptions& options, HttpTransport& http, Status& failure) {
    for (const CatalogueEntry& entry : serviceCatalogue().entries()) {
        if (entry.kind == LinkKind::Search) continue;
        std::string address = replaceAllNoCase(entry.templateText, "{id}", input);
        address = replaceAllNoCase(address, "{n}", std::to_string(options.maxCount));
        Status status;
        if (http.fetchText(address, status).size() > kProbeThreshold) return entry.kind;
        if (!status.ok()) failure = std::move(status);
    }
    return LinkKind::Unrecognised;
}

std::string hostOf(const std::string& address) {
    const std::size_t scheme = address.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = address.find_first_of(":/?#", start);
    return asciiLower(address.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

// Recognition without the short-link step: a short link's target is taken as it is.
Recognition recogniseText(const std::string& input, bool searchMode, const AnalysisOptions& options,
                          HttpTransport& http, bool followShortLinks) {
    Recognition result{LinkKind::Unrecognised, input, {}};
    const auto found = [&result](LinkKind kind) {
        result.kind = kind;
        return result;
    };
    if (containsNoCase(input, kSearchKey)) return found(LinkKind::Search);
    if (const LinkKind kind = kindByKeyword(input, serviceCatalogue()); kind != LinkKind::Unrecognised) {
        return found(kind);
    }
    if (const LinkKind kind = kindByForm(input); kind != LinkKind::Unrecognised) return found(kind);
    if (const std::string link = followShortLinks ? findShortLink(input) : ""; !link.empty()) {
        if (const std::string target = resolveShortLink(link, http); !target.empty()) {
            return recogniseText(target, searchMode, options, http, false);
        }
    }
    if (searchMode) return found(LinkKind::Search);
    const LinkKind unrecognised = options.jumpToSearch ? LinkKind::Search : LinkKind::Unrecognised;
    // A number whose ID the run cannot read ("163.x" loses its digits with the host token, full-width digits)
    // would be found and then never fetched.
    if (integerValue64(input) <= 0 || !carriesId(input)) return found(unrecognised);
    const LinkKind probed = kindByProbe(input, options, http, result.probeFailure);
    if (probed != LinkKind::Unrecognised) result.probeFailure = {};
    return found(probed != LinkKind::Unrecognised ? probed : unrecognised);
}

}  // namespace

Recognition recogniseLink(const std::string& input, bool searchMode, const AnalysisOptions& options,
                          HttpTransport& http) {
    return recogniseText(input, searchMode, options, http, true);
}

LinkKind recogniseKind(const std::string& input, bool searchMode, const AnalysisOptions& options, HttpTransport& http) {
    return recogniseLink(input, searchMode, options, http).kind;
}

std::string extractId(const std::string& input) {
    if (removeBlanks(input).empty()) return "-1";
    const std::string text = removeDomainToken(input);
    // A query's "id=" names the item; other digits (an app version in a share link) come first in some links.
    RegexMatcher parameter;
    parameter.create("[?&]id=(\\d+)");
    if (parameter.execute(text) > 0) return std::to_string(integerValue64(parameter.groupText(1, 1)));
    RegexMatcher matcher;
    matcher.create("(\\d+)");
    matcher.execute(text);
    return std::to_string(integerValue64(matcher.groupText(1, 1)));
}

std::string findShortLink(const std::string& input) {
    RegexMatcher matcher;
    matcher.create(RegexObject::escapeAll(kShortLinkHost) + "/([A-Za-z0-9]+)");
    if (matcher.execute(input) == 0) return {};
    return "http://" + std::string(kShortLinkHost) + "/" + matcher.groupText(1, 1);
}

std::string resolveShortLink(const std::string& shortLink, HttpTransport& http) {
    std::string address = shortLink;
    for (int request = 0; request < kMaxShortLinkRequests; ++request) {
        address = http.redirectTarget(address);
        if (address.empty()) return {};
        if (hostOf(address) != kShortLinkHost) return address;
    }
    return {};
}

}  // namespace velomir
