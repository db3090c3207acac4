#include "ui/desktop/background_work.h"

namespace velomir {

namespace {

// Enough for a run, a cover, a preview and a list's addresses at once; more would only queue at the service.
constexpr int kWorkers = 4;

}  // namespace

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(kWorkers); }

BackgroundWork::~BackgroundWork() { stopAll(); }

void BackgroundWork::start(std::function<void()> task) {
    pending_.fetch_add(1);
    pool_.start(std::move(task));
}

void BackgroundWork::stopAll() {
    stop_.store(true);
    pool_.waitForDone();
}

}  // namespace velomir
