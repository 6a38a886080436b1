#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <functional>

// Where the palette's content goes and where the palette hangs, worked out from numbers alone. Content
// frames are in the content view's coordinates with the origin at its top left (Qt's), screen values in
// Cocoa coordinates.

// What the content's layout depends on.
struct ZRPaletteContentMeasures {
    // The bounding box of the layout's visible items (ZRPaletteItemWellsInterface); no visible item counts
    // as none across and none down.
    std::int64_t minimumColumn = 0;
    std::int64_t maximumColumn = -1;
    std::int64_t minimumRow = 0;
    std::int64_t maximumRow = -1;
    // ZRPaletteIconMetrics(-1).
    Size iconMetrics;
    bool revertShown = false;
    Size revertButtonSize;
    // The grid, when the palette shows one: its mode ("Mouse Controls Grid: Mode", 0 the placeholder), its
    // cell shape and counts, and the height it takes for a width.
    bool grid = false;
    std::int64_t gridMode = 0;
    std::int64_t gridStyle = 0;
    std::int64_t gridColumns = 0;
    std::int64_t gridRows = 0;
    std::function<double(double width)> gridHeightForWidth;
};

struct ZRPaletteContentLayout {
    // The content view's size.
    Size size;
    // A button's cell, the gap between cells, and the steps from one cell to the next.
    Size cell;
    double gap = 0;
    double stepX = 0;
    double stepY = 0;
    std::int64_t maximumColumn = -1;
    std::int64_t minimumRow = 0;
    // Beside the top row, at the left; empty when the revert button is not shown.
    Rect revertButtonFrame;
    // At the bottom; empty without a grid.
    Rect gridFrame;

    // The button of a well: the editor's arrangement kept, right-aligned 10 points from the right edge,
    // the first row 8 points under the top. Rows run down as they do in the editor.
    Rect frameOfWell(std::int64_t column, std::int64_t row) const;
};

ZRPaletteContentLayout ZRPaletteContentLayoutForMeasures(const ZRPaletteContentMeasures& measures);

// The side of the trigger (an AttachedPanelSide) the palette of that size hangs on: below it unless there is
// no room under the button, extending to the right unless that is crowded, then centred, then extending to
// the left. The usable frame may be empty (no screen at the trigger).
int ZRPaletteSide(const Rect& usableFrame, Point triggerLocation, Size paletteSize);

// Seconds a palette that the pointer left stays up: half a second from the rest that showed it.
double ZRHideOverlayDelay(std::int64_t zoomButtonBehavior, double paletteDelay);
