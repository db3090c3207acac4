// Lets answers that wait (the slow and no-answer faults) end at once when the stand-in stops.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velomir {

class StopSignal {
public:
    void trigger() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    bool stopped() {
        std::lock_guard lock(mutex_);
        return stopped_;
    }
    // True when the stop came before the time ran out.
    bool waitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return stopped_; });
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopped_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
};

}  // namespace velomir
