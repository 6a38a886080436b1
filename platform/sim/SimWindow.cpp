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
    return m_world.locked([&] { return m_frame; });
}

Rect SimWindow::serverFrame() const {
    return m_world.locked([&] { return m_serverFrame; });
}

void SimWindow::setFrame(const Rect& frame) {
    m_world.changeFrames([&](SimWorld::Notes& notes) {
        if (m_closed || !frame.isFinite()) {
            platformLog(QStringLiteral("sim: cannot give window %1 the frame %2")
                            .arg(m_number)
                            .arg(stringFromRect(frame)));
            return;
        }
        m_world.setFrameLocked(*this, frame, notes);
    });
}

void SimWindow::setTitle(const QString& title) {
    m_world.locked([&] { m_title = title; });
}

void SimWindow::setLayer(int layer) {
    m_world.locked([&] { m_layer = layer; });
}

void SimWindow::setAlpha(double alpha) {
    m_world.locked([&] { m_alpha = std::clamp(alpha, 0.0, 1.0); });
}

bool SimWindow::isOnScreen() const {
    return m_world.locked([&] { return onScreenLocked(); });
}

void SimWindow::setContainsProtectedContent(bool contains) {
    m_world.locked([&] { m_protectedContent = contains; });
}

double SimWindow::titleBarHeight() const {
    return m_world.locked([&] { return m_titleBarHeight; });
}

void SimWindow::setMovable(bool movable) {
    m_world.locked([&] { m_movable = movable; });
}

void SimWindow::setResizable(bool resizable) {
    m_world.locked([&] { m_resizable = resizable; });
}

void SimWindow::setMinimumSize(const Size& size) {
    setSizeLimit(m_minimumSize, size, "minimum size");
}

void SimWindow::setMaximumSize(const Size& size) {
    setSizeLimit(m_maximumSize, size, "maximum size");
}

void SimWindow::setSizeIncrements(const Size& increments) {
    setSizeLimit(m_sizeIncrements, increments, "size increments");
}

void SimWindow::setSizeLimit(Size& limit, const Size& size, const char* what) {
    if (!isUsableSize(size)) {
        platformLog(QStringLiteral("sim: ignoring %1 %2").arg(QLatin1String(what), stringFromSize(size)));
        return;
    }
    m_world.locked([&] { limit = size; });
}

void SimWindow::setFullScreen(bool fullScreen) {
    m_world.changeFrames([&](SimWorld::Notes& notes) {
        if (!m_closed)
            m_world.setFullScreenLocked(*this, fullScreen, notes);
    });
}

bool SimWindow::isFullScreen() const {
    return m_world.locked([&] { return m_fullScreen; });
}

void SimWindow::setFullScreenSettable(bool settable) {
    m_world.locked([&] { m_fullScreenSettable = settable; });
}

void SimWindow::setMinimized(bool minimized) {
    m_world.locked([&] { m_minimized = minimized; });
}

void SimWindow::addButton(SimButton button, const Rect& frameInWindow, bool enabled) {
    m_world.locked([&] { m_buttons[button] = Part{frameInWindow, enabled}; });
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
    m_world.locked([&] { m_buttons.erase(button); });
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
    m_world.locked([&] { m_growArea = frameInWindow; });
}

void SimWindow::addDrawer(const Rect& frameInWindow) {
    m_world.locked([&] { m_drawers.push_back(frameInWindow); });
}

void SimWindow::setRefusesFrameChanges(bool refuses) {
    m_world.locked([&] { m_refusesFrameChanges = refuses; });
}

void SimWindow::ignoreFrameSets(int count) {
    auto guard = m_world.lock();
    m_ignoredPositionSets = std::max(0, count);
    m_ignoredSizeSets = std::max(0, count);
}

void SimWindow::setFrameReadsFail(bool fail) {
    m_world.locked([&] { m_frameReadsFail = fail; });
}

void SimWindow::raise() {
    m_world.locked([&] { m_world.raiseLocked(*this); });
}

void SimWindow::close() {
    m_world.locked([&] { m_world.closeLocked(*this); });
}

bool SimWindow::isClosed() const {
    return m_world.locked([&] { return m_closed; });
}

int SimWindow::frameSetCount() const {
    return m_world.locked([&] { return m_frameSetCount; });
}

QStringList SimWindow::performedActions() const {
    return m_world.locked([&] { return m_performedActions; });
}

bool SimWindow::onScreenLocked() const {
    return !m_closed && !m_minimized && !m_application.m_hidden && !m_application.m_terminated;
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
