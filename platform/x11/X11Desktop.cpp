#include "platform/x11/X11Desktop.h"

#include "platform/PlatformLog.h"
#include "platform/x11/X11TitleBarSettings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <unistd.h>
#include <xcb/randr.h>
#include <xcb/res.h>

namespace {

// The bounds of every wait for the server or the window manager, whatever the messaging timeout.
constexpr double ShortestWaitSeconds = 0.01;
constexpr double LongestWaitSeconds = 60;
// Longest wait for a window manager that has no way to tell that it handled a request.
constexpr double UnconfirmedWaitSeconds = 0.25;
// How long a window manager that advertises _NET_REQUEST_FRAME_EXTENTS has to answer it at start.
constexpr double ProbeWaitSeconds = 0.2;
// How long a frame may take to become the one asked for before the window manager is asked to
// confirm that it is done.
constexpr double FastConfirmSeconds = 0.005;
// What an action reads of the window it acts on.
constexpr unsigned ActionProperties = X11Property::Pid | X11Property::Class | X11Property::Type |
                                      X11Property::State | X11Property::AllowedActions |
                                      X11Property::NormalHints;
// Frames within a pixel of the target count as taken (rounding of fractional targets).
constexpr double FrameTolerance = 1.0;

constexpr std::uint32_t GravityNorthWest = 1;
constexpr std::uint32_t MoveResizeX = 1u << 8;
constexpr std::uint32_t MoveResizeY = 1u << 9;
constexpr std::uint32_t MoveResizeWidth = 1u << 10;
constexpr std::uint32_t MoveResizeHeight = 1u << 11;
// EWMH source indication: a pager or tool acting for the user.
constexpr std::uint32_t SourceTool = 2;
constexpr std::uint32_t IconicState = 3;
// Window managers put a client at most a few frames deep below the root.
constexpr int MaximumFrameDepth = 16;
// X-Resource learned to tell the process of a client in 1.2.
constexpr std::uint8_t ResourceMajor = 1;
constexpr std::uint8_t ResourceMinorWithClientIds = 2;

// WM_SIZE_HINTS flags and field positions (ICCCM 4.1.2.3).
constexpr std::uint32_t HintMinSize = 16;
constexpr std::uint32_t HintMaxSize = 32;
constexpr std::uint32_t HintResizeIncrement = 64;
constexpr std::uint32_t HintBaseSize = 256;
constexpr std::size_t SizeHintFields = 18;

X11SizeHints sizeHintsFromValues(const std::vector<std::uint32_t>& v) {
    X11SizeHints hints;
    if (v.size() < SizeHintFields)
        return hints;
    const std::uint32_t flags = v[0];
    const bool hasMin = flags & HintMinSize;
    const bool hasBase = flags & HintBaseSize;
    if (hasMin) {
        hints.minWidth = static_cast<int>(v[5]);
        hints.minHeight = static_cast<int>(v[6]);
    }
    if (flags & HintMaxSize) {
        hints.maxWidth = static_cast<int>(v[7]);
        hints.maxHeight = static_cast<int>(v[8]);
    }
    if (flags & HintResizeIncrement) {
        hints.widthIncrement = std::max(1, static_cast<int>(v[9]));
        hints.heightIncrement = std::max(1, static_cast<int>(v[10]));
    }
    // Each of base and minimum size stands in for the other when only one is given.
    if (hasBase) {
        hints.baseWidth = static_cast<int>(v[15]);
        hints.baseHeight = static_cast<int>(v[16]);
        if (!hasMin) {
            hints.minWidth = hints.baseWidth;
            hints.minHeight = hints.baseHeight;
        }
    } else if (hasMin) {
        hints.baseWidth = hints.minWidth;
        hints.baseHeight = hints.minHeight;
    }
    return hints;
}

X11Extents extentsFromValues(const std::vector<std::uint32_t>& v) {
    if (v.size() < 4)
        return {};
    return {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])};
}

} // namespace

struct X11Desktop::Observed {
    xcb_window_t client = XCB_WINDOW_NONE;
    xcb_window_t topLevel = XCB_WINDOW_NONE;
    std::optional<Rect> lastFrame;
    Signal<bool, bool> changed;
};

X11Desktop::X11Desktop(std::unique_ptr<X11Connection> connection)
    : m_connectionOwner(std::move(connection)), m_connection(*m_connectionOwner) {
    m_eventConnection =
        m_connection.events.connect([this](const xcb_generic_event_t* event) { handleEvent(event); });
    m_connection.setInspector([this](const xcb_generic_event_t* event) { inspect(event); });
    auto* c = m_connection.xcb();
    const xcb_query_extension_reply_t* resource = xcb_get_extension_data(c, &xcb_res_id);
    if (resource && resource->present) {
        const auto version = m_connection.reply(
            xcb_res_query_version_reply, xcb_res_query_version(c, ResourceMajor, ResourceMinorWithClientIds));
        m_hasResourcePids =
            version &&
            (version->server_major > ResourceMajor ||
             (version->server_major == ResourceMajor && version->server_minor >= ResourceMinorWithClientIds));
    }
    if (const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
        randr && randr->present)
        m_randrEventBase = randr->first_event;
    // The root's own ConfigureNotify tells of a new size of the screen or new monitors: a change of
    // RandR monitors sets the size of the screen again, even where the server announces nothing else.
    const std::uint32_t rootMask =
        XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection.xcb(), m_connection.root(), XCB_CW_EVENT_MASK, &rootMask);
    reloadWindowManager();
    reloadClients();
    reloadActiveWindow();
}

X11Desktop::~X11Desktop() {
    if (const xcb_window_t barrier = m_barrierWindow; barrier != XCB_WINDOW_NONE)
        xcb_destroy_window(m_connection.xcb(), barrier);
    m_connection.flush();
}

void X11Desktop::setPrimaryOrigin(Point rootPoint) {
    std::lock_guard lock(m_mutex);
    m_primaryOrigin = rootPoint;
}

Point X11Desktop::quartzFromRoot(double x, double y) const {
    std::lock_guard lock(m_mutex);
    return {x - m_primaryOrigin.x, y - m_primaryOrigin.y};
}

Point X11Desktop::rootFromQuartz(Point quartz) const {
    std::lock_guard lock(m_mutex);
    return {quartz.x + m_primaryOrigin.x, quartz.y + m_primaryOrigin.y};
}

std::vector<xcb_window_t> X11Desktop::clientsFrontToBack() const {
    std::lock_guard lock(m_mutex);
    return m_clientsFrontToBack;
}

xcb_window_t X11Desktop::activeWindow() const {
    std::lock_guard lock(m_mutex);
    return m_activeWindow;
}

bool X11Desktop::hasWindowManager() const {
    std::lock_guard lock(m_mutex);
    return m_wmCheckWindow != XCB_WINDOW_NONE;
}

bool X11Desktop::windowManagerSupports(X11Atom hint) const {
    std::lock_guard lock(m_mutex);
    return m_supported.contains(m_connection.atom(hint));
}

void X11Desktop::setMessagingTimeout(double seconds) {
    std::lock_guard lock(m_mutex);
    m_messagingTimeout = seconds;
}

double X11Desktop::messagingTimeout() const {
    std::lock_guard lock(m_mutex);
    return m_messagingTimeout;
}

double X11Desktop::timeout() const {
    return std::clamp(messagingTimeout(), ShortestWaitSeconds, LongestWaitSeconds);
}

