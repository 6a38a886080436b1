#include "mouse-control/ZRMouseMovedWait.h"

#include "toolkit/ZRCGEventWrapper.h"

ZRMouseMovedWait::ZRMouseMovedWait(RunLoop& runLoop, Handler rested)
    : m_runLoop(runLoop), m_rested(std::move(rested)) {}

ZRMouseMovedWait::~ZRMouseMovedWait() {
    m_runLoop.cancel(m_timer);
}

void ZRMouseMovedWait::restart(const TapEvent& event, double delay) {
    if (!m_wrapper)
        m_wrapper = std::make_shared<ZRCGEventWrapper>();
    m_wrapper->setEvent(event);
    const double due = m_runLoop.now() + delay;
    if (isWaiting() && due >= m_due) {
        m_due = due;
        return;
    }
    m_runLoop.cancel(m_timer);
    m_due = due;
    waitFor(due - m_runLoop.now());
}

void ZRMouseMovedWait::cancel() {
    m_runLoop.cancel(std::exchange(m_timer, 0));
    if (m_wrapper)
        m_wrapper->setEvent(std::nullopt);
}

void ZRMouseMovedWait::waitFor(double seconds) {
    m_timer = m_runLoop.schedule(
        seconds,
        [this] {
            m_timer = 0;
            const double remaining = m_due - m_runLoop.now();
            if (remaining > 0)
                waitFor(remaining);
            else
                m_rested(m_wrapper);
        },
        CommonRunLoopModes);
}
