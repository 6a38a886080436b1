#include "platform/x11/X11EventStream.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Xkb.h"

#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

namespace {

constexpr std::uint32_t XInputMajor = 2;
constexpr std::uint32_t XInputMinor = 2;
// Raw events reach the root during grabs only from this version on.
constexpr std::uint32_t XInputMinimumMinor = 1;
constexpr std::uint32_t LeftButton = 1;
constexpr std::uint32_t RightButton = 3;
// The valuators of x and y in a raw event's mask.
constexpr std::uint32_t PointerAxes = 0b11;

} // namespace

// A following of the pointer's motion on a worker, and how the main thread ends it.
struct X11EventStream::Following {
    Callback handler;
    int restMilliseconds = -1;
    std::atomic<bool> stopped{false};
    // Wakes the worker that waits for motion, when the main thread ends the following.
    int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);

    ~Following() {
        if (wake >= 0)
            ::close(wake);
    }
    void stop() {
        if (stopped.exchange(true) || wake < 0)
            return;
        const std::uint64_t one = 1;
        (void)!::write(wake, &one, sizeof one);
    }
};

class X11EventStream::FollowingHandle : public MotionFollowing {
public:
    explicit FollowingHandle(std::shared_ptr<Following> following) : m_following(std::move(following)) {}
    ~FollowingHandle() override { m_following->stop(); }

private:
    std::shared_ptr<Following> m_following;
};

// The stream's connection and state, shared by its taps.
struct X11EventStream::Stream : std::enable_shared_from_this<Stream> {
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Keyboard> keyboard;
    std::uint8_t xinputOpcode = 0;
    std::shared_ptr<X11Desktop> desktop; // taps may outlive the platform
    Connection eventConnection;
    Connection dispatchedConnection;
    Connection brokenConnection;

    // Each tap's callback, behind a filter of its mask; delivery allocates nothing.
    Signal<const TapEvent&> delivered;
    Signal<> lost;

    std::uint16_t modifierState = 0;
    X11KeysDown modifierKeysDown{};
    ModifierFlags flags = 0;
    Point lastLocation;
    bool hasLastLocation = false;
    bool leftButtonDown = false;
    // Raw motion read but not yet paired with the pointer: the motions of one dispatch make one event.
    // Raw motion carries no position (nor, from XTest, a telling apart of moves and positions), so the
    // pointer is asked for once the dispatch has read every event that came, and the reply is read at
    // once: the server answers that question itself, and a reply left for a later turn of the loop would
    // wake the main thread a second time for every motion.
    bool motionPending = false;

    // A following asked for during a dispatch starts when the dispatch has handed out every event it read,
    // unless one of them ends it first. While one runs, the worker owns the reading and the state above;
    // it clears the mark once it has handed reading back.
    std::shared_ptr<Following> followingAsked;
    std::weak_ptr<Following> followingStarted;
    std::atomic<bool> following{false};
    // The event masks of the taps: a following needs motions to matter to one of them only.
    std::vector<std::uint64_t> tapMasks;
    // The worker followed motions that the taps have not heard of: they get one MouseMoved to where they led.
    bool followedUnheard = false;
    bool dispatching = false;

    bool open(QString* error);
    std::unique_ptr<MotionFollowing> followMotion(Callback handler, double restSeconds);
    void startFollowing();
    // Ends the following asked for or running (main thread).
    void stopFollowing();
    void follow(Following& following);
    void select(bool listening);
    void handle(const xcb_generic_event_t* event);
    void handleButton(const xcb_input_raw_button_press_event_t* button, bool press);
    std::optional<Point> queryPointer();
    void deliverMotion(Point location);
    bool deliverPendingMotion();
    void deliver(TapEventType type, Point location, double dx, double dy, KeyCode keyCode = 0);
    // Keys other than the modifier keys, which are flags changes.
    void handleKey(std::uint32_t keycode, bool press);
    ModifierFlags currentFlags() const { return keyboard->flags(modifierState, modifierKeysDown); }
    void lose();
};

