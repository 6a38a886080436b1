#pragma once

#include "platform/EventStream.h"

// Snapping a dragged window to screen edges and corners, snapping it back, and dropping it onto drop
// zones.
class ZRMouseControlSnapping {
public:
    virtual ~ZRMouseControlSnapping() = default;
    // With an event, begins tracking the window under the pointer; null ends tracking (applying a pending
    // snap).
    virtual void setSnapWindowFromTappedMouseEvent(const TapEvent* event) = 0;
    // Marks the tracked window moving once the window list shows it moved.
    virtual void updateSnapWindowStatusWithTappedMouseDraggedEvent(const TapEvent& event) = 0;
    // (Re)schedules the snap of the zone under the pointer.
    virtual void prepareToSnap() = 0;
    virtual void snapBack() = 0;
    // Applies the frame of the drop zone under the pointer to the tracked window and hides the zones.
    virtual void dropSnap() = 0;
};
