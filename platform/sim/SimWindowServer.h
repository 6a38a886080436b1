#pragma once

#include "platform/WindowServer.h"

#include <memory>

class SimWorld;

// The window list of the simulated desktop; it follows a dragged window at once. The program's overlays
// are not in it.
class SimWindowServer : public WindowServer {
public:
    explicit SimWindowServer(std::shared_ptr<SimWorld> world);

    std::vector<WindowListEntry> windowList(bool onScreenOnly = true) const override;
    // True while the window is dragged by its title bar, and for resuming, while the left button is
    // still down after the move ended.
    bool endWindowManagerMove(WindowNumber window) override;
    bool resumeWindowManagerMove(WindowNumber window, Point quartzPointer) override;

private:
    std::shared_ptr<SimWorld> m_world;
};
