#include "platform/sim/SimWorld.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimElement.h"
#include "platform/sim/SimWindow.h"

#include <algorithm>

namespace {

constexpr pid_t FirstProcessIdentifier = 1001;
constexpr WindowNumber FirstWindowNumber = 101;
// The platform's own default, until the program sets its own.
constexpr double DefaultMessagingTimeout = 6.0;
// Launch times are made up but stable, so records that carry them compare alike from run to run.
constexpr double FirstLaunchTime = 1'700'000'000.0;

bool isUsableFrame(const Rect& frame) {
    return frame.isFinite() && !frame.isEmpty();
}

bool visibleFrameFits(const Rect& frame, const Rect& visibleFrame) {
    return isUsableFrame(visibleFrame) && frame.contains(visibleFrame);
}

} // namespace

SimWorld::SimWorld()
    : m_nextPid(FirstProcessIdentifier), m_nextWindow(FirstWindowNumber),
      m_messagingTimeout(DefaultMessagingTimeout) {}

SimWorld::~SimWorld() = default;

// Screens

std::uint32_t SimWorld::addScreen(const Rect& frame, const Rect& visibleFrame, double scale) {
    std::uint32_t identifier = 0;
    {
        auto guard = lock();
        if (!isUsableFrame(frame) || !visibleFrameFits(frame, visibleFrame) || !(scale > 0)) {
            platformLog(QStringLiteral("sim: cannot add a screen with frame %1 and visible frame %2")
                            .arg(stringFromRect(frame), stringFromRect(visibleFrame)));
            return 0;
        }
        if (m_screens.empty() && frame.origin != Point{}) {
            platformLog(QStringLiteral("sim: the primary screen must start at (0, 0), not %1")
                            .arg(stringFromPoint(frame.origin)));
            return 0;
        }
        ScreenInfo screen;
        identifier = m_nextScreen++;
        screen.identifier = identifier;
        screen.name = QStringLiteral("Simulated Display %1").arg(screen.identifier);
        screen.frame = frame;
        screen.visibleFrame = visibleFrame;
        screen.backingScaleFactor = scale;
        m_screens.push_back(screen);
    }
    screensChanged.emit();
    return identifier;
}

bool SimWorld::removeScreen(std::uint32_t identifier) {
    {
        auto guard = lock();
        const auto it = std::find_if(m_screens.begin(), m_screens.end(),
                                     [&](const ScreenInfo& s) { return s.identifier == identifier; });
        if (it == m_screens.end()) {
            platformLog(QStringLiteral("sim: no screen %1 to remove").arg(identifier));
            return false;
        }
        m_screens.erase(it);
        // A new primary screen moves the origin of the coordinates to its corner.
        if (!m_screens.empty() && m_screens.front().frame.origin != Point{}) {
            const Point shift = m_screens.front().frame.origin;
            for (auto& screen : m_screens) {
                screen.frame = screen.frame.offsetBy(-shift.x, -shift.y);
                screen.visibleFrame = screen.visibleFrame.offsetBy(-shift.x, -shift.y);
            }
        }
    }
    screensChanged.emit();
    return true;
}

bool SimWorld::setScreenFrame(std::uint32_t identifier, const Rect& frame, const Rect& visibleFrame) {
    {
        auto guard = lock();
        const auto it = std::find_if(m_screens.begin(), m_screens.end(),
                                     [&](const ScreenInfo& s) { return s.identifier == identifier; });
        const bool primary = it == m_screens.begin();
        if (it == m_screens.end() || !isUsableFrame(frame) || !visibleFrameFits(frame, visibleFrame) ||
            (primary && frame.origin != Point{})) {
            platformLog(QStringLiteral("sim: cannot give screen %1 the frame %2 and visible frame %3")
                            .arg(identifier)
                            .arg(stringFromRect(frame), stringFromRect(visibleFrame)));
            return false;
        }
        it->frame = frame;
        it->visibleFrame = visibleFrame;
    }
    screensChanged.emit();
    return true;
}

std::vector<ScreenInfo> SimWorld::screens() const {
    auto guard = lock();
    return m_screens;
}

