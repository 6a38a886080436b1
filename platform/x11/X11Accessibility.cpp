#include "platform/x11/X11Accessibility.h"

#include "platform/PlatformLog.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Element.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <unistd.h>

namespace {

// Keeps the desktop alive while the owner observes, which may be longer than the platform lives.
class X11Observation : public AXObservation {
public:
    X11Observation(std::shared_ptr<X11Desktop> desktop, Connection connection)
        : m_desktop(std::move(desktop)), m_connection(std::move(connection)) {}

private:
    std::shared_ptr<X11Desktop> m_desktop;
    Connection m_connection;
};

} // namespace

X11Accessibility::X11Accessibility(std::shared_ptr<X11Desktop> desktop) : m_desktop(std::move(desktop)) {}

bool X11Accessibility::isProcessTrusted(bool) {
    return true;
}

void X11Accessibility::setMessagingTimeout(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) {
        platformLog(QStringLiteral("ignoring messaging timeout %1").arg(seconds));
        return;
    }
    m_desktop->setMessagingTimeout(seconds);
}

double X11Accessibility::messagingTimeout() const {
    return m_desktop->messagingTimeout();
}

AXElementRef X11Accessibility::elementAtPosition(Point quartzPoint) {
    // The cached stacking order decides; only the frames are read, all in one round trip.
    const auto clients = m_desktop->clientsFrontToBack();
    const auto infos = m_desktop->infos(clients, X11Property::Pid | X11Property::Type | X11Property::State);
    std::vector<std::uint32_t> candidates;
    std::vector<pid_t> pids;
    for (const X11WindowInfo& info : infos) {
        const X11WindowKind kind = m_desktop->kindOf(info);
        if (!info.exists || kind == X11WindowKind::Desktop || kind == X11WindowKind::OwnOverlay ||
            m_desktop->isHidden(info))
            continue;
        candidates.push_back(info.window);
        pids.push_back(info.pid);
    }
    const auto geometries = m_desktop->frameGeometries(candidates);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& geometry = geometries[i];
        if (!geometry || !geometry->viewable)
            continue;
        const Point origin = m_desktop->quartzFromRoot(geometry->frame.x(), geometry->frame.y());
        if (!Rect(origin, geometry->frame.size).contains(quartzPoint))
            continue;
        for (const X11TitleButtonRect& button : m_desktop->titleButtons(*geometry))
            if (button.rect.contains(quartzPoint))
                return X11Element::button(m_desktop, candidates[i], pids[i], button.button);
        return X11Element::window(m_desktop, candidates[i], pids[i]);
    }
    return nullptr;
}

AXElementRef X11Accessibility::applicationElement(pid_t processIdentifier) {
    if (processIdentifier <= 0)
        return nullptr;
    if (::kill(processIdentifier, 0) != 0 && errno != EPERM)
        return nullptr;
    return X11Element::application(m_desktop, processIdentifier);
}

AXElementRef X11Accessibility::elementForOwnWindow(std::uint64_t nativeWindowId) {
    // Qt's window id is the client window the window manager framed.
    const auto window = static_cast<std::uint32_t>(nativeWindowId);
    if (window == 0 || !m_desktop->frameGeometry(window))
        return nullptr;
    return X11Element::window(m_desktop, window, ::getpid());
}

std::unique_ptr<AXObservation> X11Accessibility::observeWindow(const AXElementRef& window,
                                                               NotificationHandler handler) {
    const auto* element = dynamic_cast<const X11Element*>(window.get());
    if (!element || element->kind() != X11Element::Kind::Window || !handler)
        return nullptr;
    if (!m_desktop->frame(element->windowId()))
        return nullptr;
    auto connection =
        m_desktop->observeGeometry(element->windowId(), [window, handler](bool moved, bool resized) {
            if (moved)
                handler(window, AX::MovedNotification);
            if (resized)
                handler(window, AX::ResizedNotification);
        });
    return std::make_unique<X11Observation>(m_desktop, std::move(connection));
}

std::vector<AXError> X11Accessibility::setWindowFrames(const std::vector<AXFrameRequest>& requests) {
    std::vector<AXError> results(requests.size(), AXError::InvalidElement);
    std::vector<X11Desktop::FrameRequest> frames;
    std::vector<std::size_t> sent;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const auto* element = dynamic_cast<const X11Element*>(requests[i].window.get());
        if (!element)
            continue;
        if (element->kind() != X11Element::Kind::Window) {
            results[i] = AXError::AttributeUnsupported;
            continue;
        }
        if (!isFrameRequest(requests[i].origin, requests[i].size)) {
            results[i] = AXError::IllegalArgument;
            continue;
        }
        frames.push_back({element->windowId(), requests[i].origin, requests[i].size});
        sent.push_back(i);
    }
    std::vector<X11Desktop::FrameOutcome> outcomes;
    {
        // Replies read here may leave events that the main thread's notifier no longer sees.
        const X11Connection::WorkerCall call(m_desktop->connection());
        outcomes = m_desktop->setFrames(frames);
    }
    for (std::size_t k = 0; k < sent.size(); ++k)
        results[sent[k]] = frameError(outcomes[k].result);
    return results;
}