void X11Desktop::setFallbackTitleLayout(const QString& layout) {
    std::lock_guard lock(m_mutex);
    m_fallbackTitleLayout = layout;
}

X11WindowKind X11Desktop::kindOf(const X11WindowInfo& info) const {
    auto has = [&](X11Atom atom) { return info.has(m_connection.atom(atom), info.types); };
    if (has(X11Atom::NetWmWindowTypeDesktop))
        return X11WindowKind::Desktop;
    if (has(X11Atom::NetWmWindowTypeDock))
        return X11WindowKind::Dock;
    const bool ordinary =
        info.types.empty() || has(X11Atom::NetWmWindowTypeNormal) || has(X11Atom::NetWmWindowTypeDialog);
    // The program's settings and help windows are ordinary; its panels and overlays are not.
    if (info.pid == getpid() && !ordinary)
        return X11WindowKind::OwnOverlay;
    if (!ordinary || info.has(m_connection.atom(X11Atom::NetWmStateAbove), info.states))
        return X11WindowKind::Floating;
    return X11WindowKind::Normal;
}

bool X11Desktop::isHidden(const X11WindowInfo& info) const {
    return info.has(m_connection.atom(X11Atom::NetWmStateHidden), info.states);
}

bool X11Desktop::isFullScreen(const X11WindowInfo& info) const {
    return info.has(m_connection.atom(X11Atom::NetWmStateFullscreen), info.states);
}

bool X11Desktop::isMaximized(const X11WindowInfo& info) const {
    return info.has(m_connection.atom(X11Atom::NetWmStateMaximizedVert), info.states) &&
           info.has(m_connection.atom(X11Atom::NetWmStateMaximizedHorz), info.states);
}

bool X11Desktop::allows(const X11WindowInfo& info, X11Atom action) const {
    return info.allowedActions.empty() || info.has(m_connection.atom(action), info.allowedActions);
}

// Properties --------------------------------------------------------------------------------------

X11WindowInfo X11Desktop::info(xcb_window_t window, unsigned properties) {
    return infos({window}, properties).front();
}

std::vector<X11WindowInfo> X11Desktop::infos(const std::vector<xcb_window_t>& windows, unsigned properties) {
    // Changes that have come already count.
    m_connection.waitForEvents(std::chrono::steady_clock::now(), [] { return true; });
    std::vector<X11WindowInfo> result;
    result.reserve(windows.size());
    std::vector<X11WindowInfo*> missing;
    std::set<xcb_window_t> watched; // watched before the reads went out
    {
        std::lock_guard lock(m_mutex);
        for (xcb_window_t window : windows) {
            if (m_selected.contains(window))
                watched.insert(window);
            auto it = m_infos.find(window);
            if (it != m_infos.end())
                result.push_back(it->second);
            else {
                X11WindowInfo fresh;
                fresh.window = window;
                result.push_back(fresh);
            }
        }
    }
    for (X11WindowInfo& info : result)
        if (info.exists && (info.fetched & properties) != properties)
            missing.push_back(&info);
    if (missing.empty())
        return result;
    fetch(missing, properties);
    std::lock_guard lock(m_mutex);
    for (X11WindowInfo* info : missing) {
        // Only watched windows are cached: their changes reach us as property events. A change
        // seen while reading may have come before or after the read, so that read is not kept.
        if (!watched.contains(info->window) || !m_selected.contains(info->window))
            continue;
        auto& cached = m_infos[info->window];
        if (cached.generation == info->generation)
            cached = *info;
    }
    return result;
}

void X11Desktop::fetch(std::vector<X11WindowInfo*> infos, unsigned properties) {
    struct Cookies {
        xcb_get_property_cookie_t pid, wmClass, netName, name, type, state, actions, hints, opacity,
            strutPartial, strut;
    };
    std::vector<Cookies> cookies(infos.size());
    for (std::size_t i = 0; i < infos.size(); ++i) {
        const xcb_window_t w = infos[i]->window;
        const unsigned wanted = properties & ~infos[i]->fetched;
        Cookies& k = cookies[i];
        k = {};
        if (wanted & X11Property::Pid)
            k.pid = m_connection.requestProperty(w, X11Atom::NetWmPid, XCB_ATOM_CARDINAL, 1);
        if (wanted & X11Property::Class)
            k.wmClass = m_connection.requestProperty(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256);
        if (wanted & X11Property::Title) {
            k.netName =
                m_connection.requestProperty(w, X11Atom::NetWmName, m_connection.atom(X11Atom::Utf8String));
            k.name = m_connection.requestProperty(w, XCB_ATOM_WM_NAME);
        }
        if (wanted & X11Property::Type)
            k.type = m_connection.requestProperty(w, X11Atom::NetWmWindowType, XCB_ATOM_ATOM);
        if (wanted & X11Property::State)
            k.state = m_connection.requestProperty(w, X11Atom::NetWmState, XCB_ATOM_ATOM);
        if (wanted & X11Property::AllowedActions)
            k.actions = m_connection.requestProperty(w, X11Atom::NetWmAllowedActions, XCB_ATOM_ATOM);
        if (wanted & X11Property::NormalHints)
            k.hints = m_connection.requestProperty(w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                                                   SizeHintFields);
        if (wanted & X11Property::Opacity)
            k.opacity = m_connection.requestProperty(w, X11Atom::NetWmWindowOpacity, XCB_ATOM_CARDINAL, 1);
        if (wanted & X11Property::Struts) {
            k.strutPartial =
                m_connection.requestProperty(w, X11Atom::NetWmStrutPartial, XCB_ATOM_CARDINAL, 12);
            k.strut = m_connection.requestProperty(w, X11Atom::NetWmStrut, XCB_ATOM_CARDINAL, 4);
        }
    }
    for (std::size_t i = 0; i < infos.size(); ++i) {
        X11WindowInfo& info = *infos[i];
        const unsigned wanted = properties & ~info.fetched;
        const Cookies& k = cookies[i];
        auto take = [&](xcb_get_property_cookie_t cookie) -> X11Reply<xcb_get_property_reply_t> {
            X11Reply<xcb_generic_error_t> error;
            auto reply = m_connection.reply(xcb_get_property_reply, cookie, X11ClosingWindowErrors, &error);
            if (error && error->error_code == X11ErrorCode::BadWindow)
                info.exists = false;
            return reply;
        };
        if (wanted & X11Property::Pid) {
            const auto values = X11Connection::cardinals(take(k.pid).get());
            info.pid = values.empty() ? 0 : static_cast<pid_t>(values.front());
        }
        if (wanted & X11Property::Class) {
            const auto parts = X11Connection::textList(take(k.wmClass).get());
            info.instanceName = parts.size() > 0 ? parts[0] : QByteArray();
            info.className = parts.size() > 1 ? parts[1] : QByteArray();
        }
        if (wanted & X11Property::Title) {
            const auto netName = take(k.netName);
            const auto name = take(k.name);
            info.title = X11Connection::text(netName.get());
            if (info.title.isEmpty())
                info.title = X11Connection::text(name.get());
        }
        if (wanted & X11Property::Type)
            info.types = X11Connection::cardinals(take(k.type).get());
        if (wanted & X11Property::State)
            info.states = X11Connection::cardinals(take(k.state).get());
        if (wanted & X11Property::AllowedActions)
            info.allowedActions = X11Connection::cardinals(take(k.actions).get());
        if (wanted & X11Property::NormalHints)
            info.hints = sizeHintsFromValues(X11Connection::cardinals(take(k.hints).get()));
        if (wanted & X11Property::Opacity) {
            const auto values = X11Connection::cardinals(take(k.opacity).get());
            info.opacity = values.empty() ? 1.0 : values.front() / double(0xffffffffu);
        }
        if (wanted & X11Property::Struts) {
            auto partial = X11Connection::cardinals(take(k.strutPartial).get());
            auto full = X11Connection::cardinals(take(k.strut).get());
            info.strutValues = partial.size() >= 12 ? partial : full;
        }
        info.fetched |= wanted;
    }
    if (properties & X11Property::Pid)
        fetchProcessesFromServer(infos);
}