void SimWorld::setSeparateSpaces(bool separate) {
    {
        auto guard = lock();
        m_separateSpaces = separate;
    }
    screensChanged.emit();
}

bool SimWorld::separateSpaces() const {
    auto guard = lock();
    return m_separateSpaces;
}

Rect SimWorld::screenFrameForLocked(const Rect& quartz, bool visible) const {
    if (m_screens.empty())
        return {};
    const double primaryHeight = m_screens.front().frame.height();
    const auto toQuartz = [primaryHeight](const Rect& cocoa) {
        return Rect(cocoa.x(), primaryHeight - cocoa.maxY(), cocoa.width(), cocoa.height());
    };
    const ScreenInfo* best = &m_screens.front();
    double bestArea = 0;
    for (const auto& screen : m_screens) {
        const double area = toQuartz(screen.frame).intersected(quartz).area();
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    return toQuartz(visible ? best->visibleFrame : best->frame);
}

// Applications

SimApplication& SimWorld::addApplication(const QString& bundleIdentifier, const QString& name,
                                         std::optional<pid_t> givenPid) {
    SimApplication* application = nullptr;
    bool becameFrontmost = false;
    {
        auto guard = lock();
        const pid_t pid = givenPid ? *givenPid : m_nextPid++;
        const double launchTime = FirstLaunchTime + (pid - FirstProcessIdentifier);
        auto owned = std::unique_ptr<SimApplication>(
            new SimApplication(*this, pid, bundleIdentifier, name, launchTime));
        application = owned.get();
        m_applications.emplace(pid, std::move(owned));
        if (m_frontmost == 0) {
            m_frontmost = pid;
            m_activationOrder.push_back(pid);
            becameFrontmost = true;
        }
    }
    if (becameFrontmost)
        activeApplicationChanged.emit(frontmostApplication());
    return *application;
}

SimApplication* SimWorld::applicationLocked(pid_t pid) const {
    const auto it = m_applications.find(pid);
    return it == m_applications.end() ? nullptr : it->second.get();
}

std::vector<RunningApplication> SimWorld::runningApplications() const {
    auto guard = lock();
    std::vector<RunningApplication> result;
    for (const auto& [pid, application] : m_applications) {
        if (!application->m_terminated)
            result.push_back(application->infoLocked());
    }
    return result;
}

std::optional<RunningApplication> SimWorld::runningApplication(pid_t pid) const {
    auto guard = lock();
    const auto* application = applicationLocked(pid);
    if (!application || application->m_terminated)
        return std::nullopt;
    return application->infoLocked();
}

std::optional<RunningApplication> SimWorld::frontmostApplication() const {
    auto guard = lock();
    return frontmostLocked();
}

std::optional<RunningApplication> SimWorld::frontmostLocked() const {
    const auto* application = applicationLocked(m_frontmost);
    if (!application || application->m_terminated)
        return std::nullopt;
    return application->infoLocked();
}

bool SimWorld::activateLocked(pid_t pid, bool allWindows) {
    auto* application = applicationLocked(pid);
    if (!application || application->m_terminated)
        return false;
    application->m_hidden = false;
    // Raising from the back keeps the application's windows in their order among themselves.
    std::vector<SimWindow*> own;
    for (auto* window : stackLocked(false)) {
        if (&window->m_application == application)
            own.push_back(window);
    }
    if (!allWindows && own.size() > 1)
        own.resize(1);
    for (auto it = own.rbegin(); it != own.rend(); ++it)
        raiseLocked(**it);
    m_frontmost = pid;
    std::erase(m_activationOrder, pid);
    m_activationOrder.push_back(pid);
    return true;
}

bool SimWorld::activate(pid_t pid, bool allWindows) {
    pid_t before = 0;
    {
        auto guard = lock();
        before = m_frontmost;
        if (!activateLocked(pid, allWindows))
            return false;
    }
    emitActivation(before);
    return true;
}

void SimWorld::emitActivation(pid_t before) {
    std::optional<RunningApplication> now;
    {
        auto guard = lock();
        if (m_frontmost == before)
            return;
        now = frontmostLocked();
    }
    activeApplicationChanged.emit(now);
}

bool SimWorld::hideOtherApplications(pid_t keep) {
    auto guard = lock();
    const auto* kept = applicationLocked(keep);
    if (!kept || kept->m_terminated)
        return false;
    for (auto& [pid, application] : m_applications) {
        if (pid != keep)
            application->m_hidden = true;
    }
    return true;
}

void SimWorld::terminate(pid_t pid) {
    pid_t before = 0;
    {
        auto guard = lock();
        auto* application = applicationLocked(pid);
        if (!application || application->m_terminated)
            return;
        application->m_terminated = true;
        for (auto& [number, window] : m_windows) {
            if (&window->m_application == application)
                closeLocked(*window);
        }
        before = m_frontmost;
        std::erase(m_activationOrder, pid);
        if (m_frontmost == pid)
            m_frontmost = m_activationOrder.empty() ? 0 : m_activationOrder.back();
    }
    applicationTerminated.emit(pid);
    emitActivation(before);
}

void SimWorld::setHidden(pid_t pid, bool hidden) {
    auto guard = lock();
    if (auto* application = applicationLocked(pid))
        application->m_hidden = hidden;
}

// Windows

SimWindow& SimWorld::addWindow(SimApplication& application, const Rect& frame, const QString& title) {
    auto guard = lock();
    const WindowNumber number = m_nextWindow++;
    auto owned = std::unique_ptr<SimWindow>(new SimWindow(*this, application, number, frame));
    auto& window = *owned;
    window.m_title = title;
    m_windows.emplace(number, std::move(owned));
    if (application.m_terminated || !frame.isFinite()) {
        platformLog(QStringLiteral("sim: cannot open window \"%1\" with frame %2 for %3 application \"%4\"")
                        .arg(title, stringFromRect(frame),
                             application.m_terminated ? QStringLiteral("terminated") : QStringLiteral("the"),
                             application.m_name));
        window.m_closed = true;
        return window;
    }
    m_stacking.insert(m_stacking.begin(), number);
    return window;
}

SimWindow* SimWorld::windowLocked(WindowNumber number) const {
    const auto it = m_windows.find(number);
    return it == m_windows.end() ? nullptr : it->second.get();
}

std::vector<SimWindow*> SimWorld::stackLocked(bool onScreenOnly) const {
    std::vector<SimWindow*> result;
    for (const WindowNumber number : m_stacking) {
        auto* window = windowLocked(number);
        if (window && (!onScreenOnly || window->onScreenLocked()))
            result.push_back(window);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const SimWindow* a, const SimWindow* b) { return a->m_layer > b->m_layer; });
    return result;
}

