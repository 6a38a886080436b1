#include "platform/x11/X11BareClient.h"

#include "platform/x11/X11Connection.h"

#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <poll.h>

namespace {

constexpr std::uint32_t GravityNorthWest = 1;
constexpr std::uint32_t MoveResizePosition = 0x300;
constexpr std::uint32_t MoveResizeAll = 0xF00;
constexpr std::uint32_t SourceTool = 2;
// WM_NORMAL_HINTS: its words, and the flags of a position and size the user gave.
constexpr std::uint32_t SizeHintsWords = 18;
constexpr std::uint32_t UserPosition = 1;
constexpr std::uint32_t UserSize = 2;

using Clock = std::chrono::steady_clock;

// The next event, or null once the deadline has passed.
X11Reply<xcb_generic_event_t> nextEvent(xcb_connection_t* c, Clock::time_point deadline) {
    while (true) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c))
            return X11Reply<xcb_generic_event_t>(event);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(c))
            return nullptr;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
}

} // namespace

X11BareClient::X11BareClient() = default;
X11BareClient::~X11BareClient() = default;

std::unique_ptr<X11BareClient> X11BareClient::open(QString* error) {
    auto connection = X11Connection::open({}, error);
    if (!connection)
        return nullptr;
    std::unique_ptr<X11BareClient> client(new X11BareClient);
    client->m_connection = std::move(connection);
    return client;
}

bool X11BareClient::listenToRawMotion() {
    auto* c = m_connection->xcb();
    X11Reply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version)
        return false;
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_input_xi_select_events(c, m_connection->root(), 1, &mask.header);
    m_connection->flush();
    return true;
}

bool X11BareClient::waitForRawMotion(int timeoutMilliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (const auto event = nextEvent(m_connection->xcb(), deadline))
        if (x11EventType(event.get()) == XCB_GE_GENERIC)
            return true;
    return false;
}

bool X11BareClient::moveResize(const std::vector<std::pair<std::uint32_t, Rect>>& requests,
                               int timeoutMilliseconds) {
    auto* c = m_connection->xcb();
    // Events of earlier requests must not count for these.
    while (X11Reply<xcb_generic_event_t> stale{xcb_poll_for_event(c)})
        ;
    std::vector<std::uint32_t> waiting;
    for (const auto& [window, frame] : requests) {
        if (std::find(m_watched.begin(), m_watched.end(), window) == m_watched.end()) {
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
            m_watched.push_back(window);
        }
        const std::uint32_t fields = frame.isEmpty() ? MoveResizePosition : MoveResizeAll;
        m_connection->sendRootMessage(
            window, X11Atom::NetMoveresizeWindow,
            {GravityNorthWest | fields | (SourceTool << 12), std::uint32_t(std::lround(frame.x())),
             std::uint32_t(std::lround(frame.y())), std::uint32_t(std::lround(frame.width())),
             std::uint32_t(std::lround(frame.height()))});
        waiting.push_back(window);
    }
    m_connection->flush();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (!waiting.empty()) {
        const auto event = nextEvent(c, deadline);
        if (!event)
            return false;
        if (x11EventType(event.get()) == XCB_CONFIGURE_NOTIFY)
            std::erase(waiting, reinterpret_cast<const xcb_configure_notify_event_t*>(event.get())->window);
    }
    return true;
}

bool X11BareClient::mapWindows(int count) {
    auto* c = m_connection->xcb();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    constexpr std::uint16_t Side = 40;
    constexpr int Columns = 30;
    for (int i = 0; i < count; ++i) {
        const xcb_window_t window = xcb_generate_id(c);
        const std::uint32_t background = screen->white_pixel;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_connection->root(),
                          std::int16_t(Side * (i % Columns)), std::int16_t(Side * ((i / Columns) % Columns)),
                          Side, Side, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, &background);
        // Where the client says, as a user's geometry: the window manager's own placement looks at every
        // window already there, and would take minutes for thousands.
        std::array<std::uint32_t, SizeHintsWords> hints{};
        hints[0] = UserPosition | UserSize;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, SizeHintsWords, hints.data());
        xcb_map_window(c, window);
    }
    // One round trip: every request above has reached the server.
    X11Reply<xcb_get_input_focus_reply_t> done(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return done && !xcb_connection_has_error(c);
}
