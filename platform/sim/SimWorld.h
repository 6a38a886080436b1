#pragma once

#include "platform/Accessibility.h"
#include "platform/OverlayWindows.h"
#include "platform/Screens.h"
#include "platform/Signal.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

class SimApplication;
class SimWindow;

// What every facility of the simulated desktop shares: screens, applications, windows and their
// stacking, the observers of windows. Elements reach it from the hover worker while the main
// thread scripts it, so all of it is guarded by one mutex. Members named "...Locked" expect the
// caller to hold it; the others take it themselves. Signals are emitted on the main thread once the
// lock is released, and observers hear of frame changes through the main run loop.
class SimWorld : public std::enable_shared_from_this<SimWorld> {
public:
    using Lock = std::unique_lock<std::mutex>;
    // An observer to tell of a change, once the lock is released.
    struct Note {
        std::uint64_t observer = 0;
        QString notification;
    };
    using Notes = std::vector<Note>;

    SimWorld();
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    Lock lock() const { return Lock(m_mutex); }
    // Runs fn under the lock and answers what it answers.
    template <class Fn> auto locked(Fn fn) const {
        auto guard = lock();
        return fn();
    }
    // Runs fn(notes) under the lock, then tells the observers what it noted; answers what fn answers.
    template <class Fn> auto changeFrames(Fn fn) {
        Notes notes;
        if constexpr (std::is_void_v<decltype(fn(notes))>) {
            locked([&] { fn(notes); });
            deliver(std::move(notes));
        } else {
            auto result = locked([&] { return fn(notes); });
            deliver(std::move(notes));
            return result;
        }
    }

    // Screens, in Cocoa coordinates, the primary first.
    std::uint32_t addScreen(const Rect& frame, const Rect& visibleFrame, double scale);
    bool removeScreen(std::uint32_t identifier);
    bool setScreenFrame(std::uint32_t identifier, const Rect& frame, const Rect& visibleFrame);
    std::vector<ScreenInfo> screens() const;
    void setSeparateSpaces(bool separate);
    bool separateSpaces() const;
    // The Quartz frame of the screen that holds most of the Quartz rectangle (the primary when none
    // does), whole or without menu bar and Dock; the zero rectangle without screens.
    Rect screenFrameForLocked(const Rect& quartz, bool visible) const;

    // Applications.
    SimApplication& addApplication(const QString& bundleIdentifier, const QString& name,
                                   std::optional<pid_t> pid = std::nullopt);
    SimApplication* applicationLocked(pid_t pid) const;
    std::vector<RunningApplication> runningApplications() const;
    std::optional<RunningApplication> runningApplication(pid_t pid) const;
    std::optional<RunningApplication> frontmostApplication() const;
    bool activate(pid_t pid, bool allWindows);
    bool hideOtherApplications(pid_t keep);
    void terminate(pid_t pid);
    void setHidden(pid_t pid, bool hidden);

    // Windows.
    SimWindow& addWindow(SimApplication& application, const Rect& frame, const QString& title);
    SimWindow* windowLocked(WindowNumber number) const;
    // Open windows front to back: higher layers first, then by stacking.
    std::vector<SimWindow*> stackLocked(bool onScreenOnly) const;
    std::vector<WindowListEntry> windowList(bool onScreenOnly) const;
    SimWindow* windowAtLocked(Point quartz) const;
    // The deepest element at the point: a title-bar button or grow area, else the window; null over
    // no window, and when its application cannot answer.
    AXElementRef elementAt(Point quartz);
    // What a press of the left button hits: an overlay of the program that takes clicks, else the window,
    // and whether on its title bar (not on a button).
    struct Press {
        OwnWindowId overlay = 0;
        WindowNumber window = 0;
        pid_t pid = 0;
        bool onTitleBar = false;
    };
    Press pressAt(Point quartz, bool raise);
    void raiseLocked(SimWindow& window);
    // Sets both frames at once, as the application does when it takes a frame.
    void setFrameLocked(SimWindow& window, const Rect& frame, Notes& notes);
    void zoomLocked(SimWindow& window, Notes& notes);
    void setFullScreenLocked(SimWindow& window, bool fullScreen, Notes& notes);
    void closeLocked(SimWindow& window);
    // Tells the observers; call without the lock.
    void deliver(Notes notes);

    // A title-bar drag: the window list follows every step, the accessibility frame lags behind by
    // the drag lag and catches up when the drag ends. While the window manager moves the window it
    // holds the keyboard; with restoresFrames, each step puts back the frame the drag gives the window,
    // undoing a frame set meanwhile, size included. Ending the move leaves the window where it is until
    // the move is resumed, from the window's frame then.
    void beginDrag(WindowNumber window);
    void dragBy(double dx, double dy);
    void endDrag();
    void setDragLag(int steps);
    void setDragRestoresFrames(bool restores);
    bool endWindowManagerMove(WindowNumber window);
    bool resumeWindowManagerMove(WindowNumber window);
    bool windowManagerMoving() const;

    // The program's overlays, above every window, the most recently shown first.
    void setOverlay(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents);
    void removeOverlay(OwnWindowId window);
    bool hasOverlay(OwnWindowId window) const;

    // Accessibility.
    void setTrusted(bool trusted);
    bool isTrustedLocked() const { return m_trusted; }
    void setMessagingTimeout(double seconds);
    double messagingTimeoutLocked() const { return m_messagingTimeout; }
    using Handler = Accessibility::NotificationHandler;
    std::uint64_t addObserver(WindowNumber window, const AXElementRef& element, Handler handler);
    void removeObserver(std::uint64_t observer);

    // Main thread.
    Signal<> screensChanged;
    Signal<const std::optional<RunningApplication>&> activeApplicationChanged;
    Signal<pid_t> applicationTerminated;

private:
    struct Observer {
        WindowNumber window = 0;
        AXElementRef element;
        std::shared_ptr<Handler> handler;
    };

    void noteFrameChangeLocked(const SimWindow& window, const Rect& before, Notes& notes) const;
    void applyLaggingLocked(SimWindow& window, std::size_t keep, Notes& notes);
    void deliverNote(const Note& note);
    void emitActivation(pid_t before);
    std::optional<RunningApplication> frontmostLocked() const;
    bool activateLocked(pid_t pid, bool allWindows);

    mutable std::mutex m_mutex;

    std::vector<ScreenInfo> m_screens;
    std::uint32_t m_nextScreen = 1;
    bool m_separateSpaces = true;

    std::map<pid_t, std::unique_ptr<SimApplication>> m_applications;
    pid_t m_nextPid;
    pid_t m_frontmost = 0;
    std::vector<pid_t> m_activationOrder; // most recent last

    std::map<WindowNumber, std::unique_ptr<SimWindow>> m_windows;
    std::vector<WindowNumber> m_stacking; // open windows, front first
    WindowNumber m_nextWindow;
    WindowNumber m_dragged = 0;
    int m_dragLag = 0;
    Rect m_dragFrame; // where the drag puts the window
    bool m_dragRestoresFrames = false;
    bool m_moveEnded = false;

    struct Overlay {
        OwnWindowId window = 0;
        Rect frame;
        bool ignoresMouseEvents = false;
    };
    std::vector<Overlay> m_overlays; // front first

    bool m_trusted = true;
    double m_messagingTimeout;
    std::map<std::uint64_t, Observer> m_observers;
    std::uint64_t m_nextObserver = 1;
};
