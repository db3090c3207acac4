// A stand-in started on loopback for one test, asked over plain HTTP as a client of the service would.
#pragma once

#include <httplib.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "stub_service.h"

namespace velomir::testing {

class Stand {
public:
    explicit Stand(StubOptions options = {}) : stub_(std::move(options)) {
        setenv("no_proxy", "*", 1);
        stub_.start();
    }
    std::string base() const { return stub_.baseAddress(); }
    StubService& service() { return stub_; }
    httplib::Client client() const {
        httplib::Client client(base());
        client.set_read_timeout(60, 0);
        return client;
    }
    httplib::Result get(const std::string& path, const httplib::Headers& headers = {}) const {
        return client().Get(path, headers);
    }
    nlohmann::json parsed(const std::string& path) const {
        auto result = get(path);
        return result ? nlohmann::json::parse(result->body, nullptr, false) : nlohmann::json();
    }
    nlohmann::json posted(const std::string& path, const std::string& form) const {
        auto result = client().Post(path, form, "application/x-www-form-urlencoded");
        return result ? nlohmann::json::parse(result->body, nullptr, false) : nlohmann::json();
    }

private:
    StubService stub_;
};

}  // namespace velomir::testing
