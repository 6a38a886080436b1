#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

// Setting other applications' window frames through the accessibility interface. Frames are in Quartz
// coordinates. Safe from the hover worker as well as the main thread.

// Sets the window's position and, when asked, its size, animated over 0.08 s when asked. Each of up to 5
// attempts sets the frame, puts a kept right or bottom edge back in place when the window took another
// size, and reads the frame back; it stops when the frame matches within 1 point or stops changing (a
// window that clamps its size). With includeDrawers the frame is that of the window with its drawers.
// True when the window took the frame, or changed to the nearest frame it accepts; false when it cannot
// be read or set or did not change at all. obtainedFrame receives the frame the window has afterwards
// whenever it can be read.
bool ZRSetWindowFrame(const AXElementRef& window, bool includeDrawers, bool setSize, bool keepRightEdge,
                      bool keepBottomEdge, bool animate, const Rect& frame, Rect* obtainedFrame = nullptr);

// The same, but a window that lies partly outside its screen's visible frame is first moved to the
// nearest position inside it, since some windows refuse a new size while they stick out.
bool ZRSetWindowFrameViaVisibleFrame(const AXElementRef& window, bool includeDrawers, bool setSize,
                                     bool keepRightEdge, bool keepBottomEdge, bool animate, const Rect& frame,
                                     Rect* obtainedFrame = nullptr);
