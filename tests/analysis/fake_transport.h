// An HttpTransport that answers from a table and remembers every address asked for.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "analysis/http_transport.h"
#include "text/text_helpers.h"

namespace velomir::testing {

class FakeTransport : public HttpTransport {
public:
    // Answers every address that contains `fragment` (first added wins) with `answer`.
    void answer(const std::string& fragment, const std::string& body) { answers_.emplace_back(fragment, body); }

    std::string fetchText(const std::string& address) override {
        requests.push_back(address);
        for (const auto& [fragment, body] : answers_) {
            if (address.find(fragment) != std::string::npos) return body;
        }
        return {};
    }
    std::string fetchBytes(const std::string& address) override { return fetchText(address); }

    // Answers `address` exactly with a redirect to `target`; every other address redirects nowhere.
    void redirect(const std::string& address, const std::string& target) { redirects_[address] = target; }
    std::string redirectTarget(const std::string& address) override {
        requests.push_back(address);
        const auto found = redirects_.find(address);
        return found == redirects_.end() ? std::string() : found->second;
    }

    std::vector<std::string> requests;

private:
    std::vector<std::pair<std::string, std::string>> answers_;
    std::map<std::string, std::string> redirects_;
};

}  // namespace velomir::testing
