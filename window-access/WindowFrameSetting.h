#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <functional>
#include <optional>
#include <vector>

// Setting other applications' window frames through the accessibility interface. Frames are in Quartz
// coordinates. Safe from the hover worker as well as the main thread.

// How a window's frame is set. With includeDrawers the frame is that of the window with its drawers;
// without setSize only the position is set; a kept right or bottom edge is put back in place when the
// window takes another size; an animated window moves through the frames between over 0.08 s.
struct ZRWindowFrameOptions {
    bool includeDrawers = false;
    bool setSize = true;
    bool keepRightEdge = false;
    bool keepBottomEdge = false;
    bool animate = false;
};

// Sets the window's position and, when asked, its size. Each of up to 5 attempts sets the frame, puts a
// kept edge back in place, and reads the frame back; it stops when the frame matches within 1 point or
// stops changing (a window that clamps its size). True when the window took the frame, or changed to
// the nearest frame it accepts; false when it cannot be read or set or did not change at all.
// obtainedFrame receives the frame the window has afterwards whenever it can be read.
[[nodiscard]] bool ZRSetWindowFrame(const AXElementRef& window, const ZRWindowFrameOptions& options,
                                    const Rect& frame, Rect* obtainedFrame = nullptr);

// One window's frame for ZRSetWindowFrames.
struct ZRWindowFrameRequest {
    AXElementRef window;
    Rect frame;
    ZRWindowFrameOptions options;
};

// Sets the frames of several windows, each as ZRSetWindowFrame would, with the same result and obtained
// frame (none where the frame could not be read); but each attempt asks all windows at once and then
// reads them all, and the animated windows move together, so a layout costs about what one window does.
[[nodiscard]] std::vector<bool> ZRSetWindowFrames(const std::vector<ZRWindowFrameRequest>& requests,
                                                  std::vector<std::optional<Rect>>* obtainedFrames = nullptr);

// What ZRSetWindowFrames answers: whether each window took its frame, and the frame it has afterwards
// (none where it could not be read).
struct ZRWindowFramesResult {
    std::vector<bool> set;
    std::vector<std::optional<Rect>> obtained;
};
using ZRWindowFramesHandler = std::function<void(const ZRWindowFramesResult& result)>;

// Main thread: ZRSetWindowFrames without holding the thread. The animated windows' frames between go
// out on run-loop timers in every mode (menus and overlays keep working meanwhile), the verified attempts
// run when the animation's time is up, and the handler gets what ZRSetWindowFrames would have answered. A
// window that a later animation takes over leaves this one at once and is reported as set, with no frame.
void ZRSetWindowFramesAnimated(std::vector<ZRWindowFrameRequest> requests, ZRWindowFramesHandler handler);

// The same, but a window that lies partly outside its screen's visible frame is first moved to the
// nearest position inside it, since some windows refuse a new size while they stick out.
[[nodiscard]] bool ZRSetWindowFrameViaVisibleFrame(const AXElementRef& window,
                                                   const ZRWindowFrameOptions& options, const Rect& frame,
                                                   Rect* obtainedFrame = nullptr);
