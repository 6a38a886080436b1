#pragma once

#include "platform/WindowServer.h"

#include <memory>

class SimWorld;

// The window list of the simulated desktop; it follows a dragged window at once.
class SimWindowServer : public WindowServer {
public:
    explicit SimWindowServer(std::shared_ptr<SimWorld> world);

    std::vector<WindowListEntry> windowList(bool onScreenOnly = true) const override;

private:
    std::shared_ptr<SimWorld> m_world;
};