class X11EventStream::Tap : public EventTap {
public:
    Tap(std::shared_ptr<Stream> stream, std::uint64_t eventMask, Callback callback)
        : m_stream(std::move(stream)), m_mask(eventMask) {
        // A following was asked for with the taps as they were.
        m_stream->stopFollowing();
        m_stream->tapMasks.push_back(eventMask);
        m_delivery =
            m_stream->delivered.connect([eventMask, callback = std::move(callback)](const TapEvent& event) {
                if (eventMask & tapEventMaskBit(event.type))
                    callback(event);
            });
        m_loss = m_stream->lost.connect([this] { lost.emit(); });
    }
    ~Tap() override {
        m_stream->stopFollowing();
        if (const auto it = std::find(m_stream->tapMasks.begin(), m_stream->tapMasks.end(), m_mask);
            it != m_stream->tapMasks.end())
            m_stream->tapMasks.erase(it);
        m_delivery.disconnect();
        m_loss.disconnect();
        if (m_stream->delivered.connectionCount() == 0 && m_stream->connection)
            m_stream->select(false);
    }

private:
    std::shared_ptr<Stream> m_stream;
    std::uint64_t m_mask;
    Connection m_delivery;
    Connection m_loss;
};

bool X11EventStream::Stream::open(QString* error) {
    connection = X11Connection::open({}, error);
    if (!connection)
        return false;
    auto* c = connection->xcb();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) {
        *error = QStringLiteral("the x server has no input extension");
        connection.reset();
        return false;
    }
    xinputOpcode = extension->major_opcode;
    const auto version = connection->reply(xcb_input_xi_query_version_reply,
                                           xcb_input_xi_query_version(c, XInputMajor, XInputMinor));
    if (!version || version->major_version < XInputMajor ||
        (version->major_version == XInputMajor && version->minor_version < XInputMinimumMinor)) {
        *error = QStringLiteral("the x server's input extension is older than 2.1");
        connection.reset();
        return false;
    }
    keyboard = std::make_unique<X11Keyboard>(*connection, true);
    if (!keyboard->isValid()) {
        *error = QStringLiteral("modifier keys cannot be told without the keyboard map");
        keyboard.reset();
        connection.reset();
        return false;
    }
    if (!connection->startReading()) {
        *error = QStringLiteral("events can be read only on the main thread of a qt application");
        keyboard.reset();
        connection.reset();
        return false;
    }
    eventConnection = connection->events.connect([this](const xcb_generic_event_t* event) {
        dispatching = true;
        handle(event);
    });
    dispatchedConnection = connection->dispatched.connect([this] {
        dispatching = true;
        deliverPendingMotion();
        dispatching = false;
        startFollowing();
    });
    brokenConnection = connection->broken.connect([this] { lose(); });
    return true;
}

void X11EventStream::Stream::select(bool listening) {
    auto* c = connection->xcb();
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t bits;
    } mask{};
    mask.header.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.header.mask_len = 1;
    mask.bits = listening
                    ? XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                          XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
                          XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE
                    : 0;
    xcb_input_xi_select_events(c, connection->root(), 1, &mask.header);
    // The state belongs to the worker while it follows motion.
    if (listening && !following) {
        motionPending = false;
        // Start from the state as it is, not from nothing.
        const auto pointer =
            connection->reply(xcb_query_pointer_reply, xcb_query_pointer(c, connection->root()));
        if (pointer) {
            modifierState = pointer->mask & X11ModifierBits;
            leftButtonDown = pointer->mask & XCB_BUTTON_MASK_1;
            lastLocation = desktop->quartzFromRoot(pointer->root_x, pointer->root_y);
            hasLastLocation = true;
        }
        const X11KeysDown keys = keyboard->keysDown();
        modifierKeysDown = {};
        for (std::size_t keycode = 0; keycode < keys.size() * 8; ++keycode)
            if ((keys[keycode / 8] & (1u << (keycode % 8))) && keyboard->sideBitForKeycode(keycode))
                modifierKeysDown[keycode / 8] |= static_cast<std::uint8_t>(1u << (keycode % 8));
        flags = currentFlags();
    }
    connection->flush();
}

void X11EventStream::Stream::lose() {
    platformLog(QStringLiteral("the event stream lost its connection"));
    lost.emit();
}

void X11EventStream::Stream::deliver(TapEventType type, Point location, double dx, double dy,
                                     KeyCode keyCode) {
    // A following covers a run of motions only.
    if (type != TapEventType::MouseMoved)
        stopFollowing();
    TapEvent event;
    event.type = type;
    event.keyCode = keyCode;
    event.location = location;
    event.deltaX = dx;
    event.deltaY = dy;
    event.flags = flags;
    event.timestamp = RunLoop::main().now();
    delivered.emit(event);
}

std::optional<Point> X11EventStream::Stream::queryPointer() {
    auto* c = connection->xcb();
    const auto pointer = connection->reply(xcb_query_pointer_reply, xcb_query_pointer(c, connection->root()));
    if (!pointer)
        return std::nullopt;
    return desktop->quartzFromRoot(pointer->root_x, pointer->root_y);
}

