#include "request_throttle.h"

namespace velomir {

RequestThrottle::RequestThrottle(int limit, std::chrono::milliseconds window, StubClock clock)
    : limit_(limit), window_(window), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::steady_clock::now(); };
}

bool RequestThrottle::admit() {
    if (limit_ <= 0) return true;
    const auto now = clock_();
    std::lock_guard lock(mutex_);
    while (!admitted_.empty() && now - admitted_.front() >= window_) admitted_.pop_front();
    if (static_cast<int>(admitted_.size()) >= limit_) return false;
    admitted_.push_back(now);
    return true;
}

}  // namespace velomir
