#include "analysis/link_recognition.h"

#include "analysis/http_transport.h"
#include "analysis/service_catalogue.h"
#include "analysis/service_hosts.h"
#include "pattern/regex_matcher.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

// An answer longer than this counts as a hit: the service's error answers are shorter.
constexpr std::size_t kProbeThreshold = 200;

// The domain token goes only where it stands inside the host name, so IDs such as 2163 keep their digits.
std::string removeDomainToken(const std::string& input) {
    return replaceAll(input, std::string(kDomainToken) + ".", ".");
}

bool carriesId(const std::string& input) { return integerValue64(extractId(input)) > 0; }

int kindByKeyword(const std::string& input, const ServiceCatalogue& catalogue) {
    // A keyword without an ID would give an empty list; such text is left to the search rules.
    if (!carriesId(input)) return -1;
    for (int k = 0; k < catalogue.entryCount(); ++k) {
        if (containsNoCase(input, catalogue.entry(k).key)) return catalogue.entry(k).index;
    }
    return -1;
}

int kindByProbe(const std::string& input, const AnalysisOptions& options, HttpTransport& http) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    for (int k = 0; k < catalogue.searchKind(); ++k) {
        std::string address = replaceAllNoCase(catalogue.entry(k).templateText, "{id}", input);
        address = replaceAllNoCase(address, "{n}", std::to_string(options.maxCount));
        if (http.fetchText(address).size() > kProbeThreshold) return catalogue.entry(k).index;
    }
    return -1;
}

}  // namespace

int recogniseKind(const std::string& input, bool searchMode, const AnalysisOptions& options, HttpTransport& http) {
    const ServiceCatalogue& catalogue = serviceCatalogue();
    const int searchKind = catalogue.searchKind();
    if (containsNoCase(input, catalogue.entry(searchKind).key)) return searchKind;
    if (const int kind = kindByKeyword(input, catalogue); kind >= 0) return kind;
    if (searchMode) return searchKind;
    const int unrecognised = options.jumpToSearch ? searchKind : -1;
    if (integerValue64(input) <= 0) return unrecognised;
    const int probed = kindByProbe(input, options, http);
    return probed >= 0 ? probed : unrecognised;
}

std::string extractId(const std::string& input) {
    if (removeBlanks(input).empty()) return "-1";
    RegexMatcher matcher;
    matcher.create("(\\d+)");
    matcher.execute(removeDomainToken(input));
    return std::to_string(integerValue64(matcher.groupText(1, 1)));
}

}  // namespace velomir
