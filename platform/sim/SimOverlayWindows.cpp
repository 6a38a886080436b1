#include "platform/sim/SimOverlayWindows.h"

#include "platform/sim/SimWorld.h"

SimOverlayWindows::SimOverlayWindows(std::shared_ptr<SimWorld> world)
    : m_world(std::move(world)), m_keyboard([this](OwnWindowId window) { return take(window); }, [] {}),
      m_pointer([this](OwnWindowId window) { return take(window); }, [] {}) {}

void SimOverlayWindows::overlayShown(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents) {
    m_world->setOverlay(window, quartzFrame, ignoresMouseEvents);
}

void SimOverlayWindows::overlayHidden(OwnWindowId window) {
    m_world->removeOverlay(window);
}

std::unique_ptr<InputGrab> SimOverlayWindows::grabKeyboard(OwnWindowId window, GrabStatus* status) {
    return m_keyboard.grab(window, status);
}

std::unique_ptr<InputGrab> SimOverlayWindows::grabPointer(OwnWindowId window, GrabStatus* status) {
    return m_pointer.grab(window, status);
}

bool SimOverlayWindows::isShown(OwnWindowId window) const {
    return m_world->hasOverlay(window);
}

GrabStatus SimOverlayWindows::take(OwnWindowId window) const {
    if (m_refusal)
        return *m_refusal;
    if (!m_world->hasOverlay(window))
        return GrabStatus::NotViewable;
    if (m_world->windowManagerMoving())
        return GrabStatus::AlreadyGrabbed;
    return GrabStatus::Granted;
}