std::vector<WindowListEntry> SimWorld::windowList(bool onScreenOnly) const {
    auto guard = lock();
    std::vector<WindowListEntry> result;
    for (const auto* window : stackLocked(onScreenOnly)) {
        WindowListEntry entry;
        entry.number = window->m_number;
        entry.bounds = window->m_serverFrame;
        entry.ownerPID = window->m_application.m_pid;
        entry.ownerName = window->m_application.m_name;
        entry.title = window->m_title;
        entry.layer = window->m_layer;
        entry.alpha = window->m_alpha;
        entry.onScreen = window->onScreenLocked();
        result.push_back(entry);
    }
    return result;
}

SimWindow* SimWorld::windowAtLocked(Point quartz) const {
    for (auto* window : stackLocked(true)) {
        if (window->m_serverFrame.contains(quartz))
            return window;
    }
    return nullptr;
}

AXElementRef SimWorld::elementAt(Point quartz) {
    auto guard = lock();
    auto* window = windowAtLocked(quartz);
    if (!m_trusted || !window || window->m_application.m_responseTime > m_messagingTimeout)
        return nullptr;
    const pid_t pid = window->m_application.m_pid;
    if (const auto button = window->buttonAtLocked(quartz))
        return SimElement::make(weak_from_this(), SimElement::Kind::Button, pid, window->m_number,
                                static_cast<int>(*button));
    if (window->m_growArea && window->absoluteLocked(*window->m_growArea).contains(quartz))
        return SimElement::make(weak_from_this(), SimElement::Kind::GrowArea, pid, window->m_number);
    return SimElement::make(weak_from_this(), SimElement::Kind::Window, pid, window->m_number);
}

