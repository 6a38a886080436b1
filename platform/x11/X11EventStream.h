#pragma once

#include "platform/EventStream.h"

#include <memory>
#include <vector>

class X11Desktop;

// The listen-only stream on X11: XInput 2 raw pointer and key events on the root, which keep coming
// while the window manager or another client holds a grab, paired with the pointer's position, and
// modifier changes from the XKB state with side bits from the modifier keys that are down. Read on
// a connection of its own, which is opened with the first tap.
class X11EventStream : public EventStream {
public:
    explicit X11EventStream(std::shared_ptr<X11Desktop> desktop);
    ~X11EventStream() override;

    std::unique_ptr<EventTap> install(std::uint64_t eventMask, Callback callback) override;
    // The worker reads the stream's connection itself, and sets nothing of the main thread's going; the
    // frames the handler sets leave their echoes on the desktop's connection for the end of the following.
    std::unique_ptr<MotionFollowing> followMotion(Callback handler, double restSeconds) override;

private:
    struct Stream;
    struct Following;
    class FollowingHandle;
    class Tap;

    std::shared_ptr<X11Desktop> m_desktop;
    std::shared_ptr<Stream> m_stream;
};
