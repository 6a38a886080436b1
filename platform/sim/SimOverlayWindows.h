#pragma once

#include "platform/GrabStack.h"
#include "platform/Keys.h"
#include "platform/OverlayWindows.h"
#include "platform/Signal.h"

#include <memory>
#include <optional>

class SimWorld;

// The program's overlays on the simulated desktop: windows of its own process that lie above every
// window, that the window list and the element under the pointer look through, and that a click
// reaches unless they let clicks through. Grabs are refused for a window that is not shown, and while
// the window manager moves a window by its title bar (it holds both devices then).
class SimOverlayWindows : public OverlayWindows {
public:
    explicit SimOverlayWindows(std::shared_ptr<SimWorld> world);

    void overlayShown(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents) override;
    void overlayHidden(OwnWindowId window) override;
    std::unique_ptr<InputGrab> grabKeyboard(OwnWindowId window, GrabStatus* status = nullptr) override;
    std::unique_ptr<InputGrab> grabPointer(OwnWindowId window, GrabStatus* status = nullptr) override;

    bool isShown(OwnWindowId window) const;
    // The windows that have the devices; 0 for none.
    OwnWindowId keyboardHolder() const { return m_keyboard.holder(); }
    OwnWindowId pointerHolder() const { return m_pointer.holder(); }
    // Every grab is refused with the status while one is set, as when another program holds the device.
    void setGrabRefusal(std::optional<GrabStatus> status) { m_refusal = status; }

    // Input that reaches the program's windows: keys while it holds the keyboard, and presses of the left
    // button on an overlay that takes clicks, or anywhere while it holds the pointer (Quartz).
    Signal<OwnWindowId, KeyCode, ModifierFlags, bool> keyEvent; // the last: pressed, else released
    Signal<OwnWindowId, Point> leftMouseDown;

private:
    GrabStatus take(OwnWindowId window) const;

    std::shared_ptr<SimWorld> m_world;
    std::optional<GrabStatus> m_refusal;
    GrabStack m_keyboard;
    GrabStack m_pointer;
};
