#pragma once

#include <cstdint>

// The shape of a grid view's cells, as settings and the palette store it. Any value but 0, 1 and 3 draws
// circles.
using ZRGridStyle = std::int64_t;

// Rectangles with 1-point gaps.
inline constexpr ZRGridStyle ZRGridStyleRectangles = 0;
// Points, one more per axis than the dimension asks; a selection is the rectangle between two points.
inline constexpr ZRGridStyle ZRGridStylePoints = 1;
inline constexpr ZRGridStyle ZRGridStyleCircles = 2;
// Hexagons in a parallelogram.
inline constexpr ZRGridStyle ZRGridStyleHexagons = 3;
