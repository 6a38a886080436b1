#include "platform/sim/SimDesktop.h"

#include "platform/PlatformLog.h"
#include "platform/sim/SimWorld.h"

#include <unistd.h>

SimDesktop::SimDesktop()
    : m_world(std::make_shared<SimWorld>()), m_accessibility(m_world), m_windowServer(m_world),
      m_screens(m_world), m_workspace(m_world), m_processes(m_systemPreferences), m_overlayWindows(m_world) {}

SimDesktop::~SimDesktop() = default;

QString SimDesktop::name() const {
    return QStringLiteral("sim");
}

std::uint32_t SimDesktop::addScreen(const Rect& frame, std::optional<Rect> visibleFrame, double scale) {
    return m_world->addScreen(frame, visibleFrame.value_or(frame), scale);
}

bool SimDesktop::removeScreen(std::uint32_t identifier) {
    return m_world->removeScreen(identifier);
}

bool SimDesktop::setScreenFrame(std::uint32_t identifier, const Rect& frame,
                                std::optional<Rect> visibleFrame) {
    return m_world->setScreenFrame(identifier, frame, visibleFrame.value_or(frame));
}

void SimDesktop::setSeparateSpaces(bool separate) {
    m_world->setSeparateSpaces(separate);
}

SimApplication& SimDesktop::addApplication(const QString& bundleIdentifier, const QString& name) {
    return m_world->addApplication(bundleIdentifier, name);
}

SimApplication& SimDesktop::addOwnApplication(const QString& name) {
    return m_world->addApplication(QStringLiteral("com.tallowin.skaf"), name, ::getpid());
}

SimWindow& SimDesktop::addWindow(SimApplication& application, const Rect& frame, const QString& title) {
    return m_world->addWindow(application, frame, title);
}

SimWindow* SimDesktop::window(WindowNumber number) const {
    auto guard = m_world->lock();
    return m_world->windowLocked(number);
}

void SimDesktop::movePointer(Point quartz) {
    const Point from = m_inputState.pointerLocation();
    const double dx = quartz.x - from.x;
    const double dy = quartz.y - from.y;
    m_inputState.setPointerLocation(quartz);
    if (!m_inputState.isLeftButtonDown()) {
        postPointerEvent(TapEventType::MouseMoved, dx, dy);
        return;
    }
    // The window server moves a dragged window before anyone hears of the drag.
    m_world->dragBy(dx, dy);
    postPointerEvent(TapEventType::LeftMouseDragged, dx, dy);
}

void SimDesktop::movePointerBy(double dx, double dy) {
    const Point from = m_inputState.pointerLocation();
    movePointer({from.x + dx, from.y + dy});
}

void SimDesktop::pressLeftButton() {
    const Point at = m_inputState.pointerLocation();
    m_inputState.setLeftButtonDown(true);
    postPointerEvent(TapEventType::LeftMouseDown);
    if (const OwnWindowId holder = m_overlayWindows.pointerHolder()) {
        m_overlayWindows.leftMouseDown.emit(holder, at);
        return;
    }
    // Command-clicks reach a window in the background without bringing it forward.
    const bool activates = !(m_inputState.modifierFlags() & ModifierFlag::Command);
    const SimWorld::Press press = m_world->pressAt(at, activates);
    if (press.overlay) {
        m_overlayWindows.leftMouseDown.emit(press.overlay, at);
        return;
    }
    if (press.pid && activates)
        m_world->activate(press.pid, false);
    if (press.onTitleBar)
        m_world->beginDrag(press.window);
}

void SimDesktop::releaseLeftButton() {
    m_inputState.setLeftButtonDown(false);
    m_world->endDrag();
    postPointerEvent(TapEventType::LeftMouseUp);
}

void SimDesktop::pressRightButton() {
    postPointerEvent(TapEventType::RightMouseDown);
}

void SimDesktop::beginWindowDrag(SimWindow& window) {
    const Rect frame = window.serverFrame();
    const double titleBar = window.titleBarHeight();
    if (!(titleBar > 0) || window.isClosed()) {
        platformLog(QStringLiteral("sim: window %1 has no title bar to drag by").arg(window.number()));
        return;
    }
    movePointer({frame.midX(), frame.minY() + titleBar / 2});
    pressLeftButton();
}

void SimDesktop::setDragLag(int steps) {
    m_world->setDragLag(steps);
}

void SimDesktop::setDragRestoresFrames(bool restores) {
    m_world->setDragRestoresFrames(restores);
}

void SimDesktop::setModifierFlags(ModifierFlags flags) {
    const ModifierFlags before = m_inputState.modifierFlags();
    m_inputState.setModifierFlags(flags);
    if (m_inputState.modifierFlags() != before)
        postPointerEvent(TapEventType::FlagsChanged);
}

void SimDesktop::postPointerEvent(TapEventType type, double dx, double dy) {
    TapEvent event;
    event.type = type;
    event.location = m_inputState.pointerLocation();
    event.deltaX = dx;
    event.deltaY = dy;
    event.flags = m_inputState.modifierFlags();
    m_eventStream.post(event);
}

bool SimDesktop::pressKey(KeyCode keyCode) {
    return sendKey(keyCode, true);
}

void SimDesktop::releaseKey(KeyCode keyCode) {
    sendKey(keyCode, false);
}

bool SimDesktop::sendKey(KeyCode keyCode, bool pressed) {
    TapEvent event;
    event.type = pressed ? TapEventType::KeyDown : TapEventType::KeyUp;
    event.location = m_inputState.pointerLocation();
    event.flags = m_inputState.modifierFlags();
    event.keyCode = keyCode;
    m_eventStream.post(event);
    if (m_world->windowManagerMoving())
        return false;
    if (const OwnWindowId holder = m_overlayWindows.keyboardHolder()) {
        m_overlayWindows.keyEvent.emit(holder, keyCode, event.flags, pressed);
        return true;
    }
    return pressed ? globalHotKeys().press(keyCode, event.flags)
                   : globalHotKeys().release(keyCode, event.flags);
}
