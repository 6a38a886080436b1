#pragma once

#include "platform/GrabStack.h"
#include "platform/OverlayWindows.h"

// Overlays on X11 are override-redirect windows of the program's widgets, which the X server itself
// keeps out of the window manager's lists; the toolkit makes them so. Requests go on the connection of
// the program's windows (Qt's), in order with Qt's own: grabs, so that the keys and clicks they bring
// reach those windows as their own events, and the input region of an overlay that takes clicks, which
// is set back to follow the window's shape and size (Qt leaves it at the size the window had when it
// stopped letting clicks through).
class X11OverlayWindows : public OverlayWindows {
public:
    X11OverlayWindows();

    void overlayShown(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents) override;
    void overlayHidden(OwnWindowId) override {}
    std::unique_ptr<InputGrab> grabKeyboard(OwnWindowId window, GrabStatus* status = nullptr) override;
    std::unique_ptr<InputGrab> grabPointer(OwnWindowId window, GrabStatus* status = nullptr) override;

private:
    GrabStack m_keyboard;
    GrabStack m_pointer;
};

// The answer of a GrabKeyboard or GrabPointer request.
GrabStatus x11GrabStatus(std::uint8_t status);
