#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The main thread's run loop in the platform's style: timers, delayed performs that can be
// cancelled by target, selector and argument, a zero-delay "next turn" and an "after this turn"
// queue. It runs on Qt's event loop with the real clock, or on a manual clock that only moves
// when a test advances it, so delays are tested without sleeping.

enum RunLoopMode : unsigned {
    DefaultRunLoopMode = 1,
    ModalPanelRunLoopMode = 2,
    EventTrackingRunLoopMode = 4,
    CommonRunLoopModes = DefaultRunLoopMode | ModalPanelRunLoopMode | EventTrackingRunLoopMode,
};

class PendingPerform;

class RunLoop {
public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    static RunLoop& main();

    // Seconds on the run loop's clock, monotonic, from an arbitrary start.
    double now() const;

    // Tests: time stands still until advance(). Switching clocks drops every pending timer and every
    // queued task, and returns to the default mode. Work handed over from other threads waits for
    // runPending() or advance() on the manual clock.
    void useManualClock(double start = 0);
    void useRealClock();
    // Manual clock: moves time forward, running every task that comes due, in order of due time (and
    // of scheduling among equals), each at its own time.
    void advance(double seconds);
    // Runs what is due now, turn after turn until nothing is: tasks queued for the next turn and work
    // handed over from other threads (in that order), due timers, then what was queued for after the
    // turn. On the real clock it also processes Qt's posted events.
    void runPending();

    // A timer that runs once after the delay while the loop is in one of the modes.
    TimerId schedule(double delaySeconds, Task task, unsigned modes = DefaultRunLoopMode);
    void cancel(TimerId id);
    bool isScheduled(TimerId id) const;

    // Delayed performs: target, selector and argument name the request for cancelling.
    void perform(const void* target, const char* selector, const void* argument, double delaySeconds,
                 Task task, unsigned modes = DefaultRunLoopMode);
    void cancelPreviousPerformRequests(const void* target);
    void cancelPreviousPerformRequests(const void* target, const char* selector, const void* argument);
    bool hasPendingPerform(const void* target, const char* selector) const;

    // A delayed perform owned by whoever keeps the handle: dropping or replacing the handle cancels it,
    // so an object that keeps its handles as members can never be called after it is gone.
    [[nodiscard]] PendingPerform performLater(double delaySeconds, Task task,
                                              unsigned modes = DefaultRunLoopMode);

    // On the next turn of the loop, after what is queued now.
    void performOnNextTurn(Task task);
    // As soon as the current turn's work is done, before the next turn.
    void performAfterThisTurn(Task task);
    // From any thread: runs the task on the main thread.
    void performOnMainThread(Task task);

    // The mode the loop runs in (menus and modal panels set theirs while open); tasks of other
    // modes wait until the loop returns to one of theirs.
    void setCurrentMode(RunLoopMode mode);

    std::size_t pendingTimerCount() const;

private:
    RunLoop();
    ~RunLoop();
    struct Private;
    std::unique_ptr<Private> d;
};

// The handle of RunLoop::performLater, move-only like a signal's Connection.
class PendingPerform {
public:
    PendingPerform() = default;
    PendingPerform(RunLoop& loop, RunLoop::TimerId id) : m_loop(&loop), m_id(id) {}
    PendingPerform(PendingPerform&& other) noexcept
        : m_loop(std::exchange(other.m_loop, nullptr)), m_id(std::exchange(other.m_id, 0)) {}
    PendingPerform& operator=(PendingPerform&& other) noexcept {
        if (this != &other) {
            cancel();
            m_loop = std::exchange(other.m_loop, nullptr);
            m_id = std::exchange(other.m_id, 0);
        }
        return *this;
    }
    PendingPerform(const PendingPerform&) = delete;
    PendingPerform& operator=(const PendingPerform&) = delete;
    ~PendingPerform() { cancel(); }

    void cancel() {
        if (RunLoop* loop = std::exchange(m_loop, nullptr))
            loop->cancel(m_id);
    }
    // False once the task has run or was cancelled, also when the loop dropped it on a change of clock.
    bool isPending() const { return m_loop && m_loop->isScheduled(m_id); }

private:
    RunLoop* m_loop = nullptr;
    RunLoop::TimerId m_id = 0;
};

// Requests of one kind that may pile up, each running at its own time, cancelled together.
class PendingPerforms {
public:
    void add(PendingPerform request) {
        std::erase_if(m_requests, [](const PendingPerform& r) { return !r.isPending(); });
        m_requests.push_back(std::move(request));
    }
    void cancel() { m_requests.clear(); }
    bool isPending() const {
        return std::any_of(m_requests.begin(), m_requests.end(),
                           [](const PendingPerform& r) { return r.isPending(); });
    }

private:
    std::vector<PendingPerform> m_requests;
};
