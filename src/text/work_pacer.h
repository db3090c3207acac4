// Lets a window's events through during long work on its thread, without paying for it on every step.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace velomir {

class WorkPacer {
public:
    using Clock = std::chrono::steady_clock;
    using Pump = std::function<void()>;
    using Reader = std::function<Clock::time_point()>;

    // A pacer that never pumps.
    WorkPacer() = default;
    // Calls `pump` once `interval` has passed since it was made or last pumped. Empty `clock`: the steady clock.
    explicit WorkPacer(Pump pump, Clock::duration interval = std::chrono::milliseconds(16), Reader clock = {});

    // One small unit of work done. Looks at the clock only every few steps: a step may cost less than a look.
    void step() {
        if (pump_ && ++steps_ % kStepsPerLook == 0) look();
    }

private:
    static constexpr std::uint32_t kStepsPerLook = 64;

    void look();
    Clock::time_point now() const { return clock_ ? clock_() : Clock::now(); }

    Pump pump_;
    Clock::duration interval_{};
    Reader clock_;
    Clock::time_point last_{};
    std::uint32_t steps_ = 0;
};

}  // namespace velomir
