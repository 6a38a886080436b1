#include "platform/x11/X11Element.h"

#include "platform/x11/X11Desktop.h"

#include <QHash>
#include <cmath>

namespace {

const QString DialogSubrole = QStringLiteral("AXDialog");
const QString FloatingWindowSubrole = QStringLiteral("AXFloatingWindow");

const QString& subroleOf(X11TitleButton button) {
    switch (button) {
    case X11TitleButton::Minimize:
        return AX::MinimizeButton;
    case X11TitleButton::Close:
        return AX::CloseButton;
    case X11TitleButton::Zoom:
        break;
    }
    return AX::ZoomButton;
}

// The windows of a process, front to back, leaving out those that are never acted on.
std::vector<std::uint32_t> windowsOf(X11Desktop& desktop, pid_t pid) {
    const auto clients = desktop.clientsFrontToBack();
    const auto infos = desktop.infos(clients, X11Property::Pid | X11Property::Type | X11Property::State);
    std::vector<std::uint32_t> windows;
    for (const X11WindowInfo& info : infos) {
        const X11WindowKind kind = desktop.kindOf(info);
        if (info.exists && info.pid == pid && kind != X11WindowKind::Desktop &&
            kind != X11WindowKind::OwnOverlay)
            windows.push_back(info.window);
    }
    return windows;
}

// Replies read on a worker thread may leave events in xcb's queue that no longer wake the main
// thread's notifier; this hands them over when the call is done.
class WorkerCallGuard {
public:
    explicit WorkerCallGuard(X11Desktop& desktop) : m_call(desktop.connection()) {}

private:
    X11Connection::WorkerCall m_call;
};

// Positions and sizes of windows are 16-bit numbers on X.
constexpr double MaximumCoordinate = 32767;

bool fitsCoordinate(double value) {
    return std::isfinite(value) && std::abs(value) <= MaximumCoordinate;
}

bool fitsSize(const Size& size) {
    return fitsCoordinate(size.width) && fitsCoordinate(size.height) && size.width >= 1 && size.height >= 1;
}

} // namespace

bool isFrameRequest(Point origin, const std::optional<Size>& size) {
    return fitsCoordinate(origin.x) && fitsCoordinate(origin.y) && (!size || fitsSize(*size));
}

AXError frameError(X11Desktop::SetFrameResult result) {
    switch (result) {
    case X11Desktop::SetFrameResult::Done:
    // The window manager handled the request; what the window made of it is read back by the caller,
    // which may ask again.
    case X11Desktop::SetFrameResult::NotTaken:
        return AXError::Success;
    case X11Desktop::SetFrameResult::NoAnswer:
        return AXError::CannotComplete;
    case X11Desktop::SetFrameResult::Gone:
        return AXError::InvalidElement;
    }
    return AXError::Failure;
}

namespace {

// "AXPosition" or "AXSize" of a frame; a frame that cannot be read belongs to a gone element.
AXError frameAttribute(const std::optional<Rect>& frame, const QString& attribute, AXValue& value) {
    if (!frame)
        return AXError::InvalidElement;
    if (attribute == AX::Position)
        value = frame->origin;
    else
        value = frame->size;
    return AXError::Success;
}

} // namespace

AXElementRef X11Element::application(std::weak_ptr<X11Desktop> desktop, pid_t pid) {
    return AXElementRef(new X11Element(std::move(desktop), Kind::Application, 0, pid, X11TitleButton::Zoom));
}

AXElementRef X11Element::window(std::weak_ptr<X11Desktop> desktop, std::uint32_t window, pid_t pid) {
    return AXElementRef(new X11Element(std::move(desktop), Kind::Window, window, pid, X11TitleButton::Zoom));
}

AXElementRef X11Element::button(std::weak_ptr<X11Desktop> desktop, std::uint32_t window, pid_t pid,
                                X11TitleButton button) {
    return AXElementRef(new X11Element(std::move(desktop), Kind::Button, window, pid, button));
}

std::optional<WindowNumber> X11Element::windowNumber() const {
    if (m_kind == Kind::Window)
        return m_window;
    return std::nullopt;
}

