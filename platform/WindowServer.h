#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <QString>
#include <vector>

// One window as the window server lists it.
struct WindowListEntry {
    WindowNumber number = 0;
    Rect bounds; // Quartz
    pid_t ownerPID = 0;
    QString ownerName;
    QString title;
    int layer = 0; // 0 for normal windows; docks, panels and overlays lie above
    double alpha = 1.0;
    bool onScreen = true;
};

class WindowServer {
public:
    virtual ~WindowServer() = default;

    // Windows front to back; with onScreenOnly, only those currently shown.
    virtual std::vector<WindowListEntry> windowList(bool onScreenOnly = true) const = 0;

    // While the user drags a window by its title bar, the window manager puts back its own frame at the
    // next motion, undoing a frame set meanwhile. Ending its move first keeps the frame set; resuming
    // hands the drag back at the pointer (Quartz), the left button still down, so the window goes on
    // following the pointer from its new frame. False when the window manager cannot be asked.
    virtual bool endWindowManagerMove(WindowNumber window) = 0;
    virtual bool resumeWindowManagerMove(WindowNumber window, Point quartzPointer) = 0;
};
