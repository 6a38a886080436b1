#pragma once

#include <cstdint>

// The shape of a grid view's cells. Any value but 0, 1 and 3 draws circles.
enum ZRGridStyle : std::int64_t {
    // Rectangles with 1-point gaps.
    ZRGridStyleRectangles = 0,
    // Points, one more per axis than the dimension asks; a selection is the rectangle between two points.
    ZRGridStylePoints = 1,
    ZRGridStyleCircles = 2,
    // Hexagons in a parallelogram.
    ZRGridStyleHexagons = 3,
};