void X11Desktop::fetchProcessesFromServer(const std::vector<X11WindowInfo*>& infos) {
    // Clients of older toolkits do not name their process; the server knows it for local ones.
    if (!m_hasResourcePids)
        return;
    auto* c = m_connection.xcb();
    std::vector<std::pair<X11WindowInfo*, xcb_res_query_client_ids_cookie_t>> cookies;
    for (X11WindowInfo* info : infos)
        if (info->exists && info->pid == 0) {
            const xcb_res_client_id_spec_t spec{info->window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            cookies.emplace_back(info, xcb_res_query_client_ids(c, 1, &spec));
        }
    for (const auto& [info, cookie] : cookies) {
        const auto reply = m_connection.reply(xcb_res_query_client_ids_reply, cookie, X11ClosingWindowErrors);
        if (!reply)
            continue;
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
             xcb_res_client_id_value_next(&it))
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
                xcb_res_client_id_value_value_length(it.data) >= 1)
                info->pid = static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
    }
}

// Frames ------------------------------------------------------------------------------------------

std::vector<std::optional<X11Desktop::FrameGeometry>>
X11Desktop::frameGeometries(const std::vector<xcb_window_t>& windows) {
    auto* c = m_connection.xcb();
    struct Cookies {
        xcb_translate_coordinates_cookie_t position;
        xcb_get_geometry_cookie_t geometry;
        xcb_get_property_cookie_t extents, gtkExtents;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t window : windows)
        cookies.push_back(
            {xcb_translate_coordinates(c, window, m_connection.root(), 0, 0), xcb_get_geometry(c, window),
             m_connection.requestProperty(window, X11Atom::NetFrameExtents, XCB_ATOM_CARDINAL, 4),
             m_connection.requestProperty(window, X11Atom::GtkFrameExtents, XCB_ATOM_CARDINAL, 4),
             xcb_get_window_attributes(c, window)});
    std::vector<std::optional<FrameGeometry>> result;
    result.reserve(windows.size());
    for (const Cookies& k : cookies) {
        const auto position =
            m_connection.reply(xcb_translate_coordinates_reply, k.position, X11ClosingWindowErrors);
        const auto geometry = m_connection.reply(xcb_get_geometry_reply, k.geometry, X11ClosingWindowErrors);
        const auto extents = m_connection.propertyReply(k.extents);
        const auto gtkExtents = m_connection.propertyReply(k.gtkExtents);
        const auto attributes =
            m_connection.reply(xcb_get_window_attributes_reply, k.attributes, X11ClosingWindowErrors);
        if (!position || !geometry) {
            result.emplace_back();
            continue;
        }
        FrameGeometry g;
        g.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        g.client = Rect(position->dst_x, position->dst_y, geometry->width, geometry->height);
        const X11Extents net = extentsFromValues(X11Connection::cardinals(extents.get()));
        g.clientSideShadow = extentsFromValues(X11Connection::cardinals(gtkExtents.get()));
        g.extents = {net.left - g.clientSideShadow.left, net.right - g.clientSideShadow.right,
                     net.top - g.clientSideShadow.top, net.bottom - g.clientSideShadow.bottom};
        g.frame = Rect(g.client.x() - g.extents.left, g.client.y() - g.extents.top,
                       g.client.width() + g.extents.left + g.extents.right,
                       g.client.height() + g.extents.top + g.extents.bottom);
        result.push_back(g);
    }
    return result;
}

std::optional<X11Desktop::FrameGeometry> X11Desktop::frameGeometry(xcb_window_t window) {
    return frameGeometries({window}).front();
}

std::optional<Rect> X11Desktop::frame(xcb_window_t window) {
    const auto geometry = trackedFrame(window);
    if (!geometry)
        return std::nullopt;
    return Rect(quartzFromRoot(geometry->frame.x(), geometry->frame.y()), geometry->frame.size);
}

namespace {

// Whether an event came before the server handled the request of that sequence (both wrap at 16 bits).
bool isBefore(std::uint16_t eventSequence, std::uint16_t requestSequence) {
    return std::int16_t(std::uint16_t(eventSequence - requestSequence)) < 0;
}

Rect frameAround(const Rect& client, const X11Extents& extents) {
    return Rect(client.x() - extents.left, client.y() - extents.top,
                client.width() + extents.left + extents.right,
                client.height() + extents.top + extents.bottom);
}

} // namespace

std::optional<X11Desktop::FrameGeometry> X11Desktop::cachedFrame(xcb_window_t window) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_tracked.find(window);
    if (it == m_tracked.end())
        return std::nullopt;
    return it->second.geometry;
}

