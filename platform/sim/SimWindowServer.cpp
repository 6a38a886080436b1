#include "platform/sim/SimWindowServer.h"

#include "platform/sim/SimWorld.h"

SimWindowServer::SimWindowServer(std::shared_ptr<SimWorld> world) : m_world(std::move(world)) {}

std::vector<WindowListEntry> SimWindowServer::windowList(bool onScreenOnly) const {
    return m_world->windowList(onScreenOnly);
}

bool SimWindowServer::endWindowManagerMove(WindowNumber window) {
    return m_world->endWindowManagerMove(window);
}

bool SimWindowServer::resumeWindowManagerMove(WindowNumber window, Point) {
    return m_world->resumeWindowManagerMove(window);
}