bool X11Element::isEqual(const AXElement& other) const {
    const auto* element = dynamic_cast<const X11Element*>(&other);
    if (!element || element->m_kind != m_kind)
        return false;
    switch (m_kind) {
    case Kind::Application:
        return element->m_pid == m_pid;
    case Kind::Window:
        return element->m_window == m_window;
    case Kind::Button:
        return element->m_window == m_window && element->m_button == m_button;
    }
    return false;
}

std::size_t X11Element::hash() const {
    const std::size_t kind = static_cast<std::size_t>(m_kind);
    if (m_kind == Kind::Application)
        return qHash(m_pid) ^ kind;
    return qHash(m_window) ^ (kind << 1) ^ (static_cast<std::size_t>(m_button) << 4);
}

AXError X11Element::copyAttributeValue(const QString& attribute, AXValue& value) const {
    const auto desktop = m_desktop.lock();
    if (!desktop)
        return AXError::InvalidElement;
    const WorkerCallGuard guard(*desktop);
    value = std::monostate{};
    switch (m_kind) {
    case Kind::Application:
        return applicationAttribute(*desktop, attribute, value);
    case Kind::Window:
        return windowAttribute(*desktop, attribute, value);
    case Kind::Button:
        return buttonAttribute(*desktop, attribute, value);
    }
    return AXError::Failure;
}

AXError X11Element::applicationAttribute(X11Desktop& desktop, const QString& attribute,
                                         AXValue& value) const {
    if (attribute == AX::Role) {
        value = AX::ApplicationRole;
        return AXError::Success;
    }
    const auto windows = windowsOf(desktop, m_pid);
    if (attribute == AX::Windows) {
        std::vector<AXElementRef> elements;
        for (std::uint32_t window : windows)
            elements.push_back(X11Element::window(m_desktop, window, m_pid));
        value = elements;
        return AXError::Success;
    }
    if (attribute == AX::FocusedWindow || attribute == AX::MainWindow) {
        // The active window when it is the application's, else its frontmost.
        const std::uint32_t active = desktop.activeWindow();
        const bool ownsActive = std::find(windows.begin(), windows.end(), active) != windows.end();
        if (!ownsActive && windows.empty())
            return AXError::NoValue;
        value = X11Element::window(m_desktop, ownsActive ? active : windows.front(), m_pid);
        return AXError::Success;
    }
    if (attribute == AX::Title) {
        for (const X11WindowInfo& info : desktop.infos(windows, X11Property::Class))
            if (!info.className.isEmpty()) {
                value = QString::fromUtf8(info.className);
                return AXError::Success;
            }
        return AXError::NoValue;
    }
    return AXError::AttributeUnsupported;
}

AXError X11Element::windowAttribute(X11Desktop& desktop, const QString& attribute, AXValue& value) const {
    if (attribute == AX::Position || attribute == AX::SizeAttribute)
        return frameAttribute(desktop.frame(m_window), attribute, value);
    if (attribute == AX::Role) {
        value = AX::WindowRole;
        return AXError::Success;
    }
    if (attribute == AX::Window) {
        value = X11Element::window(m_desktop, m_window, m_pid);
        return AXError::Success;
    }
    if (attribute == AX::Parent) {
        value = X11Element::application(m_desktop, m_pid);
        return AXError::Success;
    }
    if (attribute == AX::Drawers) {
        value = std::vector<AXElementRef>{};
        return AXError::Success;
    }
    if (attribute == AX::ContainsProtectedContent) {
        value = false;
        return AXError::Success;
    }
    // Only what the attribute needs: a title that changed since (a terminal's, at every prompt) costs no
    // trip to the server when a hot key asks whether the window is full-screen.
    const unsigned needed = attribute == AX::Subrole
                                ? X11Property::Type | X11Property::State | X11Property::Pid
                            : attribute == AX::Title ? X11Property::Title
                                                     : X11Property::State;
    const X11WindowInfo info = desktop.info(m_window, needed);
    if (!info.exists)
        return AXError::InvalidElement;
    if (attribute == AX::Subrole) {
        const X11WindowKind kind = desktop.kindOf(info);
        const bool dialog = info.has(desktop.connection().atom(X11Atom::NetWmWindowTypeDialog), info.types);
        value = dialog                          ? DialogSubrole
                : kind == X11WindowKind::Normal ? AX::StandardWindowSubrole
                                                : FloatingWindowSubrole;
        return AXError::Success;
    }
    if (attribute == AX::Title) {
        value = info.title;
        return AXError::Success;
    }
    if (attribute == AX::FullScreen) {
        value = desktop.isFullScreen(info);
        return AXError::Success;
    }
    if (attribute == AX::Minimized) {
        value = desktop.isHidden(info);
        return AXError::Success;
    }
    X11TitleButton wanted;
    if (attribute == AX::ZoomButton)
        wanted = X11TitleButton::Zoom;
    else if (attribute == AX::MinimizeButton)
        wanted = X11TitleButton::Minimize;
    else if (attribute == AX::CloseButton)
        wanted = X11TitleButton::Close;
    else
        return AXError::AttributeUnsupported;
    const auto geometry = desktop.followedFrame(m_window);
    if (!geometry)
        return AXError::InvalidElement;
    for (const X11TitleButtonRect& button : desktop.titleButtons(*geometry))
        if (button.button == wanted) {
            value = X11Element::button(m_desktop, m_window, m_pid, wanted);
            return AXError::Success;
        }
    return AXError::NoValue;
}

