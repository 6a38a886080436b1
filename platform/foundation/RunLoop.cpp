#include "platform/foundation/RunLoop.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/QueuedCall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A task that keeps queueing more work for "now" would otherwise spin runPending() forever.
constexpr int MaxTurnsPerRun = 1000;
constexpr double NanosecondsPerSecond = 1e9;
constexpr double MillisecondsPerSecond = 1e3;

struct PerformKey {
    const void* target = nullptr;
    std::string selector;
    const void* argument = nullptr;
};

struct Timer {
    RunLoop::Task task;
    unsigned modes = DefaultRunLoopMode;
    std::optional<PerformKey> perform;
};

// Timers ordered by due time, and by scheduling order among equals (ids only grow).
using DueKey = std::pair<double, RunLoop::TimerId>;

} // namespace

struct RunLoop::Private {
    RunLoop* q = nullptr;

    bool manual = false;
    double manualNow = 0;
    QElapsedTimer elapsed;
    double realOffset = 0;

    std::map<DueKey, Timer> timers;
    std::unordered_map<TimerId, double> dueById;
    TimerId nextId = 1;

    std::deque<Task> nextTurn;
    std::deque<Task> afterThisTurn;
    int turnDepth = 0;
    bool advancing = false;

    RunLoopMode mode = DefaultRunLoopMode;

    // Work handed over from other threads.
    std::mutex handedOverMutex;
    std::vector<Task> handedOver;
    std::atomic<bool> manualForOtherThreads{false};

    // Real clock: one object on the main thread receives queued wake-ups and owns the one timer.
    QObject* anchor = nullptr;
    QTimer* timer = nullptr;
    bool wakePosted = false;

    double now() const {
        if (manual)
            return manualNow;
        return realOffset + static_cast<double>(elapsed.nsecsElapsed()) / NanosecondsPerSecond;
    }

    bool runnable(const Timer& t) const { return (t.modes & static_cast<unsigned>(mode)) != 0; }

    // The earliest timer that may run in the current mode, or null.
    const std::pair<const DueKey, Timer>* earliestRunnable() const {
        for (const auto& entry : timers) {
            if (runnable(entry.second))
                return &entry;
        }
        return nullptr;
    }

    TimerId add(double delay, Task task, unsigned modes, std::optional<PerformKey> perform) {
        if (!std::isfinite(delay) || delay < 0)
            delay = 0;
        const TimerId id = nextId++;
        const double due = now() + delay;
        timers.emplace(DueKey{due, id}, Timer{std::move(task), modes, std::move(perform)});
        dueById.emplace(id, due);
        rearm();
        return id;
    }

    void remove(TimerId id) {
        const auto it = dueById.find(id);
        if (it == dueById.end())
            return;
        timers.erase(DueKey{it->second, id});
        dueById.erase(it);
    }

    template <class Predicate> void removePerforms(Predicate matches) {
        for (auto it = timers.begin(); it != timers.end();) {
            if (it->second.perform && matches(*it->second.perform)) {
                dueById.erase(it->first.second);
                it = timers.erase(it);
            } else {
                ++it;
            }
        }
        rearm();
    }

    std::vector<Task> takeHandedOver() {
        std::lock_guard lock(handedOverMutex);
        return std::exchange(handedOver, {});
    }

    bool hasHandedOver() {
        std::lock_guard lock(handedOverMutex);
        return !handedOver.empty();
    }

    bool runAfterThisTurn() {
        bool ran = false;
        for (int i = 0; !afterThisTurn.empty() && i < MaxTurnsPerRun; ++i) {
            auto batch = std::exchange(afterThisTurn, {});
            for (auto& task : batch) {
                task();
                ran = true;
            }
        }
        return ran;
    }

    // One turn: work handed over from other threads and the tasks queued for this turn, then the
    // timers that were due when the turn began, then what was queued for after the turn. Work
    // queued during the turn waits for the next one.
    bool runOneTurn() {
        ++turnDepth;
        bool ran = runAfterThisTurn();

        auto handed = takeHandedOver();
        auto queued = std::exchange(nextTurn, {});
        for (auto& task : handed) {
            task();
            ran = true;
        }
        for (auto& task : queued) {
            task();
            ran = true;
        }

        const TimerId firstOfThisTurn = nextId;
        const double turnTime = now();
        for (;;) {
            auto it = timers.begin();
            while (it != timers.end() && !(it->first.second < firstOfThisTurn && runnable(it->second)))
                ++it;
            if (it == timers.end() || it->first.first > turnTime)
                break;
            Task task = std::move(it->second.task);
            dueById.erase(it->first.second);
            timers.erase(it);
            task();
            ran = true;
        }

        ran = runAfterThisTurn() || ran;
        --turnDepth;
        return ran;
    }

    bool somethingDueNow() {
        if (!nextTurn.empty() || !afterThisTurn.empty() || hasHandedOver())
            return true;
        const auto* first = earliestRunnable();
        return first && first->first.first <= now();
    }

    void runUntilQuiet() {
        for (int turn = 0; turn < MaxTurnsPerRun; ++turn) {
            if (!somethingDueNow())
                return;
            runOneTurn();
        }
        platformLog(
            QStringLiteral("run loop: work keeps coming due, stopped after %1 turns").arg(MaxTurnsPerRun));
    }

    // Real clock only: a queued call on the main thread runs the next turn.
    void postWake() {
        if (manual || wakePosted || !anchor)
            return;
        wakePosted = true;
        invokeQueued(anchor, [this] { wake(); });
    }

