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
    // _NET_WM_MOVERESIZE: cancel, then move with the left button at the pointer. Resuming needs the left
    // button down: a move started without it would follow the pointer until the next click.
    bool endWindowManagerMove(WindowNumber window) override;
    bool resumeWindowManagerMove(WindowNumber window, Point quartzPointer) override;

private:
    std::shared_ptr<X11Desktop> m_desktop;
};
