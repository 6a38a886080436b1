#include "platform/sim/SimWindow.h"

#include "platform/PlatformLog.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimWorld.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DefaultTitleBarHeight = 28;
// The usual row of title-bar buttons: 12-point circles, 20 points apart, 8 from the corner.
constexpr double StandardButtonSize = 12;
constexpr double StandardButtonInset = 8;
constexpr double StandardButtonSpacing = 20;

bool isUsableSize(const Size& size) {
    return std::isfinite(size.width) && std::isfinite(size.height) && size.width >= 0 && size.height >= 0;
}

// One dimension as the application takes it: within its limits, then down to a whole number of
// increments above the minimum.
double constrained(double value, double minimum, double maximum, double increment) {
    if (maximum > 0)
        value = std::min(value, maximum);
    value = std::max(value, minimum);
    if (increment > 0)
        value = minimum + std::floor((value - minimum) / increment) * increment;
    return value;
}

} // namespace

SimWindow::SimWindow(SimWorld& world, SimApplication& application, WindowNumber number, const Rect& frame)
    : m_world(world), m_application(application), m_number(number), m_frame(frame), m_serverFrame(frame),
      m_role(AX::WindowRole), m_subrole(AX::StandardWindowSubrole), m_titleBarHeight(DefaultTitleBarHeight) {}

Rect SimWindow::frame() const {
    auto guard = m_world.lock();
    return m_frame;
}

Rect SimWindow::serverFrame() const {
    auto guard = m_world.lock();
    return m_serverFrame;
}

void SimWindow::setFrame(const Rect& frame) {
    SimWorld::Notes notes;
    {
        auto guard = m_world.lock();
        if (m_closed || !frame.isFinite()) {
            platformLog(QStringLiteral("sim: cannot give window %1 the frame %2")
                            .arg(m_number)
                            .arg(stringFromRect(frame)));
            return;
        }
        m_world.setFrameLocked(*this, frame, notes);
    }
    m_world.deliver(std::move(notes));
}

QString SimWindow::title() const {
    auto guard = m_world.lock();
    return m_title;
}

void SimWindow::setTitle(const QString& title) {
    auto guard = m_world.lock();
    m_title = title;
}

void SimWindow::setLayer(int layer) {
    auto guard = m_world.lock();
    m_layer = layer;
}

void SimWindow::setAlpha(double alpha) {
    auto guard = m_world.lock();
    m_alpha = std::clamp(alpha, 0.0, 1.0);
}

void SimWindow::setShown(bool shown) {
    auto guard = m_world.lock();
    m_shown = shown;
}

bool SimWindow::isOnScreen() const {
    auto guard = m_world.lock();
    return onScreenLocked();
}

void SimWindow::setRole(const QString& role) {
    auto guard = m_world.lock();
    m_role = role;
}

void SimWindow::setSubrole(const QString& subrole) {
    auto guard = m_world.lock();
    m_subrole = subrole;
}

void SimWindow::setContainsProtectedContent(bool contains) {
    auto guard = m_world.lock();
    m_protectedContent = contains;
}

void SimWindow::setTitleBarHeight(double height) {
    auto guard = m_world.lock();
    m_titleBarHeight = std::max(0.0, height);
}

double SimWindow::titleBarHeight() const {
    auto guard = m_world.lock();
    return m_titleBarHeight;
}

void SimWindow::setMovable(bool movable) {
    auto guard = m_world.lock();
    m_movable = movable;
}

void SimWindow::setResizable(bool resizable) {
    auto guard = m_world.lock();
    m_resizable = resizable;
}

void SimWindow::setMinimumSize(const Size& size) {
    auto guard = m_world.lock();
    if (!isUsableSize(size)) {
        platformLog(QStringLiteral("sim: ignoring minimum size %1").arg(stringFromSize(size)));
        return;
    }
    m_minimumSize = size;
}

void SimWindow::setMaximumSize(const Size& size) {
    auto guard = m_world.lock();
    if (!isUsableSize(size)) {
        platformLog(QStringLiteral("sim: ignoring maximum size %1").arg(stringFromSize(size)));
        return;
    }
    m_maximumSize = size;
}

