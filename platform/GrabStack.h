#pragma once

#include "platform/OverlayWindows.h"

#include <functional>
#include <memory>

// The holders of one device (the keyboard or the pointer), the most recent first, as every backend
// keeps them: a new grab takes the device from the holder before it, and when the holder lets go, the
// one before it takes the device again, or the device goes back to the desktop.
class GrabStack {
public:
    // take asks the desktop for the device for the window; release gives it back to the desktop.
    GrabStack(std::function<GrabStatus(OwnWindowId)> take, std::function<void()> release);
    ~GrabStack();
    GrabStack(const GrabStack&) = delete;
    GrabStack& operator=(const GrabStack&) = delete;

    // A handle that holds the device for the window while it lives; null when the desktop refuses.
    std::unique_ptr<InputGrab> grab(OwnWindowId window, GrabStatus* status);
    // The window that has the device; 0 for none.
    OwnWindowId holder() const;

private:
    struct State;
    class Handle;
    std::shared_ptr<State> m_state;
};
