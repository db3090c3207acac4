// Counts requests in a sliding window and refuses those beyond the limit, as the service does to busy clients.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>

namespace velomir {

using StubClock = std::function<std::chrono::steady_clock::time_point()>;

class RequestThrottle {
public:
    // limit 0 admits everything. An empty clock reads the steady clock.
    RequestThrottle(int limit, std::chrono::milliseconds window, StubClock clock);

    // True when the request may be answered; refused requests do not count against later ones.
    bool admit();

private:
    int limit_;
    std::chrono::milliseconds window_;
    StubClock clock_;
    std::mutex mutex_;
    std::deque<std::chrono::steady_clock::time_point> admitted_;
};

}  // namespace velomir