    void wake() {
        wakePosted = false;
        if (manual)
            return;
        runOneTurn();
        if (!nextTurn.empty() || !afterThisTurn.empty() || hasHandedOver())
            postWake();
        rearm();
    }

    void rearm() {
        if (manual || !timer)
            return;
        const auto* first = earliestRunnable();
        if (!first) {
            timer->stop();
            return;
        }
        const double wait = std::max(0.0, first->first.first - now());
        // Round up so the timer never fires just before the task is due and spins.
        const double ms = std::ceil(wait * MillisecondsPerSecond);
        timer->start(static_cast<int>(std::min(ms, double(std::numeric_limits<int>::max()))));
    }

    void dropEverything() {
        timers.clear();
        dueById.clear();
        nextTurn.clear();
        afterThisTurn.clear();
        takeHandedOver();
        if (timer)
            timer->stop();
    }
};

RunLoop::RunLoop() : d(std::make_unique<Private>()) {
    d->q = this;
    d->elapsed.start();
    d->anchor = new QObject;
    d->timer = new QTimer(d->anchor);
    d->timer->setSingleShot(true);
    d->timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(d->timer, &QTimer::timeout, d->anchor, [this] { d->wake(); });
    if (auto* app = QCoreApplication::instance())
        d->anchor->moveToThread(app->thread());
}

RunLoop::~RunLoop() {
    delete d->anchor;
}

RunLoop& RunLoop::main() {
    // Never destroyed: tasks and Qt objects may still refer to it while the program exits.
    static RunLoop* instance = new RunLoop;
    return *instance;
}

double RunLoop::now() const {
    return d->now();
}

void RunLoop::useManualClock(double start) {
    d->dropEverything();
    d->manual = true;
    d->manualForOtherThreads = true;
    d->manualNow = start;
    d->mode = DefaultRunLoopMode;
}

void RunLoop::useRealClock() {
    const double current = d->now();
    d->dropEverything();
    d->manual = false;
    d->manualForOtherThreads = false;
    d->mode = DefaultRunLoopMode;
    // Time goes on from the manual clock's reading, so no one who kept one sees it run backwards.
    d->realOffset = 0;
    d->realOffset = current - d->now();
}

void RunLoop::advance(double seconds) {
    if (!d->manual) {
        platformLog(QStringLiteral("run loop: advance() needs the manual clock"));
        return;
    }
    if (d->advancing) {
        platformLog(QStringLiteral("run loop: advance() called from a task it runs, ignored"));
        return;
    }
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    d->advancing = true;
    const double target = d->manualNow + seconds;
    d->runUntilQuiet();
    for (;;) {
        const auto* first = d->earliestRunnable();
        if (!first || first->first.first > target)
            break;
        d->manualNow = std::max(d->manualNow, first->first.first);
        d->runUntilQuiet();
    }
    d->manualNow = target;
    d->runUntilQuiet();
    d->advancing = false;
}

void RunLoop::runPending() {
    if (!d->manual) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }
    d->runUntilQuiet();
    d->rearm();
}

RunLoop::TimerId RunLoop::schedule(double delaySeconds, Task task, unsigned modes) {
    return d->add(delaySeconds, std::move(task), modes, std::nullopt);
}

void RunLoop::cancel(TimerId id) {
    d->remove(id);
    d->rearm();
}

bool RunLoop::isScheduled(TimerId id) const {
    return d->dueById.contains(id);
}

void RunLoop::perform(const void* target, const char* selector, const void* argument, double delaySeconds,
                      Task task, unsigned modes) {
    d->add(delaySeconds, std::move(task), modes, PerformKey{target, selector ? selector : "", argument});
}

PendingPerform RunLoop::performLater(double delaySeconds, Task task, unsigned modes) {
    return PendingPerform(*this, schedule(delaySeconds, std::move(task), modes));
}

void RunLoop::cancelPreviousPerformRequests(const void* target) {
    d->removePerforms([target](const PerformKey& key) { return key.target == target; });
}

void RunLoop::cancelPreviousPerformRequests(const void* target, const char* selector, const void* argument) {
    const std::string name = selector ? selector : "";
    d->removePerforms([&](const PerformKey& key) {
        return key.target == target && key.selector == name && key.argument == argument;
    });
}

bool RunLoop::hasPendingPerform(const void* target, const char* selector) const {
    const std::string name = selector ? selector : "";
    for (const auto& entry : d->timers) {
        const auto& key = entry.second.perform;
        if (key && key->target == target && key->selector == name)
            return true;
    }
    return false;
}

void RunLoop::performOnNextTurn(Task task) {
    d->nextTurn.push_back(std::move(task));
    d->postWake();
}

void RunLoop::performAfterThisTurn(Task task) {
    d->afterThisTurn.push_back(std::move(task));
    if (d->turnDepth == 0)
        d->postWake();
}

void RunLoop::performOnMainThread(Task task) {
    {
        std::lock_guard lock(d->handedOverMutex);
        d->handedOver.push_back(std::move(task));
    }
    if (d->manualForOtherThreads)
        return;
    // The anchor lives on the main thread, so the queued call runs there whichever thread posts.
    invokeQueued(d->anchor, [this] {
        if (!d->manual)
            d->wake();
    });
}

void RunLoop::setCurrentMode(RunLoopMode mode) {
    if (d->mode == mode)
        return;
    d->mode = mode;
    d->rearm();
}

std::size_t RunLoop::pendingTimerCount() const {
    return d->timers.size();
}
