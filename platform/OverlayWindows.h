#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <memory>

// The program's own windows that float above other applications' windows (the palette, grids, menus,
// outlines), and the keyboard and pointer grabs they take. Such a window is never activated, never
// managed by the window manager, and neither the window list nor the element under the pointer sees
// it. Main thread only.

// The window system's identifier of a window of the program (its native window id).
using OwnWindowId = std::uint64_t;

enum class GrabStatus {
    Granted,
    NotViewable,    // the window is not on the screen (yet)
    AlreadyGrabbed, // another program holds the device, the window manager during a drag for one
    Frozen,
    Failed,
};

// A grab held while the handle lives; destroying it gives the device back.
class InputGrab {
public:
    virtual ~InputGrab() = default;
};

class OverlayWindows {
public:
    virtual ~OverlayWindows() = default;

    // The overlay is shown at the Quartz frame, taking clicks or letting them through to what lies
    // beneath; told again whenever one of them changes. Desktops that see the program's windows
    // themselves need not be told.
    virtual void overlayShown(OwnWindowId window, const Rect& quartzFrame, bool ignoresMouseEvents) = 0;
    virtual void overlayHidden(OwnWindowId window) = 0;

    // Every key press goes to the window until the handle is destroyed, the presses of other programs'
    // and the program's own hot keys included. Null when refused, with the reason in status. The most
    // recent holder has the device; when it lets go, the one before it has it again.
    virtual std::unique_ptr<InputGrab> grabKeyboard(OwnWindowId window, GrabStatus* status = nullptr) = 0;
    // Every click and motion goes to the window until the handle is destroyed; as above.
    virtual std::unique_ptr<InputGrab> grabPointer(OwnWindowId window, GrabStatus* status = nullptr) = 0;
};

// The reason in a log line ("not viewable").
const char* grabStatusText(GrabStatus status);