void X11EventStream::Stream::deliverMotion(Point location) {
    const double dx = hasLastLocation ? location.x - lastLocation.x : 0;
    const double dy = hasLastLocation ? location.y - lastLocation.y : 0;
    // Raw motion comes also for movement that does not move the pointer (at an edge).
    const bool moved = !hasLastLocation || dx != 0 || dy != 0;
    lastLocation = location;
    hasLastLocation = true;
    if (moved)
        deliver(leftButtonDown ? TapEventType::LeftMouseDragged : TapEventType::MouseMoved, location, dx, dy);
}

// The motions read so far, delivered with the position they led to: at the end of each dispatch, and before
// a button or a modifier change, which comes after them.
bool X11EventStream::Stream::deliverPendingMotion() {
    const bool followed = std::exchange(followedUnheard, false);
    const auto heard = [&] {
        if (followed)
            deliver(leftButtonDown ? TapEventType::LeftMouseDragged : TapEventType::MouseMoved, lastLocation,
                    0, 0);
        return followed;
    };
    if (!std::exchange(motionPending, false))
        return heard();
    const auto location = queryPointer();
    if (!location)
        return heard();
    if (*location == lastLocation && hasLastLocation)
        return heard();
    deliverMotion(*location);
    return true;
}

std::unique_ptr<MotionFollowing> X11EventStream::Stream::followMotion(Callback handler, double restSeconds) {
    if (!handler || following || followingAsked || connection->isBroken())
        return nullptr;
    constexpr std::uint64_t Motion = tapEventMaskBit(TapEventType::MouseMoved);
    int takers = 0;
    for (const std::uint64_t mask : tapMasks)
        takers += (mask & Motion) != 0;
    if (takers != 1)
        return nullptr;
    auto asked = std::make_shared<Following>();
    if (asked->wake < 0)
        return nullptr;
    asked->handler = std::move(handler);
    if (restSeconds > 0)
        asked->restMilliseconds = int(std::ceil(restSeconds * 1000));
    followingAsked = asked;
    if (!dispatching)
        startFollowing();
    return std::make_unique<FollowingHandle>(std::move(asked));
}

void X11EventStream::Stream::startFollowing() {
    std::shared_ptr<Following> asked = std::exchange(followingAsked, nullptr);
    if (!asked || asked->stopped)
        return;
    following = true;
    followingStarted = asked;
    connection->handReadingToWorker();
    DispatchQueue::global(QueuePriority::High).async([stream = shared_from_this(), asked] {
        stream->follow(*asked);
    });
}

void X11EventStream::Stream::stopFollowing() {
    if (followingAsked)
        std::exchange(followingAsked, nullptr)->stop();
    if (const auto started = followingStarted.lock())
        started->stop();
}

void X11EventStream::Stream::follow(Following& asked) {
    X11Connection& reader = *connection;
    // The frames that the handler sets bring their events on the desktop's connection; they are read by the
    // handler's own waits, and kept for the main thread, which need not wake for the echoes of our moves.
    X11Connection& desktopConnection = desktop->connection();
    X11Connection::WorkerCall desktopReads(desktopConnection);
    const auto quiet = [this](const xcb_generic_event_t* event) {
        return desktop->isEchoOfFrameRequest(event);
    };
    std::vector<X11Reply<xcb_generic_event_t>> unread;
    bool pending = false;
    bool followed = false;
    // The socket is read once when the wait finds it readable; everything else xcb has queued already, also
    // what came with the pointer's reply.
    bool readable = true;
    while (!asked.stopped) {
        while (X11Reply<xcb_generic_event_t> event = reader.readEvent(std::exchange(readable, false))) {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event.get());
            if (x11EventType(event.get()) != XCB_GE_GENERIC || generic->extension != xinputOpcode ||
                generic->event_type != XCB_INPUT_RAW_MOTION) {
                unread.push_back(std::move(event));
                break;
            }
            const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event.get());
            if (raw->valuators_len > 0 && (xcb_input_raw_button_press_valuator_mask(raw)[0] & PointerAxes))
                pending = true;
        }
        if (!unread.empty() || asked.stopped || reader.isBroken())
            break;
        if (std::exchange(pending, false)) {
            const auto location = queryPointer();
            if (!location || (hasLastLocation && *location == lastLocation))
                continue;
            TapEvent event;
            event.type = TapEventType::MouseMoved;
            event.location = *location;
            event.deltaX = hasLastLocation ? location->x - lastLocation.x : 0;
            event.deltaY = hasLastLocation ? location->y - lastLocation.y : 0;
            event.flags = flags;
            event.timestamp = RunLoop::main().now();
            lastLocation = *location;
            hasLastLocation = true;
            followed = true;
            asked.handler(event);
            continue;
        }
        desktopConnection.handOverKeptUnlessQuiet(quiet);
        if (!reader.waitUntilReadable(asked.wake, followed ? asked.restMilliseconds : -1))
            break;
        readable = true;
    }
    motionPending = pending;
    followedUnheard = followed;
    reader.handReadingBack(std::move(unread));
    // Only now: a following asked for while the events handed back are delivered would read beside them.
    following = false;
}