std::vector<std::optional<X11Desktop::FrameGeometry>>
X11Desktop::trackedFrames(const std::vector<xcb_window_t>& windows) {
    // Whatever has come already counts: another client may just have moved the window.
    m_connection.waitForEvents(std::chrono::steady_clock::now(), [] { return true; });
    std::vector<std::optional<FrameGeometry>> result(windows.size());
    std::vector<std::size_t> unknown;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        result[i] = cachedFrame(windows[i]);
        if (!result[i])
            unknown.push_back(i);
    }
    if (unknown.empty())
        return result;
    auto* c = m_connection.xcb();
    // Its own events keep it; the root's bring those of its parent. All windows' reads travel
    // together: one round trip for the frames, one for the parents.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    struct Read {
        xcb_void_cookie_t selection;
        xcb_query_tree_cookie_t tree;
        xcb_get_geometry_cookie_t place;
    };
    std::vector<Read> reads;
    std::vector<xcb_window_t> unknownWindows;
    for (std::size_t i : unknown) {
        const xcb_window_t window = windows[i];
        unknownWindows.push_back(window);
        reads.push_back({xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask),
                         xcb_query_tree(c, window), xcb_get_geometry(c, window)});
        m_connection.expectErrors(reads.back().selection, X11ClosingWindowErrors);
    }
    const auto geometries = frameGeometries(unknownWindows);
    struct Parent {
        X11Reply<xcb_get_geometry_reply_t> place;
        xcb_window_t parent = XCB_WINDOW_NONE;
        std::optional<xcb_query_tree_cookie_t> cookie;
    };
    std::vector<Parent> parents(unknown.size());
    for (std::size_t k = 0; k < unknown.size(); ++k) {
        const auto tree = m_connection.reply(xcb_query_tree_reply, reads[k].tree, X11ClosingWindowErrors);
        parents[k].place = m_connection.reply(xcb_get_geometry_reply, reads[k].place, X11ClosingWindowErrors);
        result[unknown[k]] = geometries[k];
        if (!geometries[k] || !tree || !parents[k].place)
            continue;
        // Only a parent that is a child of the root reports its moves to us.
        parents[k].parent = tree->parent;
        parents[k].cookie = xcb_query_tree(c, tree->parent);
    }
    for (std::size_t k = 0; k < unknown.size(); ++k) {
        if (!parents[k].cookie)
            continue;
        const auto parentTree =
            m_connection.reply(xcb_query_tree_reply, *parents[k].cookie, X11ClosingWindowErrors);
        if (!parentTree)
            continue;
        TrackedFrame tracked;
        tracked.parent = parents[k].parent;
        std::uint16_t readTo = std::uint16_t(parents[k].cookie->sequence);
        // Some window managers put a window of their own between the frame and the client: it is
        // followed up to the frame once, and watched so that a change of it is read anew.
        xcb_window_t above = parentTree->parent;
        for (int depth = 0;
             above != m_connection.root() && above != XCB_WINDOW_NONE && depth < MaximumFrameDepth; ++depth) {
            const std::uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            m_connection.expectErrors(
                xcb_change_window_attributes(c, tracked.parent, XCB_CW_EVENT_MASK, &structure),
                X11ClosingWindowErrors);
            const auto placeCookie = xcb_get_geometry(c, tracked.parent);
            const auto treeCookie = xcb_query_tree(c, above);
            readTo = std::uint16_t(treeCookie.sequence);
            const auto place =
                m_connection.reply(xcb_get_geometry_reply, placeCookie, X11ClosingWindowErrors);
            const auto tree = m_connection.reply(xcb_query_tree_reply, treeCookie, X11ClosingWindowErrors);
            if (!place || !tree) {
                above = XCB_WINDOW_NONE;
                break;
            }
            const Point inside{double(place->x + place->border_width),
                               double(place->y + place->border_width)};
            tracked.betweenOffset.x += inside.x;
            tracked.betweenOffset.y += inside.y;
            tracked.between.push_back({tracked.parent, inside});
            tracked.parent = above;
            above = tree->parent;
        }
        if (above != m_connection.root())
            continue;
        const FrameGeometry& geometry = *geometries[k];
        const xcb_get_geometry_reply_t& place = *parents[k].place;
        tracked.geometry = geometry;
        tracked.clientOffset = Point{tracked.betweenOffset.x + place.x + place.border_width,
                                     tracked.betweenOffset.y + place.y + place.border_width};
        tracked.parentInside =
            Point{geometry.client.x() - tracked.clientOffset.x, geometry.client.y() - tracked.clientOffset.y};
        tracked.readFrom = std::uint16_t(reads[k].selection.sequence);
        tracked.readTo = readTo;
        std::lock_guard lock(m_mutex);
        m_tracked[unknownWindows[k]] = tracked;
    }
    return result;
}

std::optional<X11Desktop::FrameGeometry> X11Desktop::trackedFrame(xcb_window_t window) {
    return trackedFrames({window}).front();
}

std::optional<X11Desktop::FrameGeometry> X11Desktop::followedFrame(xcb_window_t window) {
    return trackedFrame(window);
}

void X11Desktop::catchUp() {
    m_connection.waitForEvents(std::chrono::steady_clock::now(), [] { return true; });
}

bool X11Desktop::isEchoOfFrameRequest(const xcb_generic_event_t* event) const {
    switch (x11EventType(event)) {
    case XCB_CONFIGURE_NOTIFY:
        // The root's tells of the screens.
        return reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window != m_connection.root();
    case XCB_CLIENT_MESSAGE: {
        const xcb_atom_t type = reinterpret_cast<const xcb_client_message_event_t*>(event)->type;
        return type == m_connection.atom(X11Atom::NetMoveresizeWindow) ||
               type == m_connection.atom(X11Atom::NetRequestFrameExtents);
    }
    case XCB_PROPERTY_NOTIFY:
        return reinterpret_cast<const xcb_property_notify_event_t*>(event)->window == m_barrierWindow;
    default:
        return false;
    }
}

bool X11Desktop::changesScreens(const xcb_generic_event_t* event) const {
    const std::uint8_t type = x11EventType(event);
    if (m_randrEventBase && (type == m_randrEventBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                             type == m_randrEventBase + XCB_RANDR_NOTIFY))
        return true;
    if (type == XCB_CONFIGURE_NOTIFY)
        return reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == m_connection.root();
    if (type != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    return e->window == m_connection.root() && (e->atom == m_connection.atom(X11Atom::NetWorkarea) ||
                                                e->atom == m_connection.atom(X11Atom::NetCurrentDesktop));
}

void X11Desktop::inspect(const xcb_generic_event_t* event) {
    if (changesScreens(event))
        ++m_screensGeneration;
    const std::uint8_t type = x11EventType(event);
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (e->window == m_barrierWindow && e->atom == m_connection.atom(X11Atom::NetFrameExtents) &&
            e->state == XCB_PROPERTY_NEW_VALUE) {
            ++m_barrierAnswers;
            return;
        }
        if (e->atom == m_connection.atom(X11Atom::NetFrameExtents) ||
            e->atom == m_connection.atom(X11Atom::GtkFrameExtents)) {
            std::lock_guard lock(m_mutex);
            m_tracked.erase(e->window);
        } else if (e->atom == m_connection.atom(X11Atom::NetWmState)) {
            std::lock_guard lock(m_mutex);
            m_stateChanged.insert(e->window);
        }
        // The cached properties go stale as soon as the change is read, not when the main thread
        // gets to it: a read in between must not take the old value.
        if (const unsigned stale = staleProperties(e->atom)) {
            std::lock_guard lock(m_mutex);
            if (m_selected.contains(e->window)) {
                X11WindowInfo& cached = m_infos[e->window];
                cached.window = e->window;
                cached.fetched &= ~stale;
                ++cached.generation;
            }
        }
        return;
    }
    if (type == XCB_CONFIGURE_NOTIFY) {
        followConfigure(reinterpret_cast<const xcb_configure_notify_event_t*>(event));
        return;
    }
    xcb_window_t changed = XCB_WINDOW_NONE;
    if (type == XCB_MAP_NOTIFY)
        changed = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
    else if (type == XCB_UNMAP_NOTIFY)
        changed = reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window;
    else if (type == XCB_REPARENT_NOTIFY)
        changed = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window;
    else if (type == XCB_DESTROY_NOTIFY)
        changed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window;
    else
        return;
    // A window mapped, unmapped, moved to another parent (a window manager that restarts) or
    // destroyed is read anew the next time, as is every client inside it.
    std::lock_guard lock(m_mutex);
    // A destroyed window is gone for every read from now on, not only once the main thread has
    // handled its end: a hot key pressed in between must not act on what was cached of it.
    if (type == XCB_DESTROY_NOTIFY)
        if (auto it = m_infos.find(changed); it != m_infos.end())
            it->second.exists = false;
    m_stateChanged.erase(changed);
    std::erase_if(m_tracked, [&](const auto& entry) {
        const auto& between = entry.second.between;
        return entry.first == changed || entry.second.parent == changed ||
               std::any_of(between.begin(), between.end(),
                           [&](const auto& b) { return b.window == changed; });
    });
}

