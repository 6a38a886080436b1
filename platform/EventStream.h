#pragma once

#include "platform/Geometry.h"
#include "platform/Keys.h"
#include "platform/Signal.h"

#include <cstdint>
#include <functional>
#include <memory>

// The listen-only stream of mouse, key and modifier events of every application. Listening never
// changes or swallows an event, and it goes on while another program (the window manager dragging a
// window, for one) holds the keyboard or the pointer.

enum class TapEventType : int {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
};

constexpr std::uint64_t tapEventMaskBit(TapEventType type) {
    return std::uint64_t{1} << static_cast<int>(type);
}

struct TapEvent {
    TapEventType type = TapEventType::MouseMoved;
    Point location;    // Quartz
    double deltaX = 0; // movement since the previous mouse event
    double deltaY = 0;
    ModifierFlags flags = 0; // with side bits
    KeyCode keyCode = 0;     // key events only: the virtual key code
    double timestamp = 0;    // seconds, on the clock of the main run loop
};

// An installed stream; removing it (destroying this object) stops delivery at once.
class EventTap {
public:
    virtual ~EventTap() = default;

    // The platform stopped delivering (it disabled the stream); the owner may install it again.
    Signal<> lost;
};

// Pointer motion followed where it is used; dropping it ends the following.
class MotionFollowing {
public:
    virtual ~MotionFollowing() = default;
};

class EventStream {
public:
    virtual ~EventStream() = default;

    using Callback = std::function<void(const TapEvent&)>;
    // Events of the types in the mask (bits from tapEventMaskBit), delivered on the main thread;
    // null when the stream cannot be installed.
    virtual std::unique_ptr<EventTap> install(std::uint64_t eventMask, Callback callback) = 0;

    // For a gesture whose every motion matters to one part (a hover move): the motions that come from now
    // on go to the handler on a worker of the high-priority queue, as MouseMoved events, one at a time, and
    // the main thread wakes for none of them. The following ends at the first event of another kind (a key,
    // a button, a change of the modifier keys), once the pointer has rested for restSeconds (when above 0),
    // or when the handle is dropped; the taps then get on the main thread a MouseMoved to where the followed
    // motions led (no deltas: the handler had them), and whatever came after. Null where motions cannot be
    // followed so: the platform cannot, or more than one tap takes motions. The handler never runs after the
    // main thread has got an event that came after it.
    virtual std::unique_ptr<MotionFollowing> followMotion(Callback handler, double restSeconds) {
        (void)handler;
        (void)restSeconds;
        return nullptr;
    }
};
