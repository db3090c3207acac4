#include "text/work_pacer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace velomir {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The pump runs only once the interval has passed since the last pump, and the time the pump itself took does not
// count towards the next interval.
TEST(WorkPacer, PumpsOncePerIntervalOfWorkAlone) {
    microseconds now{0};
    int pumps = 0;
    WorkPacer pacer(
        [&] {
            ++pumps;
            now += milliseconds(100);  // slow event handling
        },
        milliseconds(16), [&] { return WorkPacer::Clock::time_point(now); });
    auto work = [&](int steps, microseconds each) {
        for (int i = 0; i < steps; ++i) {
            now += each;
            pacer.step();
        }
    };
    work(640, milliseconds(0));
    EXPECT_EQ(pumps, 0) << "no time passed";
    work(64, microseconds(250));
    EXPECT_EQ(pumps, 1) << "16 ms of work";
    work(63, milliseconds(1));
    EXPECT_EQ(pumps, 1) << "the clock is read every 64 steps only";
    work(1, milliseconds(0));
    EXPECT_EQ(pumps, 2);
    WorkPacer idle;
    for (int i = 0; i < 1000; ++i) idle.step();  // no pump: nothing to call, nothing to fail
}

}  // namespace
}  // namespace velomir