SimWorld::Press SimWorld::pressAt(Point quartz, bool raise) {
    auto guard = lock();
    for (const Overlay& overlay : m_overlays) {
        if (!overlay.ignoresMouseEvents && overlay.frame.contains(quartz))
            return {.overlay = overlay.window};
    }
    auto* window = windowAtLocked(quartz);
    if (!window)
        return {};
    Press press;
    press.window = window->m_number;
    press.pid = window->m_application.m_pid;
    press.onTitleBar =
        quartz.y < window->m_serverFrame.minY() + window->m_titleBarHeight && !window->buttonAtLocked(quartz);
    if (raise)
        raiseLocked(*window);
    return press;
}

void SimWorld::raiseLocked(SimWindow& window) {
    const auto it = std::find(m_stacking.begin(), m_stacking.end(), window.m_number);
    if (it == m_stacking.end())
        return;
    m_stacking.erase(it);
    m_stacking.insert(m_stacking.begin(), window.m_number);
}

void SimWorld::setFrameLocked(SimWindow& window, const Rect& frame, Notes& notes) {
    const Rect before = window.m_frame;
    window.m_frame = frame;
    window.m_serverFrame = frame;
    window.m_lagging.clear();
    noteFrameChangeLocked(window, before, notes);
}

void SimWorld::zoomLocked(SimWindow& window, Notes& notes) {
    const Rect screen = screenFrameForLocked(window.m_serverFrame, true);
    const Rect zoomed(screen.origin, window.constrainedSizeLocked(screen.size));
    if (window.m_frame == zoomed && window.m_frameBeforeZoom) {
        setFrameLocked(window, *window.m_frameBeforeZoom, notes);
        window.m_frameBeforeZoom.reset();
        return;
    }
    window.m_frameBeforeZoom = window.m_frame;
    setFrameLocked(window, zoomed, notes);
}

void SimWorld::setFullScreenLocked(SimWindow& window, bool fullScreen, Notes& notes) {
    if (window.m_fullScreen == fullScreen)
        return;
    if (fullScreen) {
        window.m_frameBeforeFullScreen = window.m_frame;
        setFrameLocked(window, screenFrameForLocked(window.m_serverFrame, false), notes);
    } else {
        setFrameLocked(window, window.m_frameBeforeFullScreen, notes);
    }
    window.m_fullScreen = fullScreen;
}

void SimWorld::closeLocked(SimWindow& window) {
    window.m_closed = true;
    std::erase(m_stacking, window.m_number);
    if (m_dragged == window.m_number)
        m_dragged = 0;
}

void SimWorld::noteFrameChangeLocked(const SimWindow& window, const Rect& before, Notes& notes) const {
    const bool moved = before.origin != window.m_frame.origin;
    const bool resized = before.size != window.m_frame.size;
    if (!moved && !resized)
        return;
    for (const auto& [id, observer] : m_observers) {
        if (observer.window != window.m_number)
            continue;
        if (moved)
            notes.push_back({id, AX::MovedNotification});
        if (resized)
            notes.push_back({id, AX::ResizedNotification});
    }
}

void SimWorld::deliver(Notes notes) {
    const std::weak_ptr<SimWorld> weak = weak_from_this();
    for (auto& note : notes) {
        RunLoop::main().performOnMainThread([weak, note = std::move(note)] {
            if (auto world = weak.lock())
                world->deliverNote(note);
        });
    }
}

void SimWorld::deliverNote(const Note& note) {
    AXElementRef element;
    std::shared_ptr<Handler> handler;
    {
        auto guard = lock();
        const auto it = m_observers.find(note.observer);
        if (it == m_observers.end())
            return;
        element = it->second.element;
        handler = it->second.handler;
    }
    (*handler)(element, note.notification);
}

// Drags

void SimWorld::beginDrag(WindowNumber number) {
    auto guard = lock();
    auto* window = windowLocked(number);
    if (!window || window->m_closed)
        return;
    m_dragged = number;
    m_dragFrame = window->m_serverFrame;
    m_moveEnded = false;
    window->m_lagging.clear();
}

