#pragma once

#include "platform/Geometry.h"
#include "platform/Signal.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11TitleBar.h"
#include "platform/x11/X11WindowInfo.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

// What a client window is to the program, from its type and state.
enum class X11WindowKind {
    Normal,
    Floating,   // kept above others, or a utility window
    Dock,       // panels and docks: never acted on
    Desktop,    // the desktop's background: never listed
    OwnOverlay, // the program's own overlays: never count
};

// The desktop as the window manager shows it: the managed client windows in stacking order, their
// properties and frames, and the requests that change them. Kept current from the events of the
// root and the clients. Reads and requests are safe from any thread; events, signals and
// observations belong to the main thread.
class X11Desktop {
public:
    explicit X11Desktop(std::unique_ptr<X11Connection> connection);
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    X11Connection& connection() { return *m_connectionOwner; }

    // Quartz coordinates have their origin at the top left of the primary monitor.
    void setPrimaryOrigin(Point rootPoint);
    Point quartzFromRoot(double x, double y) const;
    Point rootFromQuartz(Point quartz) const;

    std::vector<xcb_window_t> clientsFrontToBack() const;
    xcb_window_t activeWindow() const;
    bool hasWindowManager() const;
    bool windowManagerSupports(X11Atom hint) const;

    // Needs the Type, State and Pid properties.
    X11WindowKind kindOf(const X11WindowInfo& info) const;
    bool isHidden(const X11WindowInfo& info) const; // needs State
    bool isFullScreen(const X11WindowInfo& info) const;
    bool isMaximized(const X11WindowInfo& info) const;
    // Whether the window manager allows the action (all, when it lists none); needs AllowedActions.
    bool allows(const X11WindowInfo& info, X11Atom action) const;

    // Properties of a client, from the cache where they are known.
    X11WindowInfo info(xcb_window_t window, unsigned properties);
    std::vector<X11WindowInfo> infos(const std::vector<xcb_window_t>& windows, unsigned properties);

    struct FrameGeometry {
        Rect client;                 // root coordinates, inside the client's border
        X11Extents extents;          // from the client to the visible frame
        X11Extents clientSideShadow; // the part of the client a toolkit draws as its own shadow
        Rect frame;                  // root coordinates
        bool viewable = false;       // mapped, and so are its frame and everything above it
    };
    // Read anew on every call, several windows in one round trip.
    std::vector<std::optional<FrameGeometry>> frameGeometries(const std::vector<xcb_window_t>& windows);
    std::optional<FrameGeometry> frameGeometry(xcb_window_t window);
    // The frame as the window's events keep it, read only when it is not known yet (a window first
    // seen, one mapped or reparented since, one whose frame extents changed).
    std::optional<FrameGeometry> followedFrame(xcb_window_t window);
    // The visible frame in Quartz coordinates, as followed.
    std::optional<Rect> frame(xcb_window_t window);

    // NotTaken: the window manager handled the request and the frame is another; NoAnswer: it did
    // not answer within the messaging timeout.
    enum class SetFrameResult { Done, NotTaken, NoAnswer, Gone };
    // Moves the frame's top left to the origin and gives it the size (each when given; the current
    // size goes along when only moving), waits for the window manager and reads the frame back into
    // obtained (Quartz). A maximised window is first un-maximised.
    SetFrameResult setFrame(xcb_window_t window, std::optional<Point> origin, std::optional<Size> size,
                            Rect* obtained = nullptr);
    struct FrameRequest {
        xcb_window_t window = XCB_WINDOW_NONE;
        std::optional<Point> origin; // Quartz
        std::optional<Size> size;
    };
    struct FrameOutcome {
        SetFrameResult result = SetFrameResult::Gone;
        Rect obtained; // Quartz, unless gone
    };
    // The same for several windows: every request goes out before any answer is awaited, and the
    // window manager is asked to confirm at most once for all of them.
    std::vector<FrameOutcome> setFrames(const std::vector<FrameRequest>& requests);

    // What the running window manager does that the program must know, probed when it starts.
    struct WindowManagerCapabilities {
        QString name;
        // Answers _NET_REQUEST_FRAME_EXTENTS, which tells when it has handled the requests before it.
        bool confirms = false;
        // Rounds a requested size to the window's size steps (openbox, kwin) or applies it as asked
        // (xfwm4, fluxbox); learned from the first request that tells them apart.
        std::optional<bool> appliesSizeSteps;
    };

    bool activate(xcb_window_t window);
    // action: 0 remove, 1 add, 2 toggle.
    bool changeState(xcb_window_t window, int action, X11Atom first,
                     std::optional<X11Atom> second = std::nullopt);
    bool iconify(xcb_window_t window);
    bool close(xcb_window_t window);

    // The title-bar buttons of a client's frame (Quartz), when the window manager draws them.
    std::vector<X11TitleButtonRect> titleButtons(const FrameGeometry& geometry) const;
    // The layout the user set for window managers whose configuration is not read; empty for none,
    // which leaves their windows without buttons.
    void setFallbackTitleLayout(const QString& layout);

    void setMessagingTimeout(double seconds);
    double messagingTimeout() const;

    // Calls the handler on the main thread when the client's frame moves or changes size, as long as
    // the connection lives. Disconnected when the window is gone.
    using GeometryHandler = std::function<void(bool moved, bool resized)>;
    Connection observeGeometry(xcb_window_t window, GeometryHandler handler);

    Signal<> clientsChanged;
    Signal<> activeWindowChanged;
    Signal<> currentDesktopChanged;
    // The struts of docks or the window manager's work area changed.
    Signal<> strutsChanged;