std::optional<Rect> X11Element::buttonFrame(X11Desktop& desktop) const {
    const auto geometry = desktop.followedFrame(m_window);
    if (!geometry)
        return std::nullopt;
    for (const X11TitleButtonRect& button : desktop.titleButtons(*geometry))
        if (button.button == m_button)
            return button.rect;
    return std::nullopt;
}

bool X11Element::buttonEnabled(X11Desktop& desktop) const {
    const X11WindowInfo info = desktop.info(m_window, X11Property::AllowedActions);
    switch (m_button) {
    case X11TitleButton::Zoom:
        return desktop.allows(info, X11Atom::NetWmActionMaximizeHorz) &&
               desktop.allows(info, X11Atom::NetWmActionMaximizeVert);
    case X11TitleButton::Minimize:
        return desktop.allows(info, X11Atom::NetWmActionMinimize);
    case X11TitleButton::Close:
        return desktop.allows(info, X11Atom::NetWmActionClose);
    }
    return false;
}

AXError X11Element::buttonAttribute(X11Desktop& desktop, const QString& attribute, AXValue& value) const {
    if (attribute == AX::Role) {
        value = AX::ButtonRole;
        return AXError::Success;
    }
    if (attribute == AX::Subrole) {
        value = subroleOf(m_button);
        return AXError::Success;
    }
    if (attribute == AX::Window || attribute == AX::Parent) {
        value = X11Element::window(m_desktop, m_window, m_pid);
        return AXError::Success;
    }
    if (attribute == AX::Position || attribute == AX::SizeAttribute)
        return frameAttribute(buttonFrame(desktop), attribute, value);
    if (attribute == AX::Enabled) {
        const X11WindowInfo info = desktop.info(m_window, X11Property::AllowedActions);
        if (!info.exists)
            return AXError::InvalidElement;
        value = buttonEnabled(desktop);
        return AXError::Success;
    }
    return AXError::AttributeUnsupported;
}

AXError X11Element::isAttributeSettable(const QString& attribute, bool& settable) const {
    settable = false;
    const auto desktop = m_desktop.lock();
    if (!desktop)
        return AXError::InvalidElement;
    const WorkerCallGuard guard(*desktop);
    if (m_kind != Kind::Window)
        return AXError::Success;
    const X11WindowInfo info =
        desktop->info(m_window, X11Property::AllowedActions | X11Property::NormalHints | X11Property::State);
    if (!info.exists)
        return AXError::InvalidElement;
    if (attribute == AX::Position)
        settable = !desktop->isFullScreen(info);
    else if (attribute == AX::SizeAttribute)
        settable = !desktop->isFullScreen(info) && info.hints.isResizable() &&
                   desktop->allows(info, X11Atom::NetWmActionResize);
    else if (attribute == AX::FullScreen)
        settable = desktop->allows(info, X11Atom::NetWmActionFullscreen);
    else if (attribute == AX::Minimized)
        settable = desktop->allows(info, X11Atom::NetWmActionMinimize);
    return AXError::Success;
}

