#include "mouse-control/ZRPaletteGeometry.h"

#include "mouse-control/ZROverlayGridInterface.h"
#include "toolkit/AttachedPanelGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// A cell is this much larger than its icon.
constexpr double CellExtraWidth = 2;
constexpr double CellExtraHeight = 6;
constexpr double MaximumGap = 10;
constexpr double GapFraction = 0.25;
// Rows overlap their gaps by this much.
constexpr double RowGapReduction = 4;
// Margins: the sides together, the right one, the top one, and below the items without a grid.
constexpr double SideMargins = 20;
constexpr double RightMargin = 10;
constexpr double TopMargin = 8;
constexpr double BottomMargin = 16;
// The revert column on the left, and where the revert button sits in it.
constexpr double RevertColumnWidth = 35;
constexpr double RevertButtonLeft = 8;
constexpr double RevertButtonTop = 7;
// The grid: inset from the sides and the bottom, the room below the items it adds, and the narrowest
// cells and the overlap of hexagon rows it needs.
constexpr double GridSideInsets = 22;
constexpr double GridInset = 11;
constexpr double GridExtraHeight = 18;
constexpr double MinimumGridCellWidth = 8;
constexpr double HexagonRowOffset = 4;
constexpr double GridWidthTolerance = 0.1;

double count(std::int64_t minimum, std::int64_t maximum) {
    return maximum >= minimum ? double(maximum - minimum + 1) : 0;
}

} // namespace

Rect ZRPaletteContentLayout::frameOfWell(std::int64_t column, std::int64_t row) const {
    return {size.width - RightMargin - cell.width - double(maximumColumn - column) * stepX,
            TopMargin + double(row - minimumRow) * stepY, cell.width, cell.height};
}

ZRPaletteContentLayout ZRPaletteContentLayoutForMeasures(const ZRPaletteContentMeasures& measures) {
    ZRPaletteContentLayout layout;
    const double columns = count(measures.minimumColumn, measures.maximumColumn);
    const double rows = count(measures.minimumRow, measures.maximumRow);
    layout.maximumColumn = measures.maximumColumn;
    layout.minimumRow = measures.minimumRow;
    layout.cell = {measures.iconMetrics.width + CellExtraWidth,
                   measures.iconMetrics.height + CellExtraHeight};
    const double gap = std::min(MaximumGap, std::round(layout.cell.width * GapFraction));
    layout.gap = gap;
    layout.stepX = layout.cell.width + gap;
    layout.stepY = layout.cell.height + gap - RowGapReduction;

    double width = columns * layout.stepX - gap + SideMargins;
    // With no row the rows' overlap must not make the height negative.
    double height = std::max(0.0, rows * layout.stepY - (gap - RowGapReduction));

    double gridWidth = 0;
    double gridHeight = 0;
    if (measures.grid) {
        gridWidth = width - GridSideInsets;
        const bool widens = measures.gridMode == 0
                                ? rows < 2
                                : measures.gridStyle == ZROverlayGridInterface::HexagonGridStyle;
        if (measures.revertShown && widens)
            gridWidth += RevertColumnWidth;
        if (measures.gridMode != 0) {
            double need = MinimumGridCellWidth * double(measures.gridColumns);
            if (measures.gridStyle == ZROverlayGridInterface::HexagonGridStyle && measures.gridRows >= 2)
                need += HexagonRowOffset * double(measures.gridRows - 1);
            if (need - gridWidth > GridWidthTolerance) {
                width += need - gridWidth;
                gridWidth = need;
            }
        }
        gridHeight = measures.gridHeightForWidth ? std::max(0.0, measures.gridHeightForWidth(gridWidth)) : 0;
        height += gridHeight + gap + GridExtraHeight;
    } else {
        height += BottomMargin;
    }
    if (measures.revertShown)
        width += RevertColumnWidth;
    layout.size = {width, height};

    if (measures.revertShown) {
        const Size revert = measures.revertButtonSize;
        // Level with the top row: its centre on the first cell's, a point higher.
        const double fromTop = RevertButtonTop + layout.cell.height -
                               std::round((layout.cell.height - revert.height) / 2) - revert.height;
        layout.revertButtonFrame = {RevertButtonLeft, fromTop, revert.width, revert.height};
    }
    if (measures.grid)
        layout.gridFrame = {width - GridInset - gridWidth, height - GridInset - gridHeight, gridWidth,
                            gridHeight};
    return layout;
}

int ZRPaletteSide(const Rect& usableFrame, Point triggerLocation, Size paletteSize) {
    const double px = triggerLocation.x;
    const double py = triggerLocation.y;
    const double w = paletteSize.width;
    const double h = paletteSize.height;
    const double right = usableFrame.x() + usableFrame.width();
    const bool crowdedRight = px + w > right && px > usableFrame.x() + w / 2;
    const bool leftward = crowdedRight && px + w / 2 > right && px > usableFrame.x() + w;
    const bool above = py < usableFrame.y() + h;
    if (!crowdedRight)
        return above ? AttachedPanelSide::TopRight : AttachedPanelSide::BottomRight;
    if (!leftward)
        return above ? AttachedPanelSide::Top : AttachedPanelSide::Bottom;
    return above ? AttachedPanelSide::TopLeft : AttachedPanelSide::BottomLeft;
}

double ZRHideOverlayDelay(std::int64_t zoomButtonBehavior, double paletteDelay) {
    constexpr double HideDelay = 0.5;
    if (zoomButtonBehavior != 0)
        return HideDelay;
    return std::max(0.0, HideDelay - paletteDelay);
}
