#pragma once

#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/Keys.h"
#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <cstdint>
#include <memory>

class ZRCGEventWrapper;

// The process-wide state of mouse control, read on every tapped event instead of the settings: which
// features are on with which modifier keys, the tap, and the windows of a running drag or hover gesture.
// Written by the feature-flag update and by the snap and hover gestures. Main thread only.
struct ZRMouseControlState {
    bool paletteOn = false;
    // "Snap" is on and at least one snap position has an action.
    bool snapOn = false;
    bool snapBackOn = false;
    // Drop zones can be shown while a window is dragged.
    bool dropSnapOn = false;
    // Snaps are previewed and applied on mouse up instead of at once.
    bool previewBeforeSnap = false;

    // Modifier flags, reduced to the keys the tap tells apart (Shift, Control, Option, Command, Fn).
    // 0 when the gesture is off; no resize keys when they equal the move keys.
    ModifierFlags hoverMoveModifiers = 0;
    ModifierFlags hoverResizeModifiers = 0;
    // The drop-snap modifier keys that also start a hover move.
    ModifierFlags dropSnapHoverModifiers = 0;

    // The frontmost application is on the "Front" ignore list: no tap meanwhile.
    bool frontmostIgnored = false;
    std::unique_ptr<EventTap> tap;

    // The window dragged or hover-moved for snapping, and whether it has been seen to move.
    AXElementRef trackedSnapWindow;
    bool snapWindowMoving = false;
    // Quartz: where the last drag that passed the threshold was, and where the left button went down.
    Point lastDragLocation;
    Point mouseDownLocation;

    // The window of a running hover gesture, and whether a hover move has taken a step. The window changes
    // only through setHoveredWindow.
    AXElementRef hoveredWindow;
    bool hoverMoveInProgress = false;
    void setHoveredWindow(AXElementRef window);
    // Counts the changes of the hovered window. The hover worker compares it before it sets a frame, instead
    // of reading the window, which the main thread writes: a frame is never set after its gesture ended.
    // Any thread.
    static std::atomic<std::uint64_t>& hoverGesture();

    // Carries the pending mouse move to the palette; made on first use and reused.
    std::shared_ptr<ZRCGEventWrapper> movedEventWrapper;
    // The palette's wait for the pointer to rest: its timer, and when the wait ends (run-loop seconds).
    RunLoop::TimerId movedEventTimer = 0;
    double movedEventDue = 0;

    // Whether any feature needs the tap.
    bool anyFeatureOn() const {
        return paletteOn || snapOn || snapBackOn || dropSnapOn || hoverMoveModifiers != 0 ||
               hoverResizeModifiers != 0 || dropSnapHoverModifiers != 0;
    }

    static ZRMouseControlState& shared();
    // Back to the state of a new process (tests): features off, no tap, no gesture, no wait.
    static void reset();
};
