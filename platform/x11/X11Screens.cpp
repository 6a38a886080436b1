#include "platform/x11/X11Screens.h"

#include "platform/x11/X11Compositing.h"
#include "platform/x11/X11Desktop.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <xcb/randr.h>

namespace {

constexpr std::uint32_t RandrMajor = 1;
constexpr std::uint32_t RandrMinorWithMonitors = 5;

bool sameScreens(const std::vector<ScreenInfo>& a, const std::vector<ScreenInfo>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ScreenInfo& x, const ScreenInfo& y) {
        return x.identifier == y.identifier && x.name == y.name && x.frame == y.frame &&
               x.visibleFrame == y.visibleFrame;
    });
}

} // namespace

X11Screens::X11Screens(std::shared_ptr<X11Desktop> desktop) : m_desktop(std::move(desktop)) {
    X11Connection& connection = m_desktop->connection();
    auto* c = connection.xcb();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_randr_id);
    if (extension && extension->present) {
        m_randrEventBase = extension->first_event;
        const auto version = connection.reply(xcb_randr_query_version_reply,
                                              xcb_randr_query_version(c, RandrMajor, RandrMinorWithMonitors));
        m_hasMonitors =
            version &&
            (version->major_version > RandrMajor ||
             (version->major_version == RandrMajor && version->minor_version >= RandrMinorWithMonitors));
        xcb_randr_select_input(c, connection.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        connection.flush();
    }
    m_last = screens();
    m_connections.push_back(connection.events.connect([this](const xcb_generic_event_t* event) {
        const std::uint8_t type = x11EventType(event);
        const bool rootConfigured = type == XCB_CONFIGURE_NOTIFY &&
                                    reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window ==
                                        m_desktop->connection().root();
        if (rootConfigured ||
            (m_randrEventBase && (type == m_randrEventBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                  type == m_randrEventBase + XCB_RANDR_NOTIFY)))
            refresh();
    }));
    m_connections.push_back(m_desktop->strutsChanged.connect([this] { refresh(); }));
    m_compositing = std::make_unique<X11Compositing>(connection);
    m_connections.push_back(m_compositing->changed.connect([this] { compositingChanged.emit(); }));
}

X11Screens::~X11Screens() = default;

bool X11Screens::compositingActive() const {
    return m_compositing->isActive();
}

void X11Screens::refresh() {
    auto now = screens();
    if (sameScreens(now, m_last))
        return;
    m_last = std::move(now);
    screensChanged.emit();
}

QString X11Screens::monitorName(std::uint32_t name) const {
    {
        std::lock_guard lock(m_namesMutex);
        if (const auto it = m_names.find(name); it != m_names.end())
            return it->second;
    }
    // An atom's name never changes, so each is asked once.
    X11Connection& connection = m_desktop->connection();
    const auto reply = connection.reply(xcb_get_atom_name_reply, xcb_get_atom_name(connection.xcb(), name));
    if (!reply)
        return {};
    const QString text =
        QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    std::lock_guard lock(m_namesMutex);
    m_names.emplace(name, text);
    return text;
}

std::vector<ScreenInfo> X11Screens::screens() const {
    // Changes whose events have come count; those still on their way are as unknown as they would be to
    // a read.
    m_desktop->catchUp();
    const std::uint64_t generation = m_desktop->screensGeneration();
    std::optional<Layout> layout;
    {
        std::lock_guard lock(m_layoutMutex);
        if (m_layout && m_layoutGeneration == generation)
            layout = m_layout;
    }
    if (!layout) {
        layout = readLayout();
        std::lock_guard lock(m_layoutMutex);
        m_layout = layout;
        m_layoutGeneration = generation;
    }

    // Struts come from the cache of window properties, which their events keep current: only those of
    // new clients, and the state of those that hold one, are asked for.
    std::vector<X11Strut> struts;
    std::vector<xcb_window_t> holders;
    for (const X11WindowInfo& info : m_desktop->infos(m_desktop->clientsFrontToBack(), X11Property::Struts))
        if (info.exists && info.hasStrut())
            holders.push_back(info.window);
    for (const X11WindowInfo& info : m_desktop->infos(holders, X11Property::Struts | X11Property::State))
        if (info.exists && info.hasStrut() && !m_desktop->isHidden(info))
            struts.push_back(X11Strut::fromValues(info.strutValues, layout->rootWidth, layout->rootHeight));

    std::vector<Rect> usable;
    for (const Monitor& monitor : layout->monitors)
        usable.push_back(withinWorkArea(
            usableArea(monitor.frame, struts, layout->rootWidth, layout->rootHeight), layout->workArea));
    return screensFromMonitors(layout->monitors, usable);
}

