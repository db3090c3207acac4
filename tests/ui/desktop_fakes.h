// The fakes every window test shares: clipboard, opener, and a transport that lets a test see, hold up or spoil
// what goes through.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/http_transport.h"
#include "ui/desktop/desktop_services.h"

namespace velomir::testing {

// How long a test waits for an event before it gives up: a safety net for a loaded machine, not a bet on speed.
inline constexpr int kEventWaitMs = 60000;

class FakeClipboard : public Clipboard {
public:
    void setText(const std::string& text) override {
        ++writes;
        if (!refuses) text_ = text;
    }
    std::string text() const override { return text_; }

    bool refuses = false;
    int writes = 0;

private:
    std::string text_ = "before";
};

class FakeOpener : public DesktopOpener {
public:
    void openAddress(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

// Passes every request on to `inner` and records it. The hooks run inside the request, where a click arriving
// through the event pump would run.
class ProbeTransport : public HttpTransport {
public:
    explicit ProbeTransport(HttpTransport& inner) : inner_(inner) {}

    std::string fetchText(const std::string& address) override {
        std::string body = pass(address, true);
        return rewriteText ? rewriteText(address, std::move(body)) : body;
    }
    std::string fetchBytes(const std::string& address) override { return pass(address, false); }
    std::string redirectTarget(const std::string& address) override {
        requests.push_back(address);
        return inner_.redirectTarget(address);
    }

    int countRequests(const std::string& part) const {
        int count = 0;
        for (const std::string& address : requests) count += address.find(part) != std::string::npos ? 1 : 0;
        return count;
    }

    std::vector<std::string> requests;
    int finished = 0;                                                         // requests answered so far
    std::function<bool(const std::string&)> refuse;                           // true: answer ""
    std::function<void(const std::string&)> beforeAnswer;                     // every request, before it is answered
    std::function<void()> whileWaiting;                                       // once, inside the next request
    std::function<std::string(const std::string&, std::string)> rewriteText;  // address, body

private:
    std::string pass(const std::string& address, bool text) {
        requests.push_back(address);
        if (beforeAnswer) beforeAnswer(address);
        if (auto hook = std::exchange(whileWaiting, nullptr)) hook();
        std::string body;
        if (!refuse || !refuse(address)) body = text ? inner_.fetchText(address) : inner_.fetchBytes(address);
        ++finished;
        return body;
    }

    HttpTransport& inner_;
};

}  // namespace velomir::testing
