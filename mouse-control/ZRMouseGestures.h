#pragma once

#include "mouse-control/ZRHoverGesture.h"
#include "mouse-control/ZRSnapGesture.h"

// The gestures of mouse control that run now, owned by the mouse controller and handed to the parts that
// drive or read them: hover, snapping, the palette and the drop zones. Main thread only.
struct ZRMouseGestures {
    ZRHoverGesture hover;
    ZRSnapGesture snap;

    // A window is dragged by its title bar or moved by the hover keys.
    bool isDraggingWindow() const { return snap.isMoving() || hover.isMoveInProgress(); }
};
