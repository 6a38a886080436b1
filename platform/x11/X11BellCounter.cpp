#include "platform/x11/X11BellCounter.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Xkb.h"

#include <xkbcommon/xkbcommon-x11.h>

X11BellCounter::X11BellCounter() = default;
X11BellCounter::~X11BellCounter() = default;

std::unique_ptr<X11BellCounter> X11BellCounter::open(QString* error) {
    auto connection = X11Connection::open({}, error);
    if (!connection)
        return nullptr;
    std::unique_ptr<X11BellCounter> counter(new X11BellCounter);
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    if (!xkb_x11_setup_xkb_extension(connection->xcb(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                     &major, &minor, &counter->m_eventBase, nullptr)) {
        if (error)
            *error = QStringLiteral("the x server has no keyboard extension");
        return nullptr;
    }
    const xcb_xkb_select_events_details_t none{};
    xcb_xkb_select_events_aux(connection->xcb(), XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_BELL_NOTIFY, 0,
                              XCB_XKB_EVENT_TYPE_BELL_NOTIFY, 0, 0, &none);
    counter->m_connection = std::move(connection);
    // From here on: the selection is in place once the server has answered after it.
    counter->count();
    return counter;
}

int X11BellCounter::count() {
    auto* c = m_connection->xcb();
    // A round trip: every bell the server rang before it answers has been sent to us by then.
    const auto reply = m_connection->reply(xcb_get_input_focus_reply, xcb_get_input_focus(c));
    while (X11Reply<xcb_generic_event_t> event{xcb_poll_for_queued_event(c)}) {
        if (x11EventType(event.get()) == m_eventBase && event->pad0 == XCB_XKB_BELL_NOTIFY)
            ++m_count;
    }
    return m_count;
}