X11Screens::Layout X11Screens::readLayout() const {
    X11Connection& connection = m_desktop->connection();
    auto* c = connection.xcb();
    // All questions travel together: the screens cost one round trip.
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    if (m_hasMonitors)
        monitorsCookie = xcb_randr_get_monitors(c, connection.root(), 1);
    const auto rootCookie = xcb_get_geometry(c, connection.root());
    const auto workAreaCookie =
        connection.requestProperty(connection.root(), X11Atom::NetWorkarea, XCB_ATOM_CARDINAL);
    const auto desktopCookie =
        connection.requestProperty(connection.root(), X11Atom::NetCurrentDesktop, XCB_ATOM_CARDINAL, 1);
    X11Reply<xcb_randr_get_monitors_reply_t> monitorsReply;
    if (monitorsCookie)
        monitorsReply = connection.reply(xcb_randr_get_monitors_reply, *monitorsCookie);
    const auto root = connection.reply(xcb_get_geometry_reply, rootCookie);
    const auto workAreas = X11Connection::cardinals(connection.propertyReply(workAreaCookie).get());
    const auto desktop = X11Connection::cardinals(connection.propertyReply(desktopCookie).get());

    Layout layout;
    layout.rootWidth = root ? root->width : connection.screen()->width_in_pixels;
    layout.rootHeight = root ? root->height : connection.screen()->height_in_pixels;
    if (monitorsReply)
        for (auto it = xcb_randr_get_monitors_monitors_iterator(monitorsReply.get()); it.rem;
             xcb_randr_monitor_info_next(&it))
            layout.monitors.push_back({it.data->name, monitorName(it.data->name),
                                       Rect(it.data->x, it.data->y, it.data->width, it.data->height),
                                       it.data->primary != 0});
    if (layout.monitors.empty())
        layout.monitors.push_back(
            {0, QStringLiteral("screen"), Rect(0, 0, layout.rootWidth, layout.rootHeight), true});
    // _NET_WORKAREA is one rectangle for all monitors, which cannot say which monitor a panel is on:
    // it counts only where there is one.
    if (layout.monitors.size() == 1)
        layout.workArea = currentWorkArea(workAreas, desktop.empty() ? 0 : desktop.front());
    // Quartz coordinates start at the primary monitor's top left.
    m_desktop->setPrimaryOrigin(layout.monitors[primaryMonitor(layout.monitors)].frame.origin);
    return layout;
}

std::optional<Rect> X11Screens::currentWorkArea(const std::vector<std::uint32_t>& workAreas,
                                                std::uint32_t desktop) {
    constexpr std::size_t ValuesPerDesktop = 4;
    // A window manager that keeps one work area for all desktops lists only the first.
    const std::size_t index = (desktop + 1) * ValuesPerDesktop <= workAreas.size() ? desktop : 0;
    if (workAreas.size() < (index + 1) * ValuesPerDesktop)
        return std::nullopt;
    const std::uint32_t* v = workAreas.data() + index * ValuesPerDesktop;
    const Rect area(static_cast<std::int32_t>(v[0]), static_cast<std::int32_t>(v[1]), v[2], v[3]);
    if (area.isEmpty())
        return std::nullopt;
    return area;
}

Rect X11Screens::withinWorkArea(const Rect& usable, const std::optional<Rect>& workArea) {
    // Panels that are no clients (icewm's taskbar, fluxbox's toolbar) show only in the work area; a
    // work area that misses the monitor altogether (one kept for another monitor) says nothing of it.
    if (!workArea)
        return usable;
    const Rect within = usable.intersected(*workArea);
    return within.isEmpty() ? usable : within;
}

std::size_t X11Screens::primaryMonitor(const std::vector<Monitor>& monitors) {
    const auto marked =
        std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.primary; });
    if (marked != monitors.end())
        return std::size_t(marked - monitors.begin());
    const auto atOrigin = std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) {
        return m.frame.x() <= 0 && m.frame.y() <= 0 && m.frame.maxX() > 0 && m.frame.maxY() > 0;
    });
    if (atOrigin != monitors.end())
        return std::size_t(atOrigin - monitors.begin());
    const auto topLeft =
        std::min_element(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
            return std::tuple(a.frame.x() + a.frame.y(), a.frame.y()) <
                   std::tuple(b.frame.x() + b.frame.y(), b.frame.y());
        });
    return std::size_t(topLeft - monitors.begin());
}

std::vector<ScreenInfo> X11Screens::screensFromMonitors(std::vector<Monitor> monitors,
                                                        const std::vector<Rect>& usable) {
    if (monitors.empty())
        return {};
    const std::size_t primaryIndex = primaryMonitor(monitors);
    std::vector<std::size_t> order(monitors.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // The primary first, the others from left to right and top to bottom.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if ((a == primaryIndex) != (b == primaryIndex))
            return a == primaryIndex;
        const Monitor& x = monitors[a];
        const Monitor& y = monitors[b];
        if (x.frame.x() != y.frame.x())
            return x.frame.x() < y.frame.x();
        return x.frame.y() < y.frame.y();
    });
    const Rect primary = monitors[order.front()].frame;
    auto cocoa = [&](const Rect& r) {
        return Rect(r.x() - primary.x(), primary.maxY() - r.maxY(), r.width(), r.height());
    };
    std::vector<ScreenInfo> result;
    for (std::size_t index : order) {
        ScreenInfo info;
        info.identifier = monitors[index].identifier;
        info.name = monitors[index].name;
        info.frame = cocoa(monitors[index].frame);
        info.visibleFrame = cocoa(index < usable.size() ? usable[index] : monitors[index].frame);
        result.push_back(info);
    }
    return result;
}
