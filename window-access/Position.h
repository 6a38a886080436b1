#pragma once

#include <cstdint>

// Codes of a position or direction on a usable frame, as actions, grids, snapping and the position
// picker store them. Stored records carry other numbers too (a grid selection, the snap position),
// so values outside this list are kept as they are.
enum ZRPosition : std::int64_t {
    ZRPositionNone = 0,
    ZRPositionCenter = 1,
    ZRPositionFull = 2,
    ZRPositionTop = 3,
    ZRPositionTopRight = 4,
    ZRPositionRight = 5,
    ZRPositionBottomRight = 6,
    ZRPositionBottom = 7,
    ZRPositionBottomLeft = 8,
    ZRPositionLeft = 9,
    ZRPositionTopLeft = 10,
    ZRPositionTopCentered = 11,
    ZRPositionRightCentered = 12,
    ZRPositionBottomCentered = 13,
    ZRPositionLeftCentered = 14,
};

// Directions of a neighbouring virtual screen.
enum ZRScreenDirection : int {
    ZRScreenDirectionAbove = 1,
    ZRScreenDirectionRight = 2,
    ZRScreenDirectionBelow = 3,
    ZRScreenDirectionLeft = 4,
};

// Which edges a position names. Positions 3 to 10 run from the top clockwise, 11 to 14 are the centres
// of the top, right, bottom and left edges.
constexpr bool ZRPositionIsTop(std::int64_t position) {
    return position == ZRPositionTop || position == ZRPositionTopRight || position == ZRPositionTopLeft ||
           position == ZRPositionTopCentered;
}
constexpr bool ZRPositionIsRight(std::int64_t position) {
    return position == ZRPositionTopRight || position == ZRPositionRight ||
           position == ZRPositionBottomRight || position == ZRPositionRightCentered;
}
constexpr bool ZRPositionIsBottom(std::int64_t position) {
    return position == ZRPositionBottomRight || position == ZRPositionBottom ||
           position == ZRPositionBottomLeft || position == ZRPositionBottomCentered;
}
constexpr bool ZRPositionIsLeft(std::int64_t position) {
    return position == ZRPositionBottomLeft || position == ZRPositionLeft || position == ZRPositionTopLeft ||
           position == ZRPositionLeftCentered;
}

// Whether a position lies in the horizontal (vertical) middle of the frame: the centre and the centred
// edges, and with the flag the plain top and bottom (left and right) edges too, which span the middle.
constexpr bool ZRPositionIsHorizontallyCentered(std::int64_t position, bool includePlainEdges) {
    return position == ZRPositionCenter || position == ZRPositionTopCentered ||
           position == ZRPositionBottomCentered ||
           (includePlainEdges && (position == ZRPositionTop || position == ZRPositionBottom));
}
constexpr bool ZRPositionIsVerticallyCentered(std::int64_t position, bool includePlainEdges) {
    return position == ZRPositionCenter || position == ZRPositionRightCentered ||
           position == ZRPositionLeftCentered ||
           (includePlainEdges && (position == ZRPositionRight || position == ZRPositionLeft));
}
