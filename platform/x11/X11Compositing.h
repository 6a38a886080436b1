#pragma once

#include "platform/Signal.h"
#include "platform/x11/X11Connection.h"

// Whether a compositing manager runs on the connection's screen: one owns the selection
// _NET_WM_CM_S<screen>. XFixes reports every change of its owner; without XFixes the owner is asked on
// every call.
class X11Compositing {
public:
    explicit X11Compositing(X11Connection& connection);

    bool isActive() const;

    // A compositing manager started or stopped (main thread).
    Signal<> changed;

private:
    bool readOwner() const;

    X11Connection& m_connection;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    std::uint8_t m_xfixesEventBase = 0;
    bool m_active = false;
    Connection m_events;
};
