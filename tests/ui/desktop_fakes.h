// The fakes every window test shares: clipboard, opener, and a transport that lets a test see, hold up or spoil
// what goes through.
#pragma once

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
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

// Runs `hook` on the windows' thread and waits for it: a hook stands for what the user does while a worker's
// request waits.
inline void onWindowThread(const std::function<void()>& hook) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        hook();
        return;
    }
    QMetaObject::invokeMethod(app, hook, Qt::BlockingQueuedConnection);
}

// Passes every request on to `inner` and records it, or answers it itself from `answer`'s table. The hooks run on
// the windows' thread while the request waits on its worker.
class ProbeTransport : public HttpTransport {
public:
    explicit ProbeTransport(HttpTransport& inner) : inner_(inner) {}

    // Answers every address that contains `fragment` (first added wins) with `body` and code 200.
    void answer(const std::string& fragment, const std::string& body) {
        std::lock_guard lock(mutex_);
        answers_.emplace_back(fragment, body);
    }

    HttpReply get(const HttpRequest& request) override {
        record(request.address);
        if (request.followRedirects) {
            if (beforeAnswer) onWindowThread([&] { beforeAnswer(request.address); });
            std::function<void()> hook;
            {
                std::lock_guard lock(mutex_);
                hook = std::exchange(whileWaiting, nullptr);
            }
            if (hook) onWindowThread(hook);
        }
        HttpReply reply;
        if (request.followRedirects && refuse && refuse(request.address)) {
            reply.status = Status(Status::Code::Failed, "refused by the test");
        } else if (std::optional<std::string> body = answerFor(request.address)) {
            reply = {{}, 200, std::move(*body), {}};
        } else {
            reply = inner_.get(request);
        }
        if (rewriteText && request.body == HttpRequest::Body::Text && reply.status.ok()) {
            reply.body = rewriteText(request.address, std::move(reply.body));
        }
        if (request.followRedirects) ++finished;
        return reply;
    }

    int countRequests(const std::string& part) const {
        std::lock_guard lock(mutex_);
        int count = 0;
        for (const std::string& address : requests) count += address.find(part) != std::string::npos ? 1 : 0;
        return count;
    }

    std::vector<std::string> requests;
    std::atomic<int> finished = 0;                                            // requests answered so far
    std::function<bool(const std::string&)> refuse;                           // true: the request fails
    std::function<void(const std::string&)> beforeAnswer;                     // every request, before it is answered
    std::function<void()> whileWaiting;                                       // once, inside the next request
    std::function<std::string(const std::string&, std::string)> rewriteText;  // address, body

private:
    void record(const std::string& address) {
        std::lock_guard lock(mutex_);
        requests.push_back(address);
    }
    std::optional<std::string> answerFor(const std::string& address) const {
        std::lock_guard lock(mutex_);
        for (const auto& [fragment, body] : answers_) {
            if (address.find(fragment) != std::string::npos) return body;
        }
        return std::nullopt;
    }

    HttpTransport& inner_;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> answers_;
};

}  // namespace velomir::testing
