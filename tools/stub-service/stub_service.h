// A loopback HTTP/1.1 server that plays the music service for tests and the offline demo.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "service_era.h"

namespace velomir {

struct StubOptions {
    bool gzip = false;     // text answers sent with Content-Encoding: gzip
    std::string fault;     // a fault name applied to every answer; empty for none
    int slowMs = 3000;     // delay of the slow fault
    int audioDelayMs = 0;  // every audio answer waits this long before its first byte
    ServiceEra era = ServiceEra::Classic;
    // At most throttleRequests answers within any throttleWindow; the rest get the service's 406 refusal.
    // 0 turns throttling off. Pictures, audio and redirects are never refused.
    int throttleRequests = 0;
    std::chrono::milliseconds throttleWindow{1000};
    // The throttle's clock; empty for the steady clock. Tests drive it instead of sleeping.
    std::function<std::chrono::steady_clock::time_point()> clock;
};

class StubService {
public:
    explicit StubService(StubOptions options);
    ~StubService();
    StubService(const StubService&) = delete;
    StubService& operator=(const StubService&) = delete;

    // Binds 127.0.0.1 (port 0: a free port) and serves on its own thread. Returns the port, or -1 when the port
    // cannot be bound. One start per object.
    int start(int port = 0);

    // Stops serving; answers held back by the slow and no-answer faults are let go at once.
    void stop();

    // Every request received so far, in arrival order, as its Host header followed by its target
    // ("music.163.com/api/song/detail/?ids=[1,2]").
    std::vector<std::string> requestLog() const;
    void clearRequestLog();
    // Returns once `count` requests have arrived since the start or the last clear: the hook tests wait on
    // instead of a time.
    void waitForRequests(std::size_t count) const;

    // "http://127.0.0.1:PORT"; every address inside the answers starts with it.
    std::string baseAddress() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace velomir
