#pragma once

#include "platform/EventStream.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>

class ZRCGEventWrapper;

// The palette's wait for the pointer to rest: the last mouse move is handed on once no other has come for
// the delay. The move is carried in one wrapper, made on first use and reused. A move only puts off the end
// of the wait, which the timer finds when it fires, and waits on: a stream of moves sets one timer per rest,
// not one per move. Main thread only.
class ZRMouseMovedWait {
public:
    using Handler = std::function<void(const std::shared_ptr<ZRCGEventWrapper>& wrapper)>;

    ZRMouseMovedWait(RunLoop& runLoop, Handler rested);
    ~ZRMouseMovedWait();
    ZRMouseMovedWait(const ZRMouseMovedWait&) = delete;
    ZRMouseMovedWait& operator=(const ZRMouseMovedWait&) = delete;

    // Waits (again) for the delay (seconds) after this move.
    void restart(const TapEvent& event, double delay);
    // No wait any more, and the wrapper empty.
    void cancel();
    bool isWaiting() const { return m_runLoop.isScheduled(m_timer); }

private:
    void waitFor(double seconds);

    RunLoop& m_runLoop;
    const Handler m_rested;
    std::shared_ptr<ZRCGEventWrapper> m_wrapper;
    RunLoop::TimerId m_timer = 0;
    // When the wait ends (run-loop seconds).
    double m_due = 0;
};
