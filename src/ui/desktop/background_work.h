// Work off the window's thread: each task runs on a worker and its result comes back to the window's thread as a
// queued call, delivered only while the object that asked for it still exists.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <utility>

#include "analysis/http_transport.h"

namespace velomir {

class BackgroundWork : public QObject {
    Q_OBJECT

public:
    // Made before the windows that use it and destroyed after them (it waits for its tasks then).
    explicit BackgroundWork(QObject* parent = nullptr);
    ~BackgroundWork() override;

    // Runs `work` on a worker; then `done(result)` on this object's thread, unless `context` is gone by then.
    template <typename Result>
    void run(QObject* context, std::function<Result()> work, std::function<void(Result)> done);

    // Set by stopAll: every request under way ends at once, and tasks should end at their next check.
    const StopFlag& stopFlag() const { return stop_; }
    // Sets the stop flag and waits until every task has ended; their results are dropped.
    void stopAll();
    // Tasks started whose result has not been handed back yet.
    int pending() const { return pending_.load(); }
    // Workers busy with a task right now.
    int running() const { return pool_.activeThreadCount(); }

signals:
    // A task's result was handed back (or dropped): the number of pending tasks went down.
    void taskEnded();

private:
    void start(std::function<void()> task);

    QThreadPool pool_;
    StopFlag stop_{false};
    std::atomic<int> pending_{0};
};

template <typename Result>
void BackgroundWork::run(QObject* context, std::function<Result()> work, std::function<void(Result)> done) {
    // Made here, on the window's thread, and read there again: the worker only carries it.
    auto alive = std::make_shared<QPointer<QObject>>(context);
    start([this, alive, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<Result>(work());
        QMetaObject::invokeMethod(
            this,
            [this, alive, result, done = std::move(done)] {
                if (*alive && !stop_.load()) done(std::move(*result));
                pending_.fetch_sub(1);
                emit taskEnded();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace velomir