void X11Desktop::followConfigure(const xcb_configure_notify_event_t* e) {
    const bool synthetic = e->response_type != x11EventType(reinterpret_cast<const xcb_generic_event_t*>(e));
    const Point inside{double(e->x + e->border_width), double(e->y + e->border_width)};
    std::lock_guard lock(m_mutex);
    auto follow = [&](TrackedFrame& tracked) {
        FrameGeometry& g = tracked.geometry;
        g.client = Rect(Point{tracked.parentInside.x + tracked.clientOffset.x,
                              tracked.parentInside.y + tracked.clientOffset.y},
                        g.client.size);
        g.frame = frameAround(g.client, g.extents);
    };
    for (auto it = m_tracked.begin(); it != m_tracked.end();) {
        TrackedFrame& tracked = it->second;
        const bool own = it->first == e->window && e->event == e->window;
        const bool parents = tracked.parent == e->window && e->event == m_connection.root();
        // A window between that only changed its size (the frame's) leaves the client where it was.
        const bool between =
            e->event == e->window &&
            std::any_of(tracked.between.begin(), tracked.between.end(), [&](const auto& b) {
                return b.window == e->window && (b.inside.x != inside.x || b.inside.y != inside.y);
            });
        if (!(own || parents || between) || isBefore(e->sequence, tracked.readFrom)) {
            ++it;
            continue;
        }
        // Between the requests of the read: whether it came before or after a reply is unknown.
        if (between || isBefore(e->sequence, tracked.readTo)) {
            it = m_tracked.erase(it);
            continue;
        }
        if (own) {
            // The window manager's own report is in root coordinates; the server's is the parent's.
            // Where a window of its own lies between, the frame's own event tells the place, and the
            // report is not needed (icewm's names a border the client does not have).
            if (synthetic && tracked.between.empty())
                tracked.parentInside =
                    Point{inside.x - tracked.clientOffset.x, inside.y - tracked.clientOffset.y};
            else if (!synthetic)
                tracked.clientOffset =
                    Point{tracked.betweenOffset.x + inside.x, tracked.betweenOffset.y + inside.y};
            tracked.geometry.client.size = Size{double(e->width), double(e->height)};
        } else {
            tracked.parentInside = inside;
        }
        follow(tracked);
        ++it;
    }
}

X11Desktop::SetFrameResult X11Desktop::setFrame(xcb_window_t window, std::optional<Point> origin,
                                                std::optional<Size> size, Rect* obtained) {
    const FrameOutcome outcome = setFrames({{window, origin, size}}).front();
    if (obtained && outcome.result != SetFrameResult::Gone)
        *obtained = outcome.obtained;
    return outcome.result;
}

namespace {

bool isMaximizedAtAll(const X11WindowInfo& info, const X11Connection& connection) {
    return info.has(connection.atom(X11Atom::NetWmStateMaximizedVert), info.states) ||
           info.has(connection.atom(X11Atom::NetWmStateMaximizedHorz), info.states);
}

std::chrono::steady_clock::time_point deadlineIn(double seconds) {
    return std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                  std::chrono::duration<double>(seconds));
}

} // namespace

std::vector<X11Desktop::FrameOutcome> X11Desktop::setFrames(const std::vector<FrameRequest>& requests) {
    std::vector<FrameOutcome> outcomes(requests.size());
    std::vector<xcb_window_t> windows;
    for (const FrameRequest& request : requests)
        windows.push_back(request.window);
    const std::vector<X11WindowInfo> properties =
        infos(windows, X11Property::State | X11Property::NormalHints);
    std::vector<std::optional<FrameGeometry>> before = trackedFrames(windows);

    std::vector<std::size_t> live;
    std::vector<std::size_t> maximized;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (!before[i] || !properties[i].exists)
            continue;
        live.push_back(i);
        if (isMaximizedAtAll(properties[i], m_connection))
            maximized.push_back(i);
    }
    if (!maximized.empty())
        unmaximize(windows, maximized, before);

    // What each window is asked, and what counts as taken: the frame at the origin, with the size
    // asked or that size as the window's size steps round it (window managers differ in which).
    struct Pending {
        std::size_t index;
        Point origin;      // root coordinates of the frame's top left
        Size exactFrame;   // the size asked
        Size steppedFrame; // the size asked, as the window's size hints shape it
    };
    std::vector<Pending> pending;
    for (std::size_t i : live) {
        const FrameRequest& request = requests[i];
        const FrameGeometry& b = *before[i];
        const X11Extents& e = b.extents;
        const Point targetOrigin = request.origin ? rootFromQuartz(*request.origin) : b.frame.origin;
        const Size frameSize = request.size ? *request.size : b.frame.size;
        const Size clientSize{std::max(1.0, std::round(frameSize.width - e.left - e.right)),
                              std::max(1.0, std::round(frameSize.height - e.top - e.bottom))};
        // The window manager places its own frame; a toolkit's shadow lies inside the client.
        const auto requestX =
            static_cast<std::int32_t>(std::lround(targetOrigin.x - b.clientSideShadow.left));
        const auto requestY = static_cast<std::int32_t>(std::lround(targetOrigin.y - b.clientSideShadow.top));
        sendFrameRequest(request.window, requestX, requestY, clientSize);
        const Size stepped = properties[i].hints.constrained(clientSize);
        pending.push_back({i, targetOrigin,
                           Size{clientSize.width + e.left + e.right, clientSize.height + e.top + e.bottom},
                           Size{stepped.width + e.left + e.right, stepped.height + e.top + e.bottom}});
    }
    m_connection.flush();

    auto near = [](double a, double b) { return std::abs(a - b) <= FrameTolerance; };
    auto sized = [&](const Rect& frame, const Size& s) {
        return near(frame.width(), s.width) && near(frame.height(), s.height);
    };
    auto taken = [&](const Pending& p, const Rect& frame) {
        const FrameRequest& request = requests[p.index];
        const bool originTaken =
            !request.origin || (near(frame.x(), p.origin.x) && near(frame.y(), p.origin.y));
        const bool sizeTaken = !request.size || sized(frame, p.steppedFrame) || sized(frame, p.exactFrame);
        return originTaken && sizeTaken;
    };

    // Frames are followed through the events the requests bring. Only for windows whose frame does
    // not become the one asked for (a window that clamps or refuses) is the window manager asked to
    // confirm that it is done, once for all of them, and those frames read anew.
    const bool confirmable = windowManagerConfirms();
    const double patience =
        confirmable ? std::min(timeout(), FastConfirmSeconds) : std::min(timeout(), UnconfirmedWaitSeconds);
    std::vector<std::optional<FrameGeometry>> after(requests.size());
    std::vector<const Pending*> unsure;
    m_connection.waitForEvents(deadlineIn(patience), [&] {
        unsure.clear();
        for (const Pending& p : pending) {
            after[p.index] = cachedFrame(requests[p.index].window);
            if (!after[p.index] || !taken(p, after[p.index]->frame))
                unsure.push_back(&p);
        }
        return unsure.empty();
    });
    bool answered = true;
    if (!unsure.empty()) {
        if (confirmable)
            answered = waitForWindowManager(timeout());
        std::vector<xcb_window_t> reread;
        for (const Pending* p : unsure)
            reread.push_back(requests[p->index].window);
        const auto read = frameGeometries(reread);
        std::lock_guard lock(m_mutex);
        for (std::size_t k = 0; k < unsure.size(); ++k) {
            after[unsure[k]->index] = read[k];
            m_tracked.erase(reread[k]);
        }
    }

    for (const Pending& p : pending) {
        FrameOutcome& outcome = outcomes[p.index];
        const auto& geometry = after[p.index];
        if (!geometry)
            continue;
        outcome.obtained =
            Rect(quartzFromRoot(geometry->frame.x(), geometry->frame.y()), geometry->frame.size);
        if (taken(p, geometry->frame)) {
            outcome.result = SetFrameResult::Done;
            // A size off the window's steps tells which of the two the window manager gives.
            if (requests[p.index].size && !sized(Rect(Point{}, p.exactFrame), p.steppedFrame))
                learnSizeSteps(sized(geometry->frame, p.steppedFrame));
            continue;
        }
        outcome.result = answered ? SetFrameResult::NotTaken : SetFrameResult::NoAnswer;
        const FrameRequest& request = requests[p.index];
        const Rect& result = outcome.obtained;
        // What was compared: the request as the window's size hints shape it.
        const Rect compared(request.origin ? quartzFromRoot(p.origin.x, p.origin.y) : result.origin,
                            request.size ? p.steppedFrame : result.size);
        const Rect asked(request.origin ? *request.origin : result.origin,
                         request.size ? *request.size : result.size);
        const QString note =
            compared == asked
                ? QString()
                : QStringLiteral(" (asked %1 within its size hints)").arg(stringFromSize(asked.size));
        platformLog(QStringLiteral("window 0x%1 did not take the frame %2%3: it has %4")
                        .arg(request.window, 0, 16)
                        .arg(stringFromRect(compared), note, stringFromRect(result)));
    }
    return outcomes;
}

