#pragma once

#include "platform/Accessibility.h"

#include <atomic>
#include <cstdint>
#include <memory>

// The running hover gesture: the window under it, and whether a hover move has taken a step. The gesture
// begins when hover finds a window, and ends when the hover keys are let go. Main thread only, apart from
// the tickets.
class ZRHoverGesture {
public:
    // Names one gesture for the hover worker, which must never set a frame after that gesture ended. The
    // worker asks the ticket instead of reading the window, which the main thread writes; a ticket can be
    // asked from any thread, also after the gesture's owner is gone.
    class Ticket {
    public:
        bool isCurrent() const { return m_gestures->load() == m_number; }

    private:
        friend class ZRHoverGesture;
        Ticket(std::shared_ptr<const std::atomic<std::uint64_t>> gestures, std::uint64_t number)
            : m_gestures(std::move(gestures)), m_number(number) {}
        std::shared_ptr<const std::atomic<std::uint64_t>> m_gestures;
        std::uint64_t m_number;
    };

    ZRHoverGesture() = default;
    // Ends the gesture, so that no ticket of it stays current.
    ~ZRHoverGesture() { end(); }
    ZRHoverGesture(const ZRHoverGesture&) = delete;
    ZRHoverGesture& operator=(const ZRHoverGesture&) = delete;

    // The window the gesture moves or resizes; null while none runs.
    const AXElementRef& window() const { return m_window; }
    bool isMoveInProgress() const { return m_moveInProgress; }

    // The gesture is on this window from now on; another window than before ends the earlier tickets.
    void begin(AXElementRef window);
    // A hover move (not a resize) took a step.
    void noteMoveStep() { m_moveInProgress = true; }
    // No window, no move, and no ticket of the gesture current any more.
    void end();

    Ticket ticket() const { return Ticket(m_gestures, m_gestures->load()); }

private:
    AXElementRef m_window;
    bool m_moveInProgress = false;
    // Counts the changes of the window.
    std::shared_ptr<std::atomic<std::uint64_t>> m_gestures = std::make_shared<std::atomic<std::uint64_t>>(0);
};
