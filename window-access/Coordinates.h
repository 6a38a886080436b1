#pragma once

#include "platform/Geometry.h"

#include <cstdint>

// Conversion between Cocoa coordinates (origin at the bottom left of the primary screen, y up) and
// Quartz coordinates (origin at its top left, y down), by the height of the primary screen. Each is
// its own inverse. Without a screen the height is 0.
Point ZRFlipPoint(Point point);
Rect ZRFlipRect(const Rect& rect);
// The same with the primary screen's height given, for code that flips many values at once.
Point ZRFlipPoint(Point point, double primaryScreenHeight);
Rect ZRFlipRect(const Rect& rect, double primaryScreenHeight);
double ZRPrimaryScreenHeight();

// The frame moved inside the container with its size unchanged; along an axis where it is larger,
// its low edge (left, and bottom in Cocoa coordinates) meets the container's.
Rect ZRConfineFrame(const Rect& frame, const Rect& container);

// The frame's size placed in the container: centred horizontally; vertically centred when geometric,
// else at three quarters of the free height from the bottom (half below 4 points of slack), which
// puts a window in the upper part of the free height in Cocoa coordinates. A frame taller than the
// container keeps its top edge on the container's in the optical placement, so its title bar stays
// reachable.
Rect ZRCenteredFrame(const Rect& frame, const Rect& container, bool geometric);

// Whether the value lies between the two bounds, both included, in either order.
bool ZRIntegerIsBetween(std::int64_t value, std::int64_t bound1, std::int64_t bound2);
