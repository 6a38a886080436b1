#include "platform/sim/SimScreens.h"

#include "platform/sim/SimWorld.h"

SimScreens::SimScreens(std::shared_ptr<SimWorld> world)
    : m_world(std::move(world)),
      m_changed(m_world->screensChanged.connect([this] { screensChanged.emit(); })) {}

std::vector<ScreenInfo> SimScreens::screens() const {
    return m_world->screens();
}

bool SimScreens::screensHaveSeparateSpaces() const {
    return m_world->separateSpaces();
}

void SimScreens::setCompositingActive(bool active) {
    if (active == m_compositing)
        return;
    m_compositing = active;
    compositingChanged.emit();
}
