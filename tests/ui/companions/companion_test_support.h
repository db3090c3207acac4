// Fakes, the stand-in service fixture and the test registry shared by the companion window tests.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/curl_transport.h"
#include "stub_service.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/desktop_fakes.h"

namespace velomir::testing {

class FakeMediaBackend;

// What every back end made by one factory did. With startsAtOnce off, playback never gets under way by itself.
struct MediaLog {
    std::vector<std::string> played;
    int stops = 0;
    bool startsAtOnce = true;
    std::vector<std::string> unplayable;  // addresses whose play fails at once
    MediaBackend::StartedHandler held;
    FakeMediaBackend* latest = nullptr;  // the newest back end still alive
};

class FakeMediaBackend : public MediaBackend {
public:
    explicit FakeMediaBackend(std::shared_ptr<MediaLog> log) : log_(std::move(log)) { log_->latest = this; }
    ~FakeMediaBackend() override {
        if (log_->latest == this) log_->latest = nullptr;
    }
    FakeMediaBackend(const FakeMediaBackend&) = delete;
    FakeMediaBackend& operator=(const FakeMediaBackend&) = delete;

    // Any position, as playing, a seek or a pause would give it.
    using MediaBackend::reportPosition;

    void play(const std::string& address, StartedHandler started, FailedHandler failed) override {
        log_->played.push_back(address);
        if (std::find(log_->unplayable.begin(), log_->unplayable.end(), address) != log_->unplayable.end()) {
            if (failed) failed();
            return;
        }
        log_->held = std::move(started);
        if (log_->startsAtOnce) std::exchange(log_->held, nullptr)();
    }
    void stop() override {
        ++log_->stops;
        log_->held = nullptr;
    }

private:
    std::shared_ptr<MediaLog> log_;
};

inline MediaBackendFactory fakeBackends(const std::shared_ptr<MediaLog>& log) {
    return [log] { return std::make_unique<FakeMediaBackend>(log); };
}

// The stand-in service on a free loopback port, asked on the workers of `work`.
class StubFixture {
public:
    StubFixture() : stub_(StubOptions{}), curl_(startedTransport(stub_, work.stopFlag())), http(*curl_) {}
    ~StubFixture() {
        // A hook still waiting for the windows' thread must run before the workers are waited for.
        waitForWork();
        work.stopAll();
        stub_.stop();
    }
    std::string base() const { return stub_.baseAddress(); }
    // Waits until every task given to the workers has handed its result back.
    bool waitForWork() {
        return QTest::qWaitFor([this] { return work.pending() == 0; }, kEventWaitMs);
    }

private:
    static std::unique_ptr<CurlTransport> startedTransport(StubService& stub, const StopFlag& stop) {
        HttpSettings settings;
        settings.stop = &stop;
        settings.serviceAddress = "127.0.0.1:" + std::to_string(stub.start());
        return std::make_unique<CurlTransport>(settings);
    }

public:
    BackgroundWork work;

private:
    StubService stub_;
    std::unique_ptr<CurlTransport> curl_;

public:
    ProbeTransport http;
    FakeClipboard clipboard;
    FakeOpener opener;
    UiServices services{http, work, clipboard, opener};
};

// One tick of a running timer, delivered as the timer delivers its own.
inline void tick(QTimer* timer) {
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

// Each test file registers its Qt Test class; main.cpp runs them all.
inline std::vector<std::function<std::unique_ptr<QObject>()>>& companionTests() {
    static std::vector<std::function<std::unique_ptr<QObject>()>> tests;
    return tests;
}

template <typename Test>
struct RegisterTest {
    RegisterTest() {
        companionTests().push_back([] { return std::make_unique<Test>(); });
    }
};

}  // namespace velomir::testing
