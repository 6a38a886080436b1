#include "platform/sim/SimElement.h"

#include "platform/sim/SimApplication.h"
#include "platform/sim/SimWindow.h"
#include "platform/sim/SimWorld.h"

#include <cmath>
#include <functional>

namespace {

QString subroleOf(SimButton button) {
    switch (button) {
    case SimButton::Close:
        return AX::CloseButton;
    case SimButton::Minimize:
        return AX::MinimizeButton;
    case SimButton::Zoom:
        return AX::ZoomButton;
    case SimButton::FullScreen:
        return AX::FullScreenButton;
    }
    return {};
}

std::optional<SimButton> buttonNamedBy(const QString& attribute) {
    for (const SimButton button :
         {SimButton::Close, SimButton::Minimize, SimButton::Zoom, SimButton::FullScreen}) {
        if (subroleOf(button) == attribute)
            return button;
    }
    return std::nullopt;
}

bool isFinitePoint(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

SimElement::SimElement(std::weak_ptr<SimWorld> world, Kind kind, pid_t pid, WindowNumber window, int part)
    : m_world(std::move(world)), m_worldIdentity(m_world.lock().get()), m_kind(kind), m_pid(pid),
      m_window(kind == Kind::Application ? 0 : window), m_part(part) {}

AXElementRef SimElement::make(std::weak_ptr<SimWorld> world, Kind kind, pid_t pid, WindowNumber window,
                              int part) {
    return std::make_shared<SimElement>(std::move(world), kind, pid, window, part);
}

AXElementRef SimElement::sibling(Kind kind, WindowNumber window, int part) const {
    return make(m_world, kind, m_pid, window, part);
}

SimElement::Reached SimElement::reachLocked(const SimWorld& world) const {
    Reached reached;
    if (!world.isTrustedLocked()) {
        reached.error = AXError::APIDisabled;
        return reached;
    }
    reached.application = world.applicationLocked(m_pid);
    if (!reached.application || reached.application->m_terminated) {
        reached.error = AXError::InvalidElement;
        return reached;
    }
    if (m_kind != Kind::Application) {
        reached.window = world.windowLocked(m_window);
        const SimWindow* window = reached.window;
        bool partExists = window && !window->m_closed && &window->m_application == reached.application;
        if (partExists && m_kind == Kind::Button)
            partExists = window->m_buttons.contains(static_cast<SimButton>(m_part));
        if (partExists && m_kind == Kind::GrowArea)
            partExists = window->m_growArea.has_value();
        if (partExists && m_kind == Kind::Drawer)
            partExists = m_part >= 0 && static_cast<std::size_t>(m_part) < window->m_drawers.size();
        if (!partExists) {
            reached.error = AXError::InvalidElement;
            return reached;
        }
    }
    if (reached.application->m_responseTime > world.messagingTimeoutLocked())
        reached.error = AXError::CannotComplete;
    return reached;
}

template <class Fn> AXError SimElement::withReached(Fn fn) const {
    const auto world = m_world.lock();
    if (!world)
        return AXError::InvalidElement;
    return world->changeFrames([&](SimWorld::Notes& notes) {
        const Reached reached = reachLocked(*world);
        return reached.error != AXError::Success ? reached.error : fn(*world, reached, notes);
    });
}

AXError SimElement::copyAttributeValue(const QString& attribute, AXValue& value) const {
    return withReached([&](SimWorld& world, const Reached& reached, SimWorld::Notes&) {
        return copyLocked(world, reached, attribute, value);
    });
}

AXError SimElement::copyLocked(const SimWorld& world, const Reached& reached, const QString& attribute,
                               AXValue& value) const {
    if (m_kind == Kind::Window)
        return copyWindowAttributeLocked(*reached.window, attribute, value);
    if (m_kind != Kind::Application)
        return copyPartAttributeLocked(*reached.window, attribute, value);

    if (attribute == AX::Role) {
        value = AX::ApplicationRole;
    } else if (attribute == AX::Title) {
        value = reached.application->m_name;
    } else if (attribute == AX::Windows || attribute == AX::FocusedWindow || attribute == AX::MainWindow) {
        std::vector<AXElementRef> windows;
        for (const auto* window : world.stackLocked(false)) {
            const bool focusable = !window->m_minimized || attribute == AX::Windows;
            if (&window->m_application == reached.application && focusable)
                windows.push_back(sibling(Kind::Window, window->m_number));
        }
        if (attribute == AX::Windows)
            value = std::move(windows);
        else if (windows.empty())
            return AXError::NoValue;
        else
            value = windows.front();
    } else {
        return AXError::AttributeUnsupported;
    }
    return AXError::Success;
}

AXError SimElement::copyWindowAttributeLocked(const SimWindow& window, const QString& attribute,
                                              AXValue& value) const {
    if (attribute == AX::Role) {
        value = window.m_role;
    } else if (attribute == AX::Subrole) {
        value = window.m_subrole;
    } else if (attribute == AX::Title) {
        value = window.m_title;
    } else if (attribute == AX::Position || attribute == AX::SizeAttribute) {
        if (window.m_frameReadsFail)
            return AXError::Failure;
        if (attribute == AX::Position)
            value = window.m_frame.origin;
        else
            value = window.m_frame.size;
    } else if (attribute == AX::FullScreen) {
        value = window.m_fullScreen;
    } else if (attribute == AX::Minimized) {
        value = window.m_minimized;
    } else if (attribute == AX::ContainsProtectedContent) {
        value = window.m_protectedContent;
    } else if (attribute == AX::Parent) {
        value = sibling(Kind::Application);
    } else if (attribute == AX::Window) {
        value = sibling(Kind::Window, m_window);
    } else if (attribute == AX::Drawers) {
        std::vector<AXElementRef> drawers;
        for (std::size_t i = 0; i < window.m_drawers.size(); ++i)
            drawers.push_back(sibling(Kind::Drawer, m_window, static_cast<int>(i)));
        value = std::move(drawers);
    } else if (attribute == AX::GrowArea) {
        if (!window.m_growArea)
            return AXError::NoValue;
        value = sibling(Kind::GrowArea, m_window);
    } else if (const auto button = buttonNamedBy(attribute)) {
        if (!window.m_buttons.contains(*button))
            return AXError::NoValue;
        value = sibling(Kind::Button, m_window, static_cast<int>(*button));
    } else {
        return AXError::AttributeUnsupported;
    }
    return AXError::Success;
}

AXError SimElement::copyPartAttributeLocked(const SimWindow& window, const QString& attribute,
                                            AXValue& value) const {
    const bool isButton = m_kind == Kind::Button;
    if (attribute == AX::Role) {
        value = isButton ? AX::ButtonRole : m_kind == Kind::GrowArea ? AX::GrowArea : AX::DrawerRole;
    } else if (attribute == AX::Subrole && isButton) {
        value = subroleOf(static_cast<SimButton>(m_part));
    } else if (attribute == AX::Enabled && isButton) {
        value = window.m_buttons.at(static_cast<SimButton>(m_part)).enabled;
    } else if (attribute == AX::Position) {
        value = partFrameLocked(window).origin;
    } else if (attribute == AX::SizeAttribute) {
        value = partFrameLocked(window).size;
    } else if (attribute == AX::Window || attribute == AX::Parent) {
        value = sibling(Kind::Window, m_window);
    } else {
        return AXError::AttributeUnsupported;
    }
    return AXError::Success;
}

Rect SimElement::partFrameLocked(const SimWindow& window) const {
    switch (m_kind) {
    case Kind::Button:
        return window.absoluteLocked(window.m_buttons.at(static_cast<SimButton>(m_part)).frameInWindow);
    case Kind::GrowArea:
        return window.absoluteLocked(*window.m_growArea);
    case Kind::Drawer:
        return window.absoluteLocked(window.m_drawers.at(static_cast<std::size_t>(m_part)));
    case Kind::Application:
    case Kind::Window:
        break;
    }
    return window.m_frame;
}

AXError SimElement::isAttributeSettable(const QString& attribute, bool& settable) const {
    return withReached([&](SimWorld& world, const Reached& reached, SimWorld::Notes&) {
        if (m_kind == Kind::Window) {
            const SimWindow& window = *reached.window;
            if (attribute == AX::Position || attribute == AX::SizeAttribute || attribute == AX::FullScreen ||
                attribute == AX::Minimized) {
                settable = attribute == AX::Position        ? window.m_movable
                           : attribute == AX::SizeAttribute ? window.m_resizable
                           : attribute == AX::FullScreen    ? window.m_fullScreenSettable
                                                            : true;
                return AXError::Success;
            }
        }
        AXValue ignored;
        const AXError error = copyLocked(world, reached, attribute, ignored);
        if (error == AXError::AttributeUnsupported)
            return error;
        settable = false;
        return AXError::Success;
    });
}

AXError SimElement::setAttributeValue(const QString& attribute, const AXValue& value) {
    return withReached([&](SimWorld& world, const Reached& reached, SimWorld::Notes& notes) {
        if (m_kind != Kind::Window)
            return AXError::AttributeUnsupported;
        SimWindow& window = *reached.window;

        if (attribute == AX::Position || attribute == AX::SizeAttribute) {
            const bool isPosition = attribute == AX::Position;
            const Point* position = std::get_if<Point>(&value);
            const Size* size = std::get_if<Size>(&value);
            if (isPosition ? !position || !isFinitePoint(*position)
                           : !size || !(size->width > 0) || !(size->height > 0) ||
                                 !std::isfinite(size->width) || !std::isfinite(size->height))
                return AXError::IllegalArgument;
            if (!(isPosition ? window.m_movable : window.m_resizable))
                return AXError::AttributeUnsupported;
            ++window.m_frameSetCount;
            if (window.m_fullScreen)
                return AXError::CannotComplete;
            int& ignored = isPosition ? window.m_ignoredPositionSets : window.m_ignoredSizeSets;
            if (window.m_refusesFrameChanges)
                return AXError::Success;
            if (ignored > 0) {
                --ignored;
                return AXError::Success;
            }
            const Rect& current = window.m_serverFrame;
            world.setFrameLocked(window,
                                 isPosition ? Rect(*position, current.size)
                                            : Rect(current.origin, window.constrainedSizeLocked(*size)),
                                 notes);
        } else if (attribute == AX::FullScreen || attribute == AX::Minimized) {
            const bool* on = std::get_if<bool>(&value);
            if (!on)
                return AXError::IllegalArgument;
            if (attribute == AX::Minimized)
                window.m_minimized = *on;
            else if (!window.m_fullScreenSettable)
                return AXError::AttributeUnsupported;
            else
                world.setFullScreenLocked(window, *on, notes);
        } else {
            return AXError::AttributeUnsupported;
        }
        return AXError::Success;
    });
}

QStringList SimElement::actionNames() const {
    QStringList names;
    withReached([&](SimWorld&, const Reached&, SimWorld::Notes&) {
        const auto button = static_cast<SimButton>(m_part);
        if (m_kind == Kind::Window)
            names = {AX::Raise};
        else if (m_kind == Kind::Button && (button == SimButton::Zoom || button == SimButton::FullScreen))
            names = {AX::Press, AX::ZoomWindow};
        else if (m_kind == Kind::Button)
            names = {AX::Press};
        return AXError::Success;
    });
    return names;
}

AXError SimElement::performAction(const QString& action) {
    return withReached([&](SimWorld& world, const Reached& reached, SimWorld::Notes& notes) {
        SimWindow* window = reached.window;
        if (m_kind == Kind::Window && action == AX::Raise) {
            world.raiseLocked(*window);
            window->m_performedActions << action;
        } else if (m_kind == Kind::Button) {
            const auto button = static_cast<SimButton>(m_part);
            const bool zooms = button == SimButton::Zoom || button == SimButton::FullScreen;
            if (action != AX::Press && !(action == AX::ZoomWindow && zooms))
                return AXError::ActionUnsupported;
            // Electron applications report their buttons disabled, yet the buttons work.
            if (!window->m_buttons.at(button).enabled && !reached.application->m_electron)
                return AXError::Failure;
            window->m_performedActions << subroleOf(button) + QLatin1Char(' ') + action;
            if (action == AX::ZoomWindow || button == SimButton::Zoom)
                world.zoomLocked(*window, notes);
            else if (button == SimButton::FullScreen)
                world.setFullScreenLocked(*window, !window->m_fullScreen, notes);
            else if (button == SimButton::Minimize)
                window->m_minimized = true;
            else
                world.closeLocked(*window);
        } else {
            return AXError::ActionUnsupported;
        }
        return AXError::Success;
    });
}

std::optional<WindowNumber> SimElement::windowNumber() const {
    if (m_kind != Kind::Window)
        return std::nullopt;
    const auto world = m_world.lock();
    if (!world)
        return std::nullopt;
    auto guard = world->lock();
    const SimWindow* window = world->windowLocked(m_window);
    if (!window || window->m_closed)
        return std::nullopt;
    return m_window;
}

bool SimElement::isEqual(const AXElement& other) const {
    const auto* sim = dynamic_cast<const SimElement*>(&other);
    return sim && sim->m_worldIdentity == m_worldIdentity && sim->m_kind == m_kind && sim->m_pid == m_pid &&
           sim->m_window == m_window && sim->m_part == m_part;
}

std::size_t SimElement::hash() const {
    std::size_t h = std::hash<const void*>()(m_worldIdentity);
    for (const std::size_t v : {static_cast<std::size_t>(m_kind), static_cast<std::size_t>(m_pid),
                                static_cast<std::size_t>(m_window), static_cast<std::size_t>(m_part)})
        h = h * 31 + v;
    return h;
}
