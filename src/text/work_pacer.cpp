#include "text/work_pacer.h"

#include <utility>

namespace velomir {

WorkPacer::WorkPacer(Pump pump, Clock::duration interval, Reader clock)
    : pump_(std::move(pump)), interval_(interval), clock_(std::move(clock)) {
    last_ = now();
}

void WorkPacer::look() {
    if (now() - last_ < interval_) return;
    pump_();
    // Measured after the pump: the time the events took is not work of ours.
    last_ = now();
}

}  // namespace velomir
