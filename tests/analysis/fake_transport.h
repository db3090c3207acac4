// An HttpTransport that answers from a table and remembers every address asked for.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/http_transport.h"
#include "text/text_helpers.h"

namespace velomir::testing {

class FakeTransport : public HttpTransport {
public:
    // Answers every address that contains `fragment` (first added wins) with `answer`.
    void answer(const std::string& fragment, const std::string& body) { answers_.emplace_back(fragment, body); }

    // Answers `address` exactly with a redirect to `target` when redirects are not followed.
    void redirect(const std::string& address, const std::string& target) { redirects_[address] = target; }

    // Safe from several workers at once, as the windows' requests come.
    HttpReply get(const HttpRequest& request) override {
        std::lock_guard lock(mutex_);
        requests.push_back(request.address);
        if (!request.followRedirects) {
            const auto found = redirects_.find(request.address);
            if (found != redirects_.end()) return {{}, 302, {}, found->second};
            return {{}, 200, {}, {}};
        }
        for (const auto& [fragment, body] : answers_) {
            if (request.address.find(fragment) != std::string::npos) return {{}, 200, body, {}};
        }
        return {{}, 404, {}, {}};
    }

    std::vector<std::string> requests;

private:
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> answers_;
    std::map<std::string, std::string> redirects_;
};

}  // namespace velomir::testing
