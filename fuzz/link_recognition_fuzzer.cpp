// Recognition and ID extraction of any pasted text, the service's answers taken from the input as well.
// Input: one flag byte (bit 0 search mode, bit 1 unrecognised text searches, the rest the maximum count), then
// the text, then the answers to the requests in the order they are made, all parted by 0x1E. An answer that
// starts with '!' is a failed request with the rest as its reason; a redirect's answer is its target address.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/link_recognition.h"
#include "analysis/service_hosts.h"
#include "fuzz_support.h"
#include "text/text_helpers.h"

namespace {

using velomir::fuzz::require;

// Up to five redirects of a short link, then the six probes of the number its target may be.
constexpr std::size_t kMaxRequests = 11;

class ScriptedTransport : public velomir::HttpTransport {
public:
    explicit ScriptedTransport(std::vector<std::string_view> answers) : answers_(std::move(answers)) {}

    velomir::HttpReply get(const velomir::HttpRequest& request) override {
        addresses.push_back(request.address);
        if (!request.followRedirects) {
            redirects.push_back(request.address);
            return {{}, 302, {}, std::string(next())};
        }
        const std::string_view answer = next();
        if (!answer.starts_with('!')) return {{}, 200, std::string(answer), {}};
        return {{velomir::Status::Code::Failed, std::string(answer.substr(1))}, 0, {}, {}};
    }

    std::vector<std::string> addresses;
    std::vector<std::string> redirects;

private:
    std::string_view next() { return used_ < answers_.size() ? answers_[used_++] : std::string_view(); }

    std::vector<std::string_view> answers_;
    std::size_t used_ = 0;
};

void checkExtractedId(const std::string& text) {
    const std::string id = velomir::extractId(text);
    if (velomir::removeBlanks(text).empty()) {
        require(id == "-1", "blank text gives the ID -1", text);
        return;
    }
    require(velomir::fuzz::allDigits(id), "the ID is digits only", text);
    require(id == "0" || id.front() != '0', "the ID has no leading zero", text);
    require(velomir::extractId(id) == id, "an ID is its own ID", text);
}

void checkShortLink(const std::string& text) {
    const std::string link = velomir::findShortLink(text);
    if (link.empty()) return;
    const std::string prefix = "http://" + std::string(velomir::kShortLinkHost) + "/";
    require(link.starts_with(prefix) && link.size() > prefix.size(), "a short link has a code", text);
    for (const char c : std::string_view(link).substr(prefix.size())) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        require(alnum, "a short link's code is letters and digits", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 8192) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    std::vector<std::string_view> parts = velomir::fuzz::splitParts(input.substr(1));
    const std::string text(parts.front());
    parts.erase(parts.begin());

    const bool searchMode = (data[0] & 1) != 0;
    velomir::AnalysisOptions options;
    options.jumpToSearch = (data[0] & 2) != 0;
    options.maxCount = 1 + (data[0] >> 2);

    ScriptedTransport http(parts);
    const velomir::Recognition result = velomir::recogniseLink(text, searchMode, options, http);

    require(velomir::kindAt(velomir::kindIndex(result.kind)) == result.kind, "kind in range", input);
    require(result.kind != velomir::LinkKind::Unrecognised || (!searchMode && !options.jumpToSearch),
            "search mode and jumping to search leave nothing unrecognised", input);
    require(http.addresses.size() <= kMaxRequests, "bounded number of requests", input);
    require(result.probeFailure.ok() || result.kind == velomir::LinkKind::Unrecognised ||
                result.kind == velomir::LinkKind::Search,
            "a probe failure stays only when no probe hit", input);
    if (!http.redirects.empty()) {
        require(http.redirects.front() == velomir::findShortLink(text), "the first redirect asked is the short link",
                input);
    }
    if (result.text != text) {
        require(!http.redirects.empty(), "only a short link changes the text", input);
        bool answered = false;
        for (const std::string_view part : parts) answered = answered || part == result.text;
        require(answered, "the changed text is a redirect's target", input);
    }
    // An item kind must come with an ID the fetch accepts; otherwise the run asks for nothing.
    if (result.kind != velomir::LinkKind::Unrecognised && result.kind != velomir::LinkKind::Search) {
        require(velomir::integerValue64(velomir::extractId(result.text)) > 0, "a recognised item has an ID", input);
    }

    ScriptedTransport again(parts);
    require(velomir::recogniseKind(text, searchMode, options, again) == result.kind, "recognition repeats", input);
    require(again.addresses == http.addresses, "the same requests again", input);

    checkExtractedId(text);
    checkShortLink(text);
    return 0;
}
