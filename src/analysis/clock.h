// The clock that time-outs are measured by: steady, so a change of the wall clock never ends or stretches a wait.
#pragma once

#include <chrono>

namespace velomir {

using Clock = std::chrono::steady_clock;

}  // namespace velomir