void X11Desktop::sendFrameRequest(xcb_window_t window, std::int32_t x, std::int32_t y,
                                  const Size& clientSize) {
    if (windowManagerSupports(X11Atom::NetMoveresizeWindow)) {
        // Position and size in one request, the current size when only moving: window managers
        // that keep windows on screen refuse a frame that is only halfway there.
        const std::uint32_t flags = GravityNorthWest | (SourceTool << 12) | MoveResizeX | MoveResizeY |
                                    MoveResizeWidth | MoveResizeHeight;
        m_connection.sendRootMessage(window, X11Atom::NetMoveresizeWindow,
                                     {flags, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                      static_cast<std::uint32_t>(clientSize.width),
                                      static_cast<std::uint32_t>(clientSize.height)});
        return;
    }
    const std::uint32_t values[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                    static_cast<std::uint32_t>(clientSize.width),
                                    static_cast<std::uint32_t>(clientSize.height)};
    m_connection.expectErrors(xcb_configure_window(m_connection.xcb(), window,
                                                   XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                                       XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                                   values),
                              X11ClosingWindowErrors);
}

void X11Desktop::unmaximize(const std::vector<xcb_window_t>& windows, const std::vector<std::size_t>& which,
                            std::vector<std::optional<FrameGeometry>>& frames) {
    // A maximised window keeps its size and place until the state is gone, and many window managers
    // draw no border while it lasts: the frame is placed only with the extents it has afterwards.
    std::vector<xcb_window_t> changed;
    for (std::size_t i : which)
        changed.push_back(windows[i]);
    forgetStateChanges(changed);
    for (xcb_window_t window : changed)
        m_connection.sendRootMessage(window, X11Atom::NetWmState,
                                     {0, m_connection.atom(X11Atom::NetWmStateMaximizedVert),
                                      m_connection.atom(X11Atom::NetWmStateMaximizedHorz), SourceTool, 0});
    m_connection.flush();
    if (windowManagerConfirms()) {
        waitForWindowManager(timeout());
    } else {
        // The first change seen need not be the answer: some window managers take the state apart
        // one direction at a time, and a maximise asked just before may still be under way. The wait
        // lasts until the state holds no maximise any more.
        const auto deadline = deadlineIn(std::min(timeout(), UnconfirmedWaitSeconds));
        std::vector<xcb_window_t> waiting = changed;
        while (!waiting.empty() && m_connection.waitForEvents(deadline, [&] {
            std::lock_guard lock(m_mutex);
            return std::any_of(waiting.begin(), waiting.end(),
                               [&](xcb_window_t w) { return m_stateChanged.contains(w); });
        })) {
            forgetStateChanges(waiting);
            const std::vector<X11WindowInfo> states = infos(waiting, X11Property::State);
            std::vector<xcb_window_t> still;
            for (const X11WindowInfo& info : states)
                if (info.exists && isMaximizedAtAll(info, m_connection))
                    still.push_back(info.window);
            waiting = std::move(still);
        }
    }
    const auto now = trackedFrames(changed);
    for (std::size_t k = 0; k < which.size(); ++k)
        if (now[k])
            frames[which[k]] = now[k];
}

void X11Desktop::forgetStateChanges(const std::vector<xcb_window_t>& windows) {
    std::lock_guard lock(m_mutex);
    for (xcb_window_t window : windows)
        m_stateChanged.erase(window);
}

bool X11Desktop::windowManagerConfirms() const {
    std::lock_guard lock(m_mutex);
    return m_capabilities.confirms;
}

bool X11Desktop::waitForWindowManager(double timeout) {
    if (!windowManagerConfirms())
        return false;
    if (barrier(timeout))
        return true;
    platformLog(QStringLiteral("the window manager did not answer within %1 s").arg(timeout));
    return false;
}

bool X11Desktop::barrier(double timeout) {
    std::lock_guard lock(m_barrierMutex);
    auto* c = m_connection.xcb();
    xcb_window_t barrier = m_barrierWindow;
    if (barrier == XCB_WINDOW_NONE) {
        barrier = xcb_generate_id(c);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, barrier, m_connection.root(), -100, -100, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        m_barrierWindow = barrier;
    }
    // The window manager handles requests in order: once it answers this one, it has handled ours
    // before it, and the events of what it did have come before its answer. Answers are counted, so
    // that a late answer to an earlier question does not count for this one.
    const std::uint64_t ticket = ++m_barrierRequests;
    m_connection.sendRootMessage(barrier, X11Atom::NetRequestFrameExtents, {0, 0, 0, 0, 0});
    m_connection.flush();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(timeout));
    return m_connection.waitForEvents(deadline, [&] { return m_barrierAnswers >= ticket; });
}

void X11Desktop::probeWindowManager(const QString& name) {
    WindowManagerCapabilities found;
    found.name = name;
    // Some advertise the request and never answer it; a short wait tells, so that no frame request
    // waits the whole messaging timeout for an answer that does not come.
    found.confirms = windowManagerSupports(X11Atom::NetRequestFrameExtents) && barrier(ProbeWaitSeconds);
    {
        std::lock_guard lock(m_mutex);
        const bool same = found.name == m_capabilities.name && found.confirms == m_capabilities.confirms;
        if (found.name == m_capabilities.name)
            found.appliesSizeSteps = m_capabilities.appliesSizeSteps;
        m_capabilities = found;
        if (same)
            return;
    }
    if (name.isEmpty())
        platformLog(QStringLiteral("no window manager runs"));
    else
        platformLog(QStringLiteral("window manager %1: %2")
                        .arg(name, found.confirms ? QStringLiteral("confirms frame requests")
                                                  : QStringLiteral("does not confirm frame requests")));
}