AXError X11Element::setAttributeValue(const QString& attribute, const AXValue& value) {
    const auto desktop = m_desktop.lock();
    if (!desktop)
        return AXError::InvalidElement;
    const WorkerCallGuard guard(*desktop);
    if (m_kind != Kind::Window)
        return AXError::AttributeUnsupported;
    if (attribute == AX::Position) {
        const auto* point = std::get_if<Point>(&value);
        if (!point)
            return AXError::IllegalArgument;
        return setFrameOn(*desktop, *point, std::nullopt);
    }
    if (attribute == AX::SizeAttribute) {
        const auto* size = std::get_if<Size>(&value);
        if (!size)
            return AXError::IllegalArgument;
        // The size alone keeps the frame's top left where it is.
        const auto frame = desktop->frame(m_window);
        if (!frame)
            return AXError::InvalidElement;
        return setFrameOn(*desktop, frame->origin, *size);
    }
    const auto* flag = std::get_if<bool>(&value);
    if (attribute == AX::FullScreen) {
        if (!flag)
            return AXError::IllegalArgument;
        return desktop->changeState(m_window, *flag ? 1 : 0, X11Atom::NetWmStateFullscreen)
                   ? AXError::Success
                   : AXError::Failure;
    }
    if (attribute == AX::Minimized) {
        if (!flag)
            return AXError::IllegalArgument;
        const bool sent = *flag ? desktop->iconify(m_window) : desktop->activate(m_window);
        return sent ? AXError::Success : AXError::Failure;
    }
    return AXError::AttributeUnsupported;
}

AXError X11Element::setFrame(Point origin, const std::optional<Size>& size) {
    const auto desktop = m_desktop.lock();
    if (!desktop)
        return AXError::InvalidElement;
    const WorkerCallGuard guard(*desktop);
    if (m_kind != Kind::Window)
        return AXError::AttributeUnsupported;
    return setFrameOn(*desktop, origin, size);
}

AXError X11Element::setFrameOn(X11Desktop& desktop, Point origin, const std::optional<Size>& size) {
    if (!isFrameRequest(origin, size))
        return AXError::IllegalArgument;
    return frameError(desktop.setFrame(m_window, origin, size));
}

QStringList X11Element::actionNames() const {
    switch (m_kind) {
    case Kind::Application:
        return {};
    case Kind::Window:
        return {AX::Raise, AX::ZoomWindow};
    case Kind::Button:
        return {AX::Press};
    }
    return {};
}

AXError X11Element::performAction(const QString& action) {
    const auto desktop = m_desktop.lock();
    if (!desktop)
        return AXError::InvalidElement;
    const WorkerCallGuard guard(*desktop);
    if (!actionNames().contains(action))
        return AXError::ActionUnsupported;
    const X11WindowInfo info = desktop->info(m_window, X11Property::State | X11Property::AllowedActions);
    if (!info.exists)
        return AXError::InvalidElement;
    auto toggleMaximized = [&] {
        return desktop->changeState(m_window, desktop->isMaximized(info) ? 0 : 1,
                                    X11Atom::NetWmStateMaximizedVert, X11Atom::NetWmStateMaximizedHorz);
    };
    bool sent = false;
    if (action == AX::Raise) {
        sent = desktop->activate(m_window);
    } else if (action == AX::ZoomWindow) {
        sent = toggleMaximized();
    } else {
        if (!buttonEnabled(*desktop))
            return AXError::CannotComplete;
        switch (m_button) {
        case X11TitleButton::Zoom:
            sent = toggleMaximized();
            break;
        case X11TitleButton::Minimize:
            sent = desktop->iconify(m_window);
            break;
        case X11TitleButton::Close:
            sent = desktop->close(m_window);
            break;
        }
    }
    return sent ? AXError::Success : AXError::Failure;
}