    // Counts what may change the monitors, the root's size, the work area or the current desktop, as soon
    // as it is read, on any thread: what was read at one count holds until the next.
    std::uint64_t screensGeneration() const { return m_screensGeneration; }
    // Reads the events that have come already, without waiting for more, so that what they change counts.
    void catchUp();
    // What a frame request brings back that nothing on the main thread waits for (any thread): our own
    // request seen on the root, a client's or frame's ConfigureNotify (followed as soon as it is read), the
    // window manager's answer to a barrier.
    bool isEchoOfFrameRequest(const xcb_generic_event_t* event) const;

private:
    struct Observed;
    // A client's frame as events keep it: read once, then followed through the ConfigureNotify of the
    // client and of its parent (a child of the root, whose events the root's selection brings).
    struct TrackedFrame {
        FrameGeometry geometry;
        xcb_window_t parent = XCB_WINDOW_NONE;
        Point parentInside; // root coordinates of the parent's inside
        Point clientOffset; // from the parent's inside to the client's
        // Windows of the window manager between the client and the frame (icewm's), and the offset of the
        // client's own parent within the frame: a change of theirs is read anew.
        struct Between {
            xcb_window_t window = XCB_WINDOW_NONE;
            Point inside; // within its own parent's inside
        };
        std::vector<Between> between;
        Point betweenOffset;
        std::uint16_t readFrom = 0; // sequence of the read: older events say nothing new
        std::uint16_t readTo = 0;
    };

    void handleEvent(const xcb_generic_event_t* event);
    // Every event as soon as it is read, on the reading thread: keeps the tracked frames and counts
    // the window manager's answers.
    void inspect(const xcb_generic_event_t* event);
    void followConfigure(const xcb_configure_notify_event_t* event);
    // Whether the event may change what screensGeneration counts.
    bool changesScreens(const xcb_generic_event_t* event) const;
    // The frame as tracked, read first when it is not; the tracked one alone.
    std::optional<FrameGeometry> trackedFrame(xcb_window_t window);
    std::vector<std::optional<FrameGeometry>> trackedFrames(const std::vector<xcb_window_t>& windows);
    void sendFrameRequest(xcb_window_t window, std::int32_t x, std::int32_t y, const Size& clientSize);
    // Un-maximises the windows at those indices and reads their frames anew into frames.
    void unmaximize(const std::vector<xcb_window_t>& windows, const std::vector<std::size_t>& which,
                    std::vector<std::optional<FrameGeometry>>& frames);
    // From here on only later changes of the windows' _NET_WM_STATE count as seen.
    void forgetStateChanges(const std::vector<xcb_window_t>& windows);
    bool windowManagerConfirms() const;
    // Asks the window manager to answer once it has handled every request before; false without an
    // answer by the time-out.
    bool barrier(double timeout);
    void probeWindowManager(const QString& name);
    std::optional<FrameGeometry> cachedFrame(xcb_window_t window) const;
    void handlePropertyChange(xcb_window_t window, xcb_atom_t atom);
    // The cached properties that a change of the property makes stale.
    unsigned staleProperties(xcb_atom_t atom) const;
    void reloadClients();
    void reloadActiveWindow();
    void reloadWindowManager();
    void checkObserved(Observed& observed);
    xcb_window_t topLevelOf(xcb_window_t window);
    bool waitForWindowManager(double timeout);
    // Notes, once per window manager, which of the sizes a window with size steps was given.
    void learnSizeSteps(bool applies);
    void fetch(std::vector<X11WindowInfo*> infos, unsigned properties);
    void fetchProcessesFromServer(const std::vector<X11WindowInfo*>& infos);
    double timeout() const;

    std::unique_ptr<X11Connection> m_connectionOwner;
    X11Connection& m_connection;
    Connection m_eventConnection;
    bool m_hasResourcePids = false;

    mutable std::mutex m_mutex; // guards everything below that other threads read
    Point m_primaryOrigin;
    std::vector<xcb_window_t> m_clientsFrontToBack;
    std::unordered_map<xcb_window_t, X11WindowInfo> m_infos;
    xcb_window_t m_activeWindow = XCB_WINDOW_NONE;
    xcb_window_t m_wmCheckWindow = XCB_WINDOW_NONE;
    std::set<xcb_atom_t> m_supported;
    QString m_titleLayout;
    QString m_fallbackTitleLayout;
    X11TitleBarMetrics m_titleMetrics;
    std::optional<X11TitleButtonRow> m_titleRow; // of window managers other than openbox
    double m_messagingTimeout = 1.0;

    std::unordered_map<xcb_window_t, TrackedFrame> m_tracked; // guarded by m_mutex
    std::set<xcb_window_t> m_stateChanged;                    // guarded by m_mutex: _NET_WM_STATE seen
    WindowManagerCapabilities m_capabilities;                 // guarded by m_mutex

    std::mutex m_barrierMutex; // one wait for the window manager at a time
    // Made once by the first wait, under m_barrierMutex; read by whichever thread inspects events.
    std::atomic<xcb_window_t> m_barrierWindow{XCB_WINDOW_NONE};
    std::uint64_t m_barrierRequests = 0; // guarded by m_barrierMutex
    std::atomic<std::uint64_t> m_barrierAnswers{0};
    std::atomic<std::uint64_t> m_screensGeneration{0};
    std::uint8_t m_randrEventBase = 0; // 0 without RandR

    std::map<xcb_window_t, std::unique_ptr<Observed>> m_observed; // main thread
    std::set<xcb_window_t> m_selected;                            // main thread
};