void SimWorld::applyLaggingLocked(SimWindow& window, std::size_t keep, Notes& notes) {
    while (window.m_lagging.size() > keep) {
        const Rect before = window.m_frame;
        window.m_frame = window.m_lagging.front();
        window.m_lagging.pop_front();
        noteFrameChangeLocked(window, before, notes);
    }
}

void SimWorld::dragBy(double dx, double dy) {
    changeFrames([&](Notes& notes) {
        auto* window = windowLocked(m_dragged);
        if (!window || m_moveEnded)
            return;
        m_dragFrame = m_dragFrame.offsetBy(dx, dy);
        window->m_serverFrame = m_dragRestoresFrames ? m_dragFrame : window->m_serverFrame.offsetBy(dx, dy);
        window->m_lagging.push_back(window->m_serverFrame);
        applyLaggingLocked(*window, static_cast<std::size_t>(m_dragLag), notes);
    });
}

void SimWorld::endDrag() {
    changeFrames([&](Notes& notes) {
        if (auto* window = windowLocked(m_dragged))
            applyLaggingLocked(*window, 0, notes);
        m_dragged = 0;
    });
}

void SimWorld::setDragLag(int steps) {
    auto guard = lock();
    m_dragLag = std::max(0, steps);
}

void SimWorld::setDragRestoresFrames(bool restores) {
    auto guard = lock();
    m_dragRestoresFrames = restores;
}

bool SimWorld::endWindowManagerMove(WindowNumber window) {
    changeFrames([&](Notes& notes) {
        if (auto* dragged = windowLocked(m_dragged); dragged && m_dragged == window && !m_moveEnded) {
            applyLaggingLocked(*dragged, 0, notes);
            m_moveEnded = true;
        }
    });
    auto guard = lock();
    return m_dragged == window && m_moveEnded;
}

bool SimWorld::resumeWindowManagerMove(WindowNumber window) {
    auto guard = lock();
    auto* dragged = windowLocked(m_dragged);
    if (!dragged || m_dragged != window || !m_moveEnded)
        return false;
    m_dragFrame = dragged->m_serverFrame;
    m_moveEnded = false;
    return true;
}

bool SimWorld::windowManagerMoving() const {
    auto guard = lock();
    return m_dragged != 0 && !m_moveEnded;
}

// Overlays

void SimWorld::setOverlay(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents) {
    auto guard = lock();
    const auto it = std::find_if(m_overlays.begin(), m_overlays.end(),
                                 [window](const Overlay& overlay) { return overlay.window == window; });
    if (it != m_overlays.end()) {
        it->frame = quartzFrame;
        it->ignoresMouseEvents = ignoresMouseEvents;
        return;
    }
    m_overlays.insert(m_overlays.begin(), {window, quartzFrame, ignoresMouseEvents});
}

void SimWorld::removeOverlay(OwnWindowId window) {
    auto guard = lock();
    std::erase_if(m_overlays, [window](const Overlay& overlay) { return overlay.window == window; });
}

bool SimWorld::hasOverlay(OwnWindowId window) const {
    auto guard = lock();
    return std::any_of(m_overlays.begin(), m_overlays.end(),
                       [window](const Overlay& overlay) { return overlay.window == window; });
}

// Accessibility

void SimWorld::setTrusted(bool trusted) {
    auto guard = lock();
    m_trusted = trusted;
}

void SimWorld::setMessagingTimeout(double seconds) {
    auto guard = lock();
    if (!(seconds > 0) || !std::isfinite(seconds)) {
        platformLog(QStringLiteral("sim: ignoring messaging timeout %1").arg(seconds));
        return;
    }
    m_messagingTimeout = seconds;
}

std::uint64_t SimWorld::addObserver(WindowNumber window, const AXElementRef& element, Handler handler) {
    auto guard = lock();
    const std::uint64_t id = m_nextObserver++;
    m_observers.emplace(id, Observer{window, element, std::make_shared<Handler>(std::move(handler))});
    return id;
}

void SimWorld::removeObserver(std::uint64_t observer) {
    auto guard = lock();
    m_observers.erase(observer);
}