void X11Desktop::learnSizeSteps(bool applies) {
    QString name;
    {
        std::lock_guard lock(m_mutex);
        if (m_capabilities.appliesSizeSteps)
            return;
        m_capabilities.appliesSizeSteps = applies;
        name = m_capabilities.name;
    }
    platformLog(QStringLiteral("window manager %1: %2")
                    .arg(name, applies ? QStringLiteral("rounds requested sizes to the window's size steps")
                                       : QStringLiteral("applies requested sizes exactly")));
}

// Requests ----------------------------------------------------------------------------------------

bool X11Desktop::activate(xcb_window_t window) {
    if (!hasWindowManager()) {
        const std::uint32_t stackMode = XCB_STACK_MODE_ABOVE;
        m_connection.expectErrors(
            xcb_configure_window(m_connection.xcb(), window, XCB_CONFIG_WINDOW_STACK_MODE, &stackMode),
            X11ClosingWindowErrors);
        // A window unmapped meanwhile cannot take the focus (BadMatch).
        m_connection.expectErrors(
            xcb_set_input_focus(m_connection.xcb(), XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME),
            {X11ErrorCode::BadWindow, X11ErrorCode::BadMatch});
    } else {
        m_connection.sendRootMessage(window, X11Atom::NetActiveWindow,
                                     {SourceTool, XCB_CURRENT_TIME, activeWindow(), 0, 0});
    }
    m_connection.flush();
    {
        // The new order arrives only once the window manager gets to the request. Until then the
        // window counts as in front, so that the next look at the order (the front window of its
        // application, say) does not undo the request with one of its own.
        std::lock_guard lock(m_mutex);
        const auto it = std::find(m_clientsFrontToBack.begin(), m_clientsFrontToBack.end(), window);
        if (it != m_clientsFrontToBack.end())
            std::rotate(m_clientsFrontToBack.begin(), it, it + 1);
    }
    return !m_connection.isBroken();
}

bool X11Desktop::changeState(xcb_window_t window, int action, X11Atom first, std::optional<X11Atom> second) {
    m_connection.sendRootMessage(window, X11Atom::NetWmState,
                                 {static_cast<std::uint32_t>(action), m_connection.atom(first),
                                  second ? m_connection.atom(*second) : 0u, SourceTool, 0});
    m_connection.flush();
    return !m_connection.isBroken();
}

bool X11Desktop::iconify(xcb_window_t window) {
    m_connection.sendRootMessage(window, X11Atom::WmChangeState, {IconicState, 0, 0, 0, 0});
    m_connection.flush();
    return !m_connection.isBroken();
}

bool X11Desktop::close(xcb_window_t window) {
    m_connection.sendRootMessage(window, X11Atom::NetCloseWindow, {XCB_CURRENT_TIME, SourceTool, 0, 0, 0});
    m_connection.flush();
    return !m_connection.isBroken();
}

std::vector<X11TitleButtonRect> X11Desktop::titleButtons(const FrameGeometry& geometry) const {
    QString layout;
    X11TitleBarMetrics metrics;
    std::optional<X11TitleButtonRow> row;
    {
        std::lock_guard lock(m_mutex);
        layout = m_titleLayout.isEmpty() && !m_titleRow ? m_fallbackTitleLayout : m_titleLayout;
        // A window manager whose configuration we cannot read gets no buttons rather than a guess:
        // a palette over the wrong spot of the title bar is worse than none.
        metrics = m_titleMetrics;
        row = m_titleRow;
    }
    const Rect frame(quartzFromRoot(geometry.frame.x(), geometry.frame.y()), geometry.frame.size);
    if (row)
        return X11TitleBar::buttonRects(frame, geometry.extents, *row);
    return X11TitleBar::buttonRects(frame, geometry.extents, layout, metrics);
}

// Observation -------------------------------------------------------------------------------------

Connection X11Desktop::observeGeometry(xcb_window_t window, GeometryHandler handler) {
    auto& observed = m_observed[window];
    if (!observed) {
        observed = std::make_unique<Observed>();
        observed->client = window;
        observed->topLevel = topLevelOf(window);
        observed->lastFrame = frame(window);
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        m_connection.expectErrors(
            xcb_change_window_attributes(m_connection.xcb(), window, XCB_CW_EVENT_MASK, &mask),
            X11ClosingWindowErrors);
        m_connection.flush();
    }
    auto inner = std::make_shared<Connection>(observed->changed.connect(std::move(handler)));
    return Connection([this, window, inner] {
        inner->disconnect();
        auto it = m_observed.find(window);
        if (it != m_observed.end() && it->second->changed.connectionCount() == 0)
            m_observed.erase(it);
    });
}

xcb_window_t X11Desktop::topLevelOf(xcb_window_t window) {
    xcb_window_t current = window;
    for (int depth = 0; depth < MaximumFrameDepth; ++depth) {
        const auto tree = m_connection.reply(
            xcb_query_tree_reply, xcb_query_tree(m_connection.xcb(), current), X11ClosingWindowErrors);
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == m_connection.root() || tree->parent == XCB_WINDOW_NONE)
            return current;
        current = tree->parent;
    }
    return current;
}

void X11Desktop::checkObserved(Observed& observed) {
    const auto now = frame(observed.client);
    if (!now)
        return;
    const bool moved = !observed.lastFrame || now->origin != observed.lastFrame->origin;
    const bool resized = !observed.lastFrame || now->size != observed.lastFrame->size;
    observed.lastFrame = now;
    if (moved || resized)
        observed.changed.emit(moved, resized);
}

// Events ------------------------------------------------------------------------------------------

void X11Desktop::handleEvent(const xcb_generic_event_t* event) {
    switch (x11EventType(event)) {
    case XCB_PROPERTY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        handlePropertyChange(e->window, e->atom);
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        std::vector<Observed*> touched;
        for (auto& [client, observed] : m_observed)
            if (client == e->window || observed->topLevel == e->window)
                touched.push_back(observed.get());
        for (Observed* observed : touched)
            checkObserved(*observed);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
        auto it = m_observed.find(e->window);
        if (it != m_observed.end()) {
            it->second->topLevel = topLevelOf(e->window);
            checkObserved(*it->second);
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        bool managerLeft;
        bool strutOwnerLeft = false;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_infos.find(e->window);
            if (it != m_infos.end()) {
                strutOwnerLeft = it->second.hasStrut();
                m_infos.erase(it);
            }
            managerLeft = e->window == m_wmCheckWindow;
        }
        if (managerLeft)
            reloadWindowManager();
        if (strutOwnerLeft)
            strutsChanged.emit();
        break;
    }
    default:
        break;
    }
}

unsigned X11Desktop::staleProperties(xcb_atom_t atom) const {
    auto is = [&](X11Atom which) { return atom == m_connection.atom(which); };
    if (is(X11Atom::NetWmPid))
        return X11Property::Pid;
    if (atom == XCB_ATOM_WM_CLASS)
        return X11Property::Class;
    if (is(X11Atom::NetWmName) || atom == XCB_ATOM_WM_NAME)
        return X11Property::Title;
    if (is(X11Atom::NetWmWindowType))
        return X11Property::Type;
    if (is(X11Atom::NetWmState))
        return X11Property::State;
    if (is(X11Atom::NetWmAllowedActions))
        return X11Property::AllowedActions;
    if (atom == XCB_ATOM_WM_NORMAL_HINTS)
        return X11Property::NormalHints;
    if (is(X11Atom::NetWmWindowOpacity))
        return X11Property::Opacity;
    if (is(X11Atom::NetWmStrutPartial) || is(X11Atom::NetWmStrut))
        return X11Property::Struts;
    return 0;
}

