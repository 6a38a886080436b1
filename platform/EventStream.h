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

class EventStream {
public:
    virtual ~EventStream() = default;

    using Callback = std::function<void(const TapEvent&)>;
    // Events of the types in the mask (bits from tapEventMaskBit), delivered on the main thread;
    // null when the stream cannot be installed.
    virtual std::unique_ptr<EventTap> install(std::uint64_t eventMask, Callback callback) = 0;
};
