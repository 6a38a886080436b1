#pragma once

#include "platform/EventStream.h"

enum ZRHoverMode : int {
    ZRHoverModeMove = 0,
    ZRHoverModeResize = 1,
};

// Hover move and resize: the window under the pointer follows the mouse while the hover keys are held.
class ZRMouseControlHover {
public:
    virtual ~ZRMouseControlHover() = default;
    // One step of the gesture; the first step with an event finds the window. Null: a retry of the last
    // step without a new event.
    virtual void moveOrResize(ZRHoverMode mode, const TapEvent* event) = 0;
    // The motions of the gesture go to a worker that takes the steps until another event comes: the tap
    // hears of them afterwards, in one move.
    virtual bool followsMotion() const { return false; }
    // Enables the settings' choice of the resized corner only while resizing has keys of its own.
    virtual void updateHoverResizeModeSelector() = 0;
};