void SimWindow::setSizeIncrements(const Size& increments) {
    auto guard = m_world.lock();
    if (!isUsableSize(increments)) {
        platformLog(QStringLiteral("sim: ignoring size increments %1").arg(stringFromSize(increments)));
        return;
    }
    m_sizeIncrements = increments;
}

void SimWindow::setFullScreen(bool fullScreen) {
    SimWorld::Notes notes;
    {
        auto guard = m_world.lock();
        if (m_closed)
            return;
        m_world.setFullScreenLocked(*this, fullScreen, notes);
    }
    m_world.deliver(std::move(notes));
}

bool SimWindow::isFullScreen() const {
    auto guard = m_world.lock();
    return m_fullScreen;
}

void SimWindow::setFullScreenSettable(bool settable) {
    auto guard = m_world.lock();
    m_fullScreenSettable = settable;
}

void SimWindow::setMinimized(bool minimized) {
    auto guard = m_world.lock();
    m_minimized = minimized;
}

bool SimWindow::isMinimized() const {
    auto guard = m_world.lock();
    return m_minimized;
}

void SimWindow::addButton(SimButton button, const Rect& frameInWindow, bool enabled) {
    auto guard = m_world.lock();
    m_buttons[button] = Part{frameInWindow, enabled};
}

void SimWindow::addStandardButtons() {
    const SimButton row[] = {SimButton::Close, SimButton::Minimize, SimButton::Zoom};
    double x = StandardButtonInset;
    for (const SimButton button : row) {
        addButton(button, Rect(x, StandardButtonInset, StandardButtonSize, StandardButtonSize));
        x += StandardButtonSpacing;
    }
}

void SimWindow::removeButton(SimButton button) {
    auto guard = m_world.lock();
    m_buttons.erase(button);
}

void SimWindow::setButtonEnabled(SimButton button, bool enabled) {
    auto guard = m_world.lock();
    const auto it = m_buttons.find(button);
    if (it == m_buttons.end()) {
        platformLog(QStringLiteral("sim: window %1 has no such button to enable").arg(m_number));
        return;
    }
    it->second.enabled = enabled;
}

void SimWindow::setGrowArea(std::optional<Rect> frameInWindow) {
    auto guard = m_world.lock();
    m_growArea = frameInWindow;
}

void SimWindow::addDrawer(const Rect& frameInWindow) {
    auto guard = m_world.lock();
    m_drawers.push_back(frameInWindow);
}

void SimWindow::setRefusesFrameChanges(bool refuses) {
    auto guard = m_world.lock();
    m_refusesFrameChanges = refuses;
}

void SimWindow::ignoreFrameSets(int count) {
    auto guard = m_world.lock();
    m_ignoredPositionSets = std::max(0, count);
    m_ignoredSizeSets = std::max(0, count);
}

void SimWindow::setFrameReadsFail(bool fail) {
    auto guard = m_world.lock();
    m_frameReadsFail = fail;
}

void SimWindow::raise() {
    auto guard = m_world.lock();
    m_world.raiseLocked(*this);
}

void SimWindow::close() {
    auto guard = m_world.lock();
    m_world.closeLocked(*this);
}

bool SimWindow::isClosed() const {
    auto guard = m_world.lock();
    return m_closed;
}

int SimWindow::frameSetCount() const {
    auto guard = m_world.lock();
    return m_frameSetCount;
}

QStringList SimWindow::performedActions() const {
    auto guard = m_world.lock();
    return m_performedActions;
}

bool SimWindow::onScreenLocked() const {
    return !m_closed && m_shown && !m_minimized && !m_application.m_hidden && !m_application.m_terminated;
}

Size SimWindow::constrainedSizeLocked(Size size) const {
    return {constrained(size.width, m_minimumSize.width, m_maximumSize.width, m_sizeIncrements.width),
            constrained(size.height, m_minimumSize.height, m_maximumSize.height, m_sizeIncrements.height)};
}

std::optional<SimButton> SimWindow::buttonAtLocked(Point quartz) const {
    for (const auto& [button, part] : m_buttons) {
        if (absoluteLocked(part.frameInWindow).contains(quartz))
            return button;
    }
    return std::nullopt;
}
