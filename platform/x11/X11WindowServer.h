#pragma once

#include "platform/WindowServer.h"

#include <memory>

class X11Desktop;

// The managed client windows front to back, from the window manager's stacking list. Window types
// stand in for layers: docks and panels lie above the layers that count, the program's own
// overlays above everything, and the desktop's background is never listed.
class X11WindowServer : public WindowServer {
public:
    static constexpr int FloatingLayer = 3;
    static constexpr int DockLayer = 100;
    static constexpr int OverlayLayer = 1000;

    explicit X11WindowServer(std::shared_ptr<X11Desktop> desktop);

    std::vector<WindowListEntry> windowList(bool onScreenOnly = true) const override;

private:
    std::shared_ptr<X11Desktop> m_desktop;
};
