#pragma once

#include "mouse-control/ZRHoverGeometry.h"
#include "platform/Geometry.h"

// The state of hover move and resize beside the gesture (ZRHoverGesture), which keeps the hovered window
// and whether a hover move is in progress. Main thread only.
struct ZRHoverState {
    // The window's frame (Quartz) when the gesture began; empty when it cannot be moved, and the gesture
    // then does nothing.
    Rect startFrame;
    ZRHoverGeometry geometry;
    // The window is one of ours: its frame is set at once, on the main thread.
    bool ownWindow = false;
    // The next resize step still has to find out whether the window's size can be set.
    bool firstResizeStep = false;
    // The pointer's movement since the gesture began; each step starts from the start frame again, so
    // dropped or slow steps leave no error behind.
    double accumulatedDx = 0;
    double accumulatedDy = 0;
    // The corner a resize moves (Quartz sense: the top has the smaller y).
    bool resizeFromLeft = false;
    bool resizeFromTop = false;
};
