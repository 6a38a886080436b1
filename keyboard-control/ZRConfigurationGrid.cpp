#include "keyboard-control/ZRConfigurationGrid.h"

#include "platform/Platform.h"
#include "platform/Screens.h"
#include "window-access/VirtualScreen.h"

#include <algorithm>
#include <cmath>

namespace {

// Wireframe cells, and cells without a share of the screen, colour as if this share were covered; then the
// alphas of the light and dark schemes at no cover and what a full cover adds.
constexpr double WireframeShare = 0.2;
constexpr double CellAlpha = 0.2;
constexpr double CellAlphaRange = 0.55;
constexpr double InvertedCellAlpha = 0.25;
constexpr double InvertedCellAlphaRange = 0.7;
// On a wide screen the grid is never flatter than this many points per row (or its width).
constexpr double MinimumRowHeight = 10;
constexpr double HeightTolerance = 0.1;

// The first screen's visible frame with the Dock's extra spacing; the zero rectangle without one.
Rect firstVisibleFrame(Platform& platform, const UserDefaults& defaults) {
    const auto screens = platform.screens().screens();
    return screens.empty() ? Rect() : visibleFrameWithExtraDockSpacing(&screens.front(), defaults);
}

} // namespace

ZRConfigurationGrid::ZRConfigurationGrid(const UserDefaults& defaults, Platform& platform, QWidget* parent)
    : ZRGridPrototype(defaults, parent), m_platform(platform) {}

void ZRConfigurationGrid::allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows) {
    ZRGridPrototype::allocateCellsWithColumns(columns, andRows);
    m_representedRelativeCellFrame = ZRGridMatrix<ZRRelativeFrame>(columns, andRows);
}

void ZRConfigurationGrid::releaseCells() {
    ZRGridPrototype::releaseCells();
    m_representedRelativeCellFrame = {};
}

void ZRConfigurationGrid::updateLayout() {
    std::int64_t n = 0;
    std::int64_t m = 0;
    determineColumns(&n, &m, true);

    const double w = width();
    const Rect screen = firstVisibleFrame(m_platform, defaults());
    double h = w;
    if (!screen.isEmpty() && screen.width() > screen.height())
        h = std::max(std::round(w * screen.height() / screen.width()),
                     std::min(w, MinimumRowHeight * double(m)));
    if (std::abs(h - height()) > HeightTolerance)
        resize(width(), int(h));
    else
        update();

    if (m_representedRelativeCellFrame.isEmpty() ||
        (representationCellFrame().isEmpty() && nonRectangularRepresentationCells().isEmpty()))
        return;
    layoutCellsInRect(Rect(0, 0, width(), height()));
    const std::int64_t columns = m_representedRelativeCellFrame.numberOfColumns();
    const std::int64_t rows = m_representedRelativeCellFrame.numberOfRows();
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::int64_t c = 0; c < columns; ++c) {
            const double x = double(c) / double(columns);
            const double y = double(r) / double(rows);
            // The last column and row reach to the edge whatever the division left.
            *m_representedRelativeCellFrame.at(c, r) =
                ZRRelativeFrame(x, y, c + 1 < columns ? 1.0 / double(columns) : 1 - x,
                                r + 1 < rows ? 1.0 / double(rows) : 1 - y);
        }
    }
}

QColor ZRConfigurationGrid::cellColorForColumn(std::int64_t column, std::int64_t row,
                                               bool inWireframe) const {
    const ZRRelativeFrame* cell = m_representedRelativeCellFrame.at(column, row);
    const double share =
        inWireframe || !cell ? WireframeShare : coveredShare(*cell, m_representedRelativeWindowFrame);
    return classCellColorWithIntersection(share);
}

QColor ZRConfigurationGrid::cellColorWithIntersection(double intersection, bool inverted) {
    return inverted
               ? QColor::fromRgbF(1, 1, 1, float(InvertedCellAlpha + InvertedCellAlphaRange * intersection))
               : QColor::fromRgbF(0, 0, 0, float(CellAlpha + CellAlphaRange * intersection));
}

void ZRConfigurationGrid::gridWillSendActionWithSelectionBetweenCoordinates(ZRGridCoordinates first,
                                                                            ZRGridCoordinates second) {
    if (const auto frame = selectionFrame(m_representedRelativeCellFrame, selectionCorners(first, second)))
        m_representedRelativeWindowFrame = *frame;
}
