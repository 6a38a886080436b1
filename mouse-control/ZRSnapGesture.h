#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

// A window dragged by its title bar, or moved by the hover keys, as snapping follows it: from the mouse down
// it is tracked, and it counts as moving once it has been seen to move. Quartz locations. Main thread only.
class ZRSnapGesture {
public:
    // The window tracked for snapping; null while none is.
    const AXElementRef& trackedWindow() const { return m_trackedWindow; }
    bool isMoving() const { return m_moving; }
    // Where the left button went down (or the hover move began), which snap back measures the drag from.
    Point mouseDownLocation() const { return m_mouseDownLocation; }
    // Where the last drag that passed the threshold was.
    Point lastDragLocation() const { return m_lastDragLocation; }

    // The button went down here: the drag starts, and counts its steps, from this place.
    void noteMouseDown(Point location) { m_mouseDownLocation = m_lastDragLocation = location; }
    // A drag passed the threshold here.
    void noteDragged(Point location) { m_lastDragLocation = location; }
    void beginTracking(AXElementRef window) { m_trackedWindow = std::move(window); }
    // The tracked window was seen to move.
    void noteMoved() { m_moving = true; }
    void endTracking() {
        m_trackedWindow = nullptr;
        m_moving = false;
    }

private:
    AXElementRef m_trackedWindow;
    bool m_moving = false;
    Point m_mouseDownLocation;
    Point m_lastDragLocation;
};
