#include "cli/stop_signals.h"

#include <csignal>

namespace velomir {

namespace {

// Only lock-free atomics may be touched from a signal handler.
static_assert(StopFlag::is_always_lock_free && std::atomic<int>::is_always_lock_free);

std::atomic<StopFlag*> stopFlag{nullptr};
std::atomic<int> caught{0};

void restoreDefaults() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

extern "C" void onStopSignal(int signal) {
    int none = 0;
    caught.compare_exchange_strong(none, signal);
    if (StopFlag* stop = stopFlag.load()) stop->store(true);
    // The user who presses Ctrl+C again does not want to wait for the transfers to wind down.
    restoreDefaults();
}

}  // namespace

void catchStopSignals(StopFlag& stop) {
    stopFlag.store(&stop);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int caughtStopSignal() { return caught.load(); }

}  // namespace velomir
