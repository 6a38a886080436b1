#include "platform/x11/X11WindowServer.h"

#include "platform/PlatformLog.h"
#include "platform/x11/X11Desktop.h"

#include <cmath>

namespace {

// Directions of _NET_WM_MOVERESIZE.
constexpr std::uint32_t MoveResizeMove = 8;
constexpr std::uint32_t MoveResizeCancel = 11;
constexpr std::uint32_t LeftButton = 1;
// The request comes from an application, not a pager.
constexpr std::uint32_t SourceApplication = 1;

} // namespace

X11WindowServer::X11WindowServer(std::shared_ptr<X11Desktop> desktop) : m_desktop(std::move(desktop)) {}

std::vector<WindowListEntry> X11WindowServer::windowList(bool onScreenOnly) const {
    const auto clients = m_desktop->clientsFrontToBack();
    const auto infos =
        m_desktop->infos(clients, X11Property::Pid | X11Property::Class | X11Property::Title |
                                      X11Property::Type | X11Property::State | X11Property::Opacity);
    const auto geometries = m_desktop->frameGeometries(clients);
    std::vector<WindowListEntry> entries;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const X11WindowInfo& info = infos[i];
        const auto& geometry = geometries[i];
        const X11WindowKind kind = m_desktop->kindOf(info);
        if (!info.exists || !geometry || kind == X11WindowKind::Desktop)
            continue;
        WindowListEntry entry;
        entry.onScreen = geometry->viewable && !m_desktop->isHidden(info);
        if (onScreenOnly && !entry.onScreen)
            continue;
        entry.number = clients[i];
        entry.bounds =
            Rect(m_desktop->quartzFromRoot(geometry->frame.x(), geometry->frame.y()), geometry->frame.size);
        entry.ownerPID = info.pid;
        entry.ownerName = QString::fromUtf8(info.className);
        entry.title = info.title;
        entry.alpha = info.opacity;
        switch (kind) {
        case X11WindowKind::Floating:
            entry.layer = FloatingLayer;
            break;
        case X11WindowKind::Dock:
            entry.layer = DockLayer;
            break;
        case X11WindowKind::OwnOverlay:
            entry.layer = OverlayLayer;
            break;
        default:
            entry.layer = 0;
            break;
        }
        entries.push_back(entry);
    }
    return entries;
}

bool X11WindowServer::endWindowManagerMove(WindowNumber window) {
    if (!m_desktop->windowManagerSupports(X11Atom::NetWmMoveresize))
        return false;
    X11Connection& connection = m_desktop->connection();
    connection.sendRootMessage(window, X11Atom::NetWmMoveresize,
                               {0, 0, MoveResizeCancel, 0, SourceApplication});
    connection.flush();
    return true;
}

bool X11WindowServer::resumeWindowManagerMove(WindowNumber window, Point quartzPointer) {
    if (!m_desktop->windowManagerSupports(X11Atom::NetWmMoveresize))
        return false;
    X11Connection& connection = m_desktop->connection();
    auto* c = connection.xcb();
    const auto pointer = connection.reply(xcb_query_pointer_reply, xcb_query_pointer(c, connection.root()));
    if (!pointer || !(pointer->mask & XCB_BUTTON_MASK_1)) {
        platformLog(QStringLiteral("cannot resume moving window %1: the button is up").arg(window));
        return false;
    }
    const Point root = m_desktop->rootFromQuartz(quartzPointer);
    connection.sendRootMessage(window, X11Atom::NetWmMoveresize,
                               {static_cast<std::uint32_t>(std::lround(root.x)),
                                static_cast<std::uint32_t>(std::lround(root.y)), MoveResizeMove, LeftButton,
                                SourceApplication});
    connection.flush();
    return true;
}
