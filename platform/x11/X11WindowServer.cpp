#include "platform/x11/X11WindowServer.h"

#include "platform/x11/X11Desktop.h"

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
