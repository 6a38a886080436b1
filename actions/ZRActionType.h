#pragma once

#include <cstdint>

// The integer type of an action, as stored records carry it under "Action".
enum ZRActionType : std::int64_t {
    ZRActionTypeMenuHeader = -101,
    ZRActionTypeSeparator = 0,
    ZRActionTypeRevert = 1,
    ZRActionTypeFill = 11,
    ZRActionTypeHalf = 12,
    ZRActionTypeQuarter = 13,
    ZRActionTypeMoveAndResize = 19,
    ZRActionTypeCenter = 21,
    ZRActionTypeCenterGeometrically = 22,
    ZRActionTypeMove = 31,
    ZRActionTypeMoveConfined = 32,
    ZRActionTypeMoveToEdgeOrCorner = 33,
    ZRActionTypeMoveToOtherDisplay = 41,
    ZRActionTypeResize = 51,
    ZRActionTypeGrow = 52,
    ZRActionTypeShrink = 53,
    ZRActionTypeZoomToFit = 54,
    ZRActionTypeUseGrid = 61,
    ZRActionTypeLayout = 1001,
    // A folder, or a chain when the action's `chain` is set.
    ZRActionTypeFolder = 10001,
};

// How a chain runs its members: all in order on one press, or the next one on each press.
enum ZRChainMode : std::int64_t {
    ZRChainModeSequence = 0,
    ZRChainModeCycle = 1,
};

// How a centre action centres: by the optical rule (a little above the middle) or geometrically.
enum ZRCenterMode : std::int64_t {
    ZRCenterModeOptical = 0,
    ZRCenterModeGeometric = 1,
};

// One of the types above; records with any other number are refused.
bool ZRActionTypeIsKnown(std::int64_t type);
// Types that act on one window (everything but separators, headers, layouts and folders).
bool ZRActionTypeIsSingleWindow(std::int64_t type);
// Types whose hot key, held down, fires again: moves, moves to other displays, grow and shrink.
bool ZRActionTypeAllowsRepeat(std::int64_t type);
