#include "mouse-control/ZRPaletteGeometry.h"
#include "toolkit/AttachedPanelGeometry.h"

#include "Printers.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The smallest icons: 18 × 14, cells 20 × 20, a gap of 5, steps of 25 across and 21 down.
const Size Icons(18, 14);
const Size RevertButton(24, 20);
constexpr double GridHeight = 20;

ZRPaletteContentMeasures measures(std::int64_t minColumn, std::int64_t maxColumn, std::int64_t minRow,
                                  std::int64_t maxRow, bool revert) {
    ZRPaletteContentMeasures m;
    m.minimumColumn = minColumn;
    m.maximumColumn = maxColumn;
    m.minimumRow = minRow;
    m.maximumRow = maxRow;
    m.iconMetrics = Icons;
    m.revertShown = revert;
    m.revertButtonSize = RevertButton;
    m.gridHeightForWidth = [](double) { return GridHeight; };
    return m;
}

ZRPaletteContentMeasures withGrid(ZRPaletteContentMeasures m, std::int64_t mode, std::int64_t style,
                                  std::int64_t columns, std::int64_t rows) {
    m.grid = true;
    m.gridMode = mode;
    m.gridStyle = style;
    m.gridColumns = columns;
    m.gridRows = rows;
    return m;
}

TEST(PaletteGeometryTest, ContentLayout) {
    const struct Case {
        const char* what;
        ZRPaletteContentMeasures measures;
        Size size;
        Rect grid;
        Rect revert;
    } cases[] = {
        {"one row of five", measures(3, 7, 3, 3, false), {140, 36}, {}, {}},
        {"one row of five and the revert column", measures(3, 7, 3, 3, true), {175, 36}, {}, {8, 7, 24, 20}},
        {"two rows of three", measures(0, 2, 0, 1, false), {90, 57}, {}, {}},
        {"no visible item: nothing goes negative",
         measures(std::numeric_limits<std::int64_t>::max(), -1, std::numeric_limits<std::int64_t>::max(), -1,
                  false),
         {15, 16},
         {},
         {}},
        {"placeholder grid, one row, revert: under the revert button",
         withGrid(measures(3, 7, 3, 3, true), 0, 0, 6, 4),
         {175, 63},
         {11, 32, 153, 20},
         {8, 7, 24, 20}},
        {"placeholder grid, two rows, revert: under the items only",
         withGrid(measures(0, 2, 0, 1, true), 0, 0, 6, 4),
         {125, 84},
         {46, 53, 68, 20},
         {8, 7, 24, 20}},
        {"placeholder grid without revert",
         withGrid(measures(0, 2, 0, 1, false), 0, 0, 6, 4),
         {90, 84},
         {11, 53, 68, 20},
         {}},
        {"rectangle grid with revert does not widen",
         withGrid(measures(3, 7, 3, 3, true), 1, 0, 6, 4),
         {175, 63},
         {46, 32, 118, 20},
         {8, 7, 24, 20}},
        {"hexagons widen and need 8 per column and 4 per row",
         withGrid(measures(3, 7, 3, 3, true), 1, 3, 20, 4),
         {194, 63},
         {11, 32, 172, 20},
         {8, 7, 24, 20}},
        {"many rectangle columns widen the palette",
         withGrid(measures(3, 7, 3, 3, false), 1, 0, 30, 4),
         {262, 63},
         {11, 32, 240, 20},
         {}},
    };
    for (const Case& c : cases) {
        const ZRPaletteContentLayout layout = ZRPaletteContentLayoutForMeasures(c.measures);
        EXPECT_EQ(layout.size, c.size) << c.what;
        EXPECT_EQ(layout.gridFrame, c.grid) << c.what;
        EXPECT_EQ(layout.revertButtonFrame, c.revert) << c.what;
    }
}

TEST(PaletteGeometryTest, ButtonsKeepTheEditorsArrangementFromTheRightAndTheTop) {
    const ZRPaletteContentLayout layout = ZRPaletteContentLayoutForMeasures(measures(2, 4, 1, 2, true));
    EXPECT_EQ(layout.size, Size(125, 57));
    EXPECT_EQ(layout.frameOfWell(4, 1), Rect(95, 8, 20, 20)) << "10 from the right, 8 under the top";
    EXPECT_EQ(layout.frameOfWell(2, 1), Rect(45, 8, 20, 20));
    EXPECT_EQ(layout.frameOfWell(3, 2), Rect(70, 29, 20, 20)) << "the next row lower";
}

TEST(PaletteGeometryTest, SideRuleAtEachScreenEdge) {
    using namespace AttachedPanelSide;
    const Rect screen(0, 0, 1440, 900);
    const Size palette(140, 36);
    const struct Case {
        Rect usable;
        Point trigger;
        int side;
    } cases[] = {
        {screen, {700, 450}, BottomRight},
        {screen, {700, 20}, TopRight},
        {screen, {10, 450}, BottomRight},
        {screen, {1350, 450}, Bottom},
        {screen, {1350, 10}, Top},
        {screen, {1400, 450}, BottomLeft},
        {screen, {1400, 10}, TopLeft},
        {screen, {1400, 36}, BottomLeft},
        {{0, 0, 150, 900}, {100, 450}, Bottom},
        {{1440, 0, 1000, 900}, {2400, 850}, BottomLeft},
        {{}, {700, 450}, BottomLeft},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZRPaletteSide(c.usable, c.trigger, palette), c.side)
            << stringFromRect(c.usable).toStdString() << " at " << stringFromPoint(c.trigger).toStdString();
    }
}

TEST(PaletteGeometryTest, HideDelayIsHalfASecondFromTheRest) {
    EXPECT_DOUBLE_EQ(ZRHideOverlayDelay(0, 0.1), 0.4);
    EXPECT_DOUBLE_EQ(ZRHideOverlayDelay(0, 0.7), 0);
    EXPECT_DOUBLE_EQ(ZRHideOverlayDelay(1, 0.1), 0.5);
    EXPECT_DOUBLE_EQ(ZRHideOverlayDelay(-1, 0.1), 0.5);
}

} // namespace
