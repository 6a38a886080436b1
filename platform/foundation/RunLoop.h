#pragma once

#include <cstdint>
#include <functional>
#include <memory>

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
