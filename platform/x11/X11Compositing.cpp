#include "platform/x11/X11Compositing.h"

#include <QByteArray>
#include <xcb/xfixes.h>

namespace {

constexpr std::uint32_t XFixesMajor = 5;
constexpr std::uint32_t XFixesMinor = 0;

int screenNumber(X11Connection& connection) {
    int number = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.xcb())); it.rem; xcb_screen_next(&it)) {
        if (it.data->root == connection.root())
            return number;
        ++number;
    }
    return 0;
}

} // namespace

X11Compositing::X11Compositing(X11Connection& connection) : m_connection(connection) {
    auto* c = connection.xcb();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber(connection));
    const auto atom =
        connection.reply(xcb_intern_atom_reply,
                         xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.constData()));
    if (atom)
        m_selection = atom->atom;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (extension && extension->present && m_selection != XCB_ATOM_NONE) {
        const auto version = connection.reply(xcb_xfixes_query_version_reply,
                                              xcb_xfixes_query_version(c, XFixesMajor, XFixesMinor));
        if (version) {
            m_xfixesEventBase = extension->first_event;
            xcb_xfixes_select_selection_input(c, connection.root(), m_selection,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            connection.flush();
        }
    }
    m_active = readOwner();
    m_events = connection.events.connect([this](const xcb_generic_event_t* event) {
        if (!m_xfixesEventBase || x11EventType(event) != m_xfixesEventBase + XCB_XFIXES_SELECTION_NOTIFY)
            return;
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection != m_selection)
            return;
        const bool active = notify->owner != XCB_WINDOW_NONE;
        if (active == m_active)
            return;
        m_active = active;
        changed.emit();
    });
}

bool X11Compositing::isActive() const {
    return m_xfixesEventBase ? m_active : readOwner();
}

bool X11Compositing::readOwner() const {
    if (m_selection == XCB_ATOM_NONE)
        return false;
    auto* c = m_connection.xcb();
    const auto owner =
        m_connection.reply(xcb_get_selection_owner_reply, xcb_get_selection_owner(c, m_selection));
    return owner && owner->owner != XCB_WINDOW_NONE;
}