void X11EventStream::Stream::handleButton(const xcb_input_raw_button_press_event_t* button, bool press) {
    std::optional<TapEventType> type;
    if (button->detail == LeftButton)
        type = press ? TapEventType::LeftMouseDown : TapEventType::LeftMouseUp;
    else if (button->detail == RightButton && press)
        type = TapEventType::RightMouseDown;
    if (!type)
        return;
    // Buttons do not move the pointer: the position the motions before them led to is theirs.
    const auto location = deliverPendingMotion() ? std::optional<Point>(lastLocation) : queryPointer();
    if (!location)
        return;
    if (button->detail == LeftButton)
        leftButtonDown = press;
    deliver(*type, *location, 0, 0);
}

void X11EventStream::Stream::handleKey(std::uint32_t keycode, bool press) {
    const auto virtualKey = keyboard->virtualKeyForKeycode(keycode);
    if (!virtualKey)
        return;
    deliverPendingMotion();
    deliver(press ? TapEventType::KeyDown : TapEventType::KeyUp, lastLocation, 0, 0, *virtualKey);
}

void X11EventStream::Stream::handle(const xcb_generic_event_t* event) {
    if (delivered.connectionCount() == 0)
        return;
    const std::uint8_t type = x11EventType(event);
    if (type == keyboard->eventBase()) {
        if (event->pad0 != XCB_XKB_STATE_NOTIFY)
            return;
        deliverPendingMotion();
        modifierState = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event)->mods;
    } else if (type == XCB_GE_GENERIC) {
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (generic->extension != xinputOpcode)
            return;
        const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
        switch (generic->event_type) {
        case XCB_INPUT_RAW_MOTION:
            // Scrolling comes as motion of the scroll axes alone; only the first two move the pointer.
            if (raw->valuators_len > 0 && (xcb_input_raw_button_press_valuator_mask(raw)[0] & PointerAxes))
                motionPending = true;
            return;
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE:
            handleButton(raw, generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS);
            return;
        case XCB_INPUT_RAW_KEY_PRESS:
        case XCB_INPUT_RAW_KEY_RELEASE: {
            if (raw->detail >= modifierKeysDown.size() * 8 || !keyboard->sideBitForKeycode(raw->detail)) {
                handleKey(raw->detail, generic->event_type == XCB_INPUT_RAW_KEY_PRESS);
                return;
            }
            deliverPendingMotion();
            const auto bit = static_cast<std::uint8_t>(1u << (raw->detail % 8));
            if (generic->event_type == XCB_INPUT_RAW_KEY_PRESS)
                modifierKeysDown[raw->detail / 8] |= bit;
            else
                modifierKeysDown[raw->detail / 8] &= static_cast<std::uint8_t>(~bit);
            break;
        }
        default:
            return;
        }
    } else {
        return;
    }
    const ModifierFlags now = currentFlags();
    if (now == flags)
        return;
    flags = now;
    deliver(TapEventType::FlagsChanged, lastLocation, 0, 0);
}

X11EventStream::X11EventStream(std::shared_ptr<X11Desktop> desktop) : m_desktop(std::move(desktop)) {}

X11EventStream::~X11EventStream() = default;

std::unique_ptr<MotionFollowing> X11EventStream::followMotion(Callback handler, double restSeconds) {
    return m_stream ? m_stream->followMotion(std::move(handler), restSeconds) : nullptr;
}

std::unique_ptr<EventTap> X11EventStream::install(std::uint64_t eventMask, Callback callback) {
    if (!callback || eventMask == 0)
        return nullptr;
    if (!m_stream || !m_stream->connection || m_stream->connection->isBroken()) {
        auto stream = std::make_shared<Stream>();
        stream->desktop = m_desktop;
        QString error;
        if (!stream->open(&error)) {
            platformLog(QStringLiteral("cannot install the event stream: %1").arg(error));
            return nullptr;
        }
        m_stream = stream;
    }
    const bool first = m_stream->delivered.connectionCount() == 0;
    auto tap = std::make_unique<Tap>(m_stream, eventMask, std::move(callback));
    if (first)
        m_stream->select(true);
    return tap;
}
