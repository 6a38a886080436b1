#pragma once

#include "platform/Accessibility.h"
#include "platform/Signal.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class ZRWindowObserver;

// Those who watch windows through ZRWindowObserver. A delegate's subscriptions end when it is
// destroyed, so it is never called afterwards.
class ZRWindowObserverDelegate {
public:
    ZRWindowObserverDelegate() = default;
    ZRWindowObserverDelegate(const ZRWindowObserverDelegate&) = delete;
    ZRWindowObserverDelegate& operator=(const ZRWindowObserverDelegate&) = delete;
    virtual ~ZRWindowObserverDelegate() = default;

    // The window moved (AX::MovedNotification) or was resized (AX::ResizedNotification).
    virtual void observedWindow(const AXElementRef& window, const QString& notification) = 0;

private:
    friend class ZRWindowObserver;
    std::vector<std::pair<std::uint64_t, Connection>> m_windowObserverSubscriptions;
};

// Moves and resizes of other applications' windows, on the main thread, for every delegate that added
// itself for the window. While paused (the program moving a window itself) nothing is delivered; pauses
// are counted, and a resume without a pause is ignored.
class ZRWindowObserver {
public:
    static ZRWindowObserver& defaultObserver();

    ZRWindowObserver();
    ~ZRWindowObserver();
    ZRWindowObserver(const ZRWindowObserver&) = delete;
    ZRWindowObserver& operator=(const ZRWindowObserver&) = delete;

    // False when the window cannot be observed; adding a pair twice observes it once.
    bool addObserverDelegate(ZRWindowObserverDelegate* delegate, const AXElementRef& window);
    void removeObserverDelegate(ZRWindowObserverDelegate* delegate, const AXElementRef& window);

    // YES adds one to the pause counter, NO takes one away.
    void setPaused(bool paused);
    int pauseCount() const;
    std::size_t observedWindowCount() const;

private:
    struct State;
    std::shared_ptr<State> d;
};
