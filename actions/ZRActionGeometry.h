#pragma once

#include "platform/Geometry.h"
#include "window-access/Position.h"

#include <cstdint>

// The frames of the single-window actions that are not grid positions, in Cocoa coordinates, on a
// window's frame and the usable frame U of its screen. Each answers the zero rectangle when the
// action's settings give no frame (an unknown direction or position), which the caller reports.

// A distance along each axis, in points or in percent of U's width and height.
struct ZRActionDelta {
    double amount = 0;
    bool inPercent = false;

    double horizontal(const Rect& usable) const { return inPercent ? amount / 100 * usable.width() : amount; }
    double vertical(const Rect& usable) const { return inPercent ? amount / 100 * usable.height() : amount; }
};

// Moved by the delta toward the direction (a corner moves along both axes), inside U when confined.
Rect ZRMovedFrame(const Rect& frame, const Rect& usable, std::int64_t direction, ZRActionDelta delta,
                  bool confined);

// The half, quarter or whole of a frame that a position names (2 to 10), in fractions of it, y up; the zero
// rectangle for any other position.
Rect ZRRelativeFrameOfPosition(std::int64_t position);

// The same size, flush with the edge or corner the position names; 11 to 14 also centre the frame
// along that edge and 1 centres it on both axes.
Rect ZRFrameFlushAtPosition(const Rect& frame, const Rect& usable, std::int64_t position);

// Resized to the size about the anchor, the point of the frame that stays where it is (the top left
// corner for an anchor that names none). A dimension of 0 stays as it is; dimensions in percent are
// fractions of U.
struct ZRActionSize {
    Size size;
    bool widthInPercent = false;
    bool heightInPercent = false;
};
Rect ZRResizedFrame(const Rect& frame, const Rect& usable, const ZRActionSize& size, std::int64_t anchor);

// The edges the position names (all four for 1 and 2) moved outward by the delta, or inward when
// shrinking. Growing stops at U's edges (an edge already beyond them stays); shrinking never takes a
// dimension below the minimum, nor a smaller one further down.
inline constexpr double ZRMinimumShrunkenDimension = 20;
Rect ZRGrownFrame(const Rect& frame, const Rect& usable, std::int64_t edges, ZRActionDelta delta,
                  bool shrink);

// The frame moved from U into another usable frame: its place relative to U kept (left and top edges in
// fractions of U), scaled with it when resizing, else with its size kept and moved inside the new one.
Rect ZRFrameMovedToUsableFrame(const Rect& frame, const Rect& usable, const Rect& newUsable, bool resize);