void X11Desktop::handlePropertyChange(xcb_window_t window, xcb_atom_t atom) {
    auto is = [&](X11Atom which) { return atom == m_connection.atom(which); };
    if (window == m_connection.root()) {
        if (is(X11Atom::NetClientListStacking) || is(X11Atom::NetClientList))
            reloadClients();
        else if (is(X11Atom::NetActiveWindow))
            reloadActiveWindow();
        else if (is(X11Atom::NetCurrentDesktop)) {
            currentDesktopChanged.emit();
            // Each desktop may have a work area of its own.
            strutsChanged.emit();
        } else if (is(X11Atom::NetWorkarea))
            strutsChanged.emit();
        // openbox names its theme anew each time it reads its configuration again.
        else if (is(X11Atom::NetSupportingWmCheck) || is(X11Atom::NetSupported) || is(X11Atom::ObTheme))
            reloadWindowManager();
        return;
    }
    const unsigned stale = staleProperties(atom);
    if (stale == X11Property::Struts)
        strutsChanged.emit();
    // The active window is the one the next hot key acts on: what it reads of it is read again now, while
    // nobody waits, not when the key is pressed (xterm sets its size hints anew after every resize).
    if ((stale & ActionProperties) && window == activeWindow())
        infos({window}, ActionProperties);
    if (is(X11Atom::NetFrameExtents) || is(X11Atom::GtkFrameExtents)) {
        auto it = m_observed.find(window);
        if (it != m_observed.end())
            checkObserved(*it->second);
    }
}

void X11Desktop::reloadClients() {
    auto stacking =
        m_connection.readCardinals(m_connection.root(), X11Atom::NetClientListStacking, XCB_ATOM_WINDOW);
    if (stacking.empty())
        stacking = m_connection.readCardinals(m_connection.root(), X11Atom::NetClientList, XCB_ATOM_WINDOW);
    std::vector<xcb_window_t> frontToBack(stacking.rbegin(), stacking.rend());
    const std::set<xcb_window_t> now(frontToBack.begin(), frontToBack.end());
    std::vector<xcb_window_t> added;
    {
        std::lock_guard lock(m_mutex);
        for (xcb_window_t window : frontToBack)
            if (!m_selected.contains(window))
                added.push_back(window);
    }
    // Property changes of every client keep its cached properties current. The selection goes out
    // before the window counts as watched, so every read cached later comes after it.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (xcb_window_t window : added)
        m_connection.expectErrors(
            xcb_change_window_attributes(m_connection.xcb(), window, XCB_CW_EVENT_MASK, &mask),
            X11ClosingWindowErrors);
    m_connection.flush();
    bool strutOwnerLeft = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_infos.begin(); it != m_infos.end();) {
            if (!now.contains(it->first)) {
                strutOwnerLeft = strutOwnerLeft || it->second.hasStrut();
                it = m_infos.erase(it);
            } else {
                ++it;
            }
        }
        m_selected.insert(added.begin(), added.end());
        std::erase_if(m_selected,
                      [&](xcb_window_t w) { return !now.contains(w) && !m_observed.contains(w); });
        if (frontToBack == m_clientsFrontToBack && added.empty() && !strutOwnerLeft)
            return;
        m_clientsFrontToBack = frontToBack;
    }
    bool newStrut = false;
    for (const X11WindowInfo& info : infos(added, X11Property::Struts))
        newStrut = newStrut || info.hasStrut();
    clientsChanged.emit();
    if (newStrut || strutOwnerLeft)
        strutsChanged.emit();
}

void X11Desktop::reloadActiveWindow() {
    const auto values =
        m_connection.readCardinals(m_connection.root(), X11Atom::NetActiveWindow, XCB_ATOM_WINDOW);
    const xcb_window_t active = values.empty() ? xcb_window_t(XCB_WINDOW_NONE) : values.front();
    {
        std::lock_guard lock(m_mutex);
        if (active == m_activeWindow)
            return;
        m_activeWindow = active;
    }
    if (active != XCB_WINDOW_NONE) {
        infos({active}, ActionProperties);
        trackedFrames({active});
    }
    activeWindowChanged.emit();
}

void X11Desktop::reloadWindowManager() {
    const auto check =
        m_connection.readCardinals(m_connection.root(), X11Atom::NetSupportingWmCheck, XCB_ATOM_WINDOW);
    xcb_window_t checkWindow = check.empty() ? xcb_window_t(XCB_WINDOW_NONE) : check.front();
    // A stale check window (its manager gone) does not point at itself.
    if (checkWindow != XCB_WINDOW_NONE) {
        const auto self =
            m_connection.readCardinals(checkWindow, X11Atom::NetSupportingWmCheck, XCB_ATOM_WINDOW);
        if (self.empty() || self.front() != checkWindow)
            checkWindow = XCB_WINDOW_NONE;
    }
    const QString name = checkWindow ? m_connection.readText(checkWindow, X11Atom::NetWmName) : QString();
    const auto supported =
        checkWindow ? m_connection.readCardinals(m_connection.root(), X11Atom::NetSupported, XCB_ATOM_ATOM)
                    : std::vector<std::uint32_t>{};

    QString layout;
    X11TitleBarMetrics metrics;
    std::optional<X11TitleButtonRow> row;
    if (name.compare(QStringLiteral("Openbox"), Qt::CaseInsensitive) == 0) {
        QString configFile = m_connection.readText(m_connection.root(), X11Atom::ObConfigFile);
        QStringList configs;
        if (!configFile.isEmpty())
            configs << configFile;
        configs << X11TitleBarSettings::configHome() + QStringLiteral("/openbox/rc.xml");
        const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
        for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
            configs << dir + QStringLiteral("/openbox/rc.xml");
        layout = X11TitleBar::openboxTitleLayout(X11TitleBarSettings::firstExisting(configs));
        // What openbox itself uses when its configuration names none.
        if (layout.isEmpty())
            layout = X11TitleBar::DefaultLayout;
        const QString theme = m_connection.readText(m_connection.root(), X11Atom::ObTheme);
        if (!theme.isEmpty()) {
            QStringList themercs;
            themercs << QDir::homePath() + QStringLiteral("/.themes/%1/openbox-3/themerc").arg(theme);
            for (const QString& dir : X11TitleBarSettings::dataDirs())
                themercs << dir + QStringLiteral("/themes/%1/openbox-3/themerc").arg(theme);
            metrics = X11TitleBar::openboxThemeMetrics(X11TitleBarSettings::firstExisting(themercs));
        }
    } else if (checkWindow != XCB_WINDOW_NONE) {
        row = X11TitleBarSettings::read(name);
    }
    {
        std::lock_guard lock(m_mutex);
        m_wmCheckWindow = checkWindow;
        m_supported = std::set<xcb_atom_t>(supported.begin(), supported.end());
        m_titleLayout = layout;
        m_titleMetrics = metrics;
        m_titleRow = row;
    }
    probeWindowManager(name);
    if (checkWindow != XCB_WINDOW_NONE) {
        // The check window's destruction tells that the manager went away.
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        m_connection.expectErrors(
            xcb_change_window_attributes(m_connection.xcb(), checkWindow, XCB_CW_EVENT_MASK, &mask),
            X11ClosingWindowErrors);
        m_connection.flush();
    }
}
