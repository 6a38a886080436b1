#include "keyboard-control/ZRGridPrototype.h"

#include "actions/ZRPaletteIconMetrics.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/WindowExtensions.h"

#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cmath>

const QString ZRGridPrototype::HexagonGridGapKey = QStringLiteral("Hexagon Grid: Gap");
const QString ZRGridPrototype::HexagonGridInvertHorizontalOffsetKey =
    QStringLiteral("Hexagon Grid: Invert Horizontal Offset");
const QString ZRGridPrototype::PaletteIconsEmphasizeBordersKey =
    QStringLiteral("Palette Icons Emphasize Borders");

namespace {

constexpr double CellGap = 1;
// A cell takes points this close outside its rectangle, so the gaps between cells hit a cell too.
constexpr double HitSlop = 1;
// Circles keep this share of a slot free on each side that has a neighbour.
constexpr double CircleGapFactor = 0.3;
// Slots whose width and height differ by no more than this are squares.
constexpr double SquareSlotTolerance = 0.1;
// Hexagons share half a point with their horizontal neighbours.
constexpr double HexagonOverlap = 0.5;
// Centres at or left of this are not placed yet.
constexpr double UnplacedCentre = 0.1;
constexpr double ThinBand = 0.1;
constexpr double ThinBandWidth = 2;
constexpr double WireframeLineWidth = 4;
// The palette icons' metrics at their default size.
constexpr double DefaultIconRequest = -1;
// The placeholder's frame: its line in parts of the icon size, and its corners.
constexpr double PlaceholderLineFactor = 0.12;
constexpr double EmphasizedMinimumLineWidth = 1.5;
constexpr double MinimumLineWidth = 1.0;
constexpr double PlaceholderCornerRadius = 2;
constexpr double PlaceholderRadiusFactor = 0.1;
constexpr double PlaceholderMaximumRadius = 5;
constexpr double NarrowPlaceholderWidth = 18.5;
// Cells in the light scheme and the dark one.
constexpr double CellWhite = 0.3;
constexpr double CellWhiteRange = 0.7;
constexpr double InvertedCellWhite = 0.9;
constexpr double InvertedCellWhiteRange = 0.6;

// The extended rules: a count grows while cells are at least the limit wide, or shrinks while they are at
// most its size, by the step and within the bounds (the largest count is the settings'). A step below 1
// would never end.
std::int64_t applyExtendedRule(std::int64_t count, double measure, std::int64_t limit, std::int64_t delta,
                               std::int64_t maximum) {
    if (delta < 1 || limit == 0 || count < 1)
        return count;
    const auto cellSize = [&] { return std::floor(measure / double(count)); };
    if (limit < 0) {
        const double most = -double(limit);
        while (cellSize() <= most && count - delta >= ZRGridGeometry::minimumGridDimensionSize())
            count -= delta;
    } else {
        while (cellSize() >= double(limit) && count + delta <= maximum)
            count += delta;
    }
    return count;
}

Rect grown(const Rect& rect, double by) {
    return rect.insetBy(-by, -by);
}

// Half-open like every rectangle test of the program.
bool pointIn(const Rect& rect, const Point& point) {
    return rect.contains(point);
}

// Sizes of the shapes in a row or column: n shapes of the side with gaps of the factor between them.
double slotSize(double length, std::int64_t count) {
    return length / (double(count) + CircleGapFactor * double(count - 1));
}

} // namespace

ZRGridPrototype::ZRGridPrototype(const UserDefaults& defaults, QWidget* parent)
    : QAbstractButton(parent), m_defaults(defaults) {
    setFocusPolicy(Qt::NoFocus);
}

// Subclasses that take something for a drag give it back in their own destructors: the hooks no longer
// reach them here.
ZRGridPrototype::~ZRGridPrototype() {
    updateTrackingAreaForWindow(nullptr);
    releaseCells();
}

void ZRGridPrototype::setPlaceholder(bool placeholder) {
    if (placeholder == m_placeholder)
        return;
    m_placeholder = placeholder;
    setToolTip(placeholder ? tr("Standard Grid") : QString());
}

// --- Counts and cells

void ZRGridPrototype::determineColumns(std::int64_t* columns, std::int64_t* andRows, bool allocateCells) {
    std::int64_t n = 0;
    std::int64_t m = 0;
    const QString columnsKey = numberOfColumnsKey();
    const QString rowsKey = numberOfRowsKey();
    if (!columnsKey.isEmpty() && !rowsKey.isEmpty()) {
        const bool swap = swapNumberOfColumnsAndRows();
        const bool extended = classAllowsExtendedRules();
        std::int64_t columnLimit = 0;
        std::int64_t columnDelta = 0;
        std::int64_t rowLimit = 0;
        std::int64_t rowDelta = 0;
        n = sizeOfGridDimension(swap ? rowsKey : columnsKey, &m_preferredGridDimensionsDictionary,
                                &columnLimit, &columnDelta, nullptr, extended, m_defaults);
        m = sizeOfGridDimension(swap ? columnsKey : rowsKey, &m_preferredGridDimensionsDictionary, &rowLimit,
                                &rowDelta, nullptr, extended, m_defaults);
        const Rect frame = representedSkafableFrame();
        if (extended && !frame.isEmpty() && frame.isFinite()) {
            const std::int64_t maximum = ZRGridGeometry::maximumGridDimensionSize(m_defaults);
            n = applyExtendedRule(n, frame.width(), columnLimit, columnDelta, maximum);
            m = applyExtendedRule(m, frame.height(), rowLimit, rowDelta, maximum);
        }
        if (gridStyle() == ZRGridStylePoints) {
            ++n;
            ++m;
        }
    }
    if (columns)
        *columns = n;
    if (andRows)
        *andRows = m;
    if (allocateCells) {
        setNumberOfColumns(n);
        setNumberOfRows(m);
        allocateCellsWithColumns(n, m);
    }
}

void ZRGridPrototype::allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows) {
    releaseCells();
    m_allocatedNumberOfRows = andRows;
    const ZRGridStyle style = gridStyle();
    if (style == ZRGridStyleRectangles || style == ZRGridStylePoints)
        m_representationCellFrame = ZRGridMatrix<Rect>(columns, andRows);
    if (style != ZRGridStyleRectangles)
        m_nonRectangularRepresentationCells = ZRGridMatrix<PathCell>(columns, andRows);
}

void ZRGridPrototype::releaseCells() {
    m_representationCellFrame = {};
    m_nonRectangularRepresentationCells = {};
    m_pathsLaidOut = false;
}

// --- Layout

void ZRGridPrototype::layoutCellsInRect(const Rect& layoutRect) {
    if (!layoutRect.isFinite())
        return;
    if (!m_nonRectangularRepresentationCells.isEmpty()) {
        const std::int64_t n = m_nonRectangularRepresentationCells.numberOfColumns();
        const std::int64_t m = m_nonRectangularRepresentationCells.numberOfRows();
        if (gridStyle() == ZRGridStyleHexagons)
            layoutHexagons(layoutRect, n, m);
        else
            layoutCircles(layoutRect, n, m);
        m_pathsLaidOut = true;
    }
    if (m_representationCellFrame.isEmpty())
        return;
    const std::int64_t n = m_representationCellFrame.numberOfColumns();
    const std::int64_t m = m_representationCellFrame.numberOfRows();
    if (m_nonRectangularRepresentationCells.isEmpty()) {
        layoutRectangles(layoutRect, n, m);
        return;
    }
    // The points' cells meet without gaps: a selection between two points is the rectangle they span.
    const double w = layoutRect.width() / double(n);
    const double h = layoutRect.height() / double(m);
    for (std::int64_t r = 0; r < m; ++r)
        for (std::int64_t c = 0; c < n; ++c)
            *m_representationCellFrame.at(c, r) =
                Rect(layoutRect.x() + double(c) * w, layoutRect.y() + double(r) * h, w, h);
}

void ZRGridPrototype::layoutRectangles(const Rect& b, std::int64_t n, std::int64_t m) {
    const double columnPitch = (b.width() - CellGap * double(n - 1)) / double(n) + CellGap;
    const double rowPitch = (b.height() - CellGap * double(m - 1)) / double(m) + CellGap;
    const auto columnOrigin = [&](std::int64_t c) { return std::round(b.x() + double(c) * columnPitch); };
    const auto rowOrigin = [&](std::int64_t r) { return std::round(b.y() + double(r) * rowPitch); };
    // The last column and row take up the rounding.
    for (std::int64_t r = 0; r < m; ++r) {
        const double y = rowOrigin(r);
        const double height = r + 1 < m ? rowOrigin(r + 1) - CellGap - y : b.maxY() - y;
        for (std::int64_t c = 0; c < n; ++c) {
            const double x = columnOrigin(c);
            const double width = c + 1 < n ? columnOrigin(c + 1) - CellGap - x : b.maxX() - x;
            *m_representationCellFrame.at(c, r) = Rect(x, y, width, height);
        }
    }
}

void ZRGridPrototype::layoutHexagons(const Rect& b, std::int64_t n, std::int64_t m) {
    const double width = (b.width() - HexagonOverlap) / (double(m - 1) / 2 + double(n)) + HexagonOverlap;
    const double side = (b.height() - HexagonOverlap) / (1.5 * double(m) + 0.5) + HexagonOverlap;
    const bool invertOffset = m_defaults.boolForKey(HexagonGridInvertHorizontalOffsetKey);
    for (std::int64_t r = 0; r < m; ++r) {
        // Each row is shifted by half a hexagon more than the one below: the rows form a parallelogram.
        const double halves = invertOffset ? double(m - r) : double(r + 1);
        const double y0 = b.y() + 1.5 * double(r) * (side - HexagonOverlap);
        for (std::int64_t c = 0; c < n; ++c) {
            const double x0 = b.x() + (halves / 2 + double(c)) * (width - HexagonOverlap);
            QPainterPath path(QPointF(x0, y0));
            path.lineTo(x0 - width / 2, y0 + side / 2);
            path.lineTo(x0 - width / 2, y0 + 1.5 * side);
            path.lineTo(x0, y0 + 2 * side);
            path.lineTo(x0 + width / 2, y0 + 1.5 * side);
            path.lineTo(x0 + width / 2, y0 + side / 2);
            path.closeSubpath();
            *m_nonRectangularRepresentationCells.at(c, r) = PathCell{path, std::nullopt};
        }
    }
}

void ZRGridPrototype::layoutCircles(const Rect& b, std::int64_t n, std::int64_t m) {
    const double slotWidth = slotSize(b.width(), n);
    const double slotHeight = slotSize(b.height(), m);
    double diameter = slotWidth;
    double dx = 0;
    double dy = 0;
    if (std::abs(slotWidth - slotHeight) > SquareSlotTolerance) {
        diameter = std::min(slotWidth, slotHeight);
        dx = (slotWidth - diameter) / 2;
        dy = (slotHeight - diameter) / 2;
    }
    const double pitch = 1 + CircleGapFactor;
    for (std::int64_t r = 0; r < m; ++r) {
        for (std::int64_t c = 0; c < n; ++c) {
            const QRectF square(b.x() + pitch * double(c) * slotWidth + dx,
                                b.y() + pitch * double(r) * slotHeight + dy, diameter, diameter);
            QPainterPath path;
            path.addEllipse(square);
            *m_nonRectangularRepresentationCells.at(c, r) = PathCell{path, square.center()};
        }
    }
}

// --- Hit test and hover

Point ZRGridPrototype::viewPointFromWidgetPoint(const QPointF& point) const {
    return Point(point.x(), double(height()) - point.y());
}

ZRGridCoordinates ZRGridPrototype::coordinatesFromEvent(const ZRGridEvent* event,
                                                        bool expandVerticalDragArea) const {
    if (!event || (m_representationCellFrame.isEmpty() && !m_pathsLaidOut))
        return ZRGridCoordinatesNone;
    Point point = viewPointFromWidgetPoint(mapFromGlobal(event->globalPosition));
    if (m_placeholder)
        return pointIn(Rect(0, 0, width(), height()), point) ? ZRGridCoordinatesMake(0, 0)
                                                             : ZRGridCoordinatesNone;
    if (expandVerticalDragArea && m_numberOfColumns >= 2 && m_numberOfRows == 1)
        point.y = double(height()) / 2;
    if (!m_representationCellFrame.isEmpty()) {
        for (std::int64_t r = 0; r < m_representationCellFrame.numberOfRows(); ++r)
            for (std::int64_t c = 0; c < m_representationCellFrame.numberOfColumns(); ++c)
                if (pointIn(grown(*m_representationCellFrame.at(c, r), HitSlop), point))
                    return ZRGridCoordinatesMake(c, r);
        return ZRGridCoordinatesNone;
    }
    const QPointF qtPoint(point.x, point.y);
    for (std::int64_t r = 0; r < m_nonRectangularRepresentationCells.numberOfRows(); ++r)
        for (std::int64_t c = 0; c < m_nonRectangularRepresentationCells.numberOfColumns(); ++c)
            if (m_nonRectangularRepresentationCells.at(c, r)->path.contains(qtPoint))
                return ZRGridCoordinatesMake(c, r);
    return ZRGridCoordinatesNone;
}

void ZRGridPrototype::updateHoverCoordinatesWithEvent(const ZRGridEvent* event) {
    if (!isEnabled() || isHidden())
        event = nullptr;
    const ZRGridCoordinates hover = coordinatesFromEvent(event, false);
    const bool changed = hover != m_hoverCoordinates;
    m_hoverCoordinates = hover;
    if (ZRGridCoordinatesAreValid(m_draggedToCoordinates))
        m_draggedToCoordinates = ZRGridCoordinatesNone;
    else if (!changed)
        return;
    if (!isFullSizeGrid())
        updateFocusWindow();
    update();
}

void ZRGridPrototype::updateTrackingAreaForWindow(QWidget* window) {
    m_trackingArea = false;
    setMouseTracking(false);
    // Full-size grids hear of the mouse through the window that holds the pointer for them.
    if (!window || ignoresMouseEvents(window) || isFullSizeGrid())
        return;
    m_hoverCoordinates = ZRGridCoordinatesNone;
    m_draggedToCoordinates = ZRGridCoordinatesNone;
    if (!isEnabled() || isHidden())
        return;
    // Only the part that the views around it leave visible follows the mouse.
    QRect visible = rect();
    for (const QWidget* view = this; view->parentWidget() && !view->isWindow(); view = view->parentWidget())
        visible &= view->parentWidget()->rect().translated(-mapTo(view->parentWidget(), QPoint()));
    if (visible.isEmpty())
        return;
    m_trackingArea = true;
    setMouseTracking(true);
}

void ZRGridPrototype::updateTrackingAreas() {
    updateTrackingAreaForWindow(window());
}

void ZRGridPrototype::viewWillMoveToWindow(QWidget* window) {
    updateTrackingAreaForWindow(window);
}

void ZRGridPrototype::mouseEntered(const ZRGridEvent& event) {
    updateHoverCoordinatesWithEvent(&event);
}

void ZRGridPrototype::mouseMoved(const ZRGridEvent& event) {
    updateHoverCoordinatesWithEvent(&event);
}

void ZRGridPrototype::mouseExited() {
    updateHoverCoordinatesWithEvent(nullptr);
}

void ZRGridPrototype::setVisible(bool visible) {
    // Shown, the grid follows the mouse again with the next tracking update, which showing brings.
    if (visible)
        updateTrackingAreaForWindow(nullptr);
    QAbstractButton::setVisible(visible);
    if (!visible)
        updateTrackingAreaForWindow(window());
}

// --- Drag selection

bool ZRGridPrototype::mouseDown(const ZRGridEvent& event) {
    if (!isEnabled() || !m_action || m_trackingMouseDown)
        return false;
    const ZRGridCoordinates cell = coordinatesFromEvent(&event, false);
    if (!ZRGridCoordinatesAreValid(cell)) {
        m_hoverCoordinates = ZRGridCoordinatesNone;
        update();
        return false;
    }
    m_hoverCoordinates = cell;
    m_draggedToCoordinates = cell;
    m_dragging = true;
    m_trackingMouseDown = true;
    updateFocusWindow();
    if (m_placeholder)
        repaint();
    return true;
}

void ZRGridPrototype::mouseDragged(const ZRGridEvent& event) {
    if (!m_trackingMouseDown)
        return;
    const ZRGridCoordinates cell = coordinatesFromEvent(&event, !isFullSizeGrid());
    if (cell == m_draggedToCoordinates)
        return;
    if (m_placeholder)
        m_hoverCoordinates = cell;
    m_draggedToCoordinates = cell;
    updateFocusWindow();
    repaint();
}

void ZRGridPrototype::mouseUp() {
    finishDragSelection(true);
}

void ZRGridPrototype::cancelDragSelection() {
    finishDragSelection(false);
}

bool ZRGridPrototype::selectionContains(ZRGridCoordinates cell, ZRGridCoordinates first,
                                        ZRGridCoordinates second) {
    return cell.column >= std::min(first.column, second.column) &&
           cell.column <= std::max(first.column, second.column) &&
           cell.row >= std::min(first.row, second.row) && cell.row <= std::max(first.row, second.row);
}

std::pair<ZRGridCoordinates, ZRGridCoordinates>
ZRGridPrototype::selectionCorners(ZRGridCoordinates first, ZRGridCoordinates second) const {
    if (gridStyle() != ZRGridStylePoints)
        return {first, second};
    const auto farCorner = [](std::int64_t a, std::int64_t b) {
        const std::int64_t low = std::min(a, b);
        const std::int64_t high = std::max(a, b);
        return high == low ? high : high - 1;
    };
    return {ZRGridCoordinatesMake(std::min(first.column, second.column), std::min(first.row, second.row)),
            ZRGridCoordinatesMake(farCorner(first.column, second.column), farCorner(first.row, second.row))};
}

std::optional<Rect> ZRGridPrototype::selectionFrame(const ZRGridMatrix<Rect>& frames,
                                                    std::pair<ZRGridCoordinates, ZRGridCoordinates> corners) {
    const Rect* first = frames.at(corners.first);
    const Rect* second = frames.at(corners.second);
    if (!first || !second)
        return std::nullopt;
    return first->united(*second);
}

double ZRGridPrototype::coveredShare(const Rect& cell, const Rect& frame) {
    const double area = cell.area();
    return area > 0 ? cell.intersected(frame).area() / area : 0;
}

void ZRGridPrototype::finishDragSelection(bool sendAction) {
    if (!m_trackingMouseDown)
        return;
    m_trackingMouseDown = false;
    const ZRGridCoordinates last = sendAction ? m_draggedToCoordinates : ZRGridCoordinatesNone;
    if (ZRGridCoordinatesAreValid(last) && m_action) {
        // A rectangle between two points needs extent in both directions.
        const bool flat = gridStyle() == ZRGridStylePoints && !m_placeholder &&
                          (last.column == m_hoverCoordinates.column || last.row == m_hoverCoordinates.row);
        if (!flat) {
            if (!m_placeholder)
                gridWillSendActionWithSelectionBetweenCoordinates(m_hoverCoordinates, last);
            // The receiver may hide or replace the grid.
            const QPointer<ZRGridPrototype> self(this);
            const Action action = m_action;
            action(*this);
            if (!self)
                return;
        }
    }
    m_hoverCoordinates = ignoresMouseEvents(window()) ? ZRGridCoordinatesNone : last;
    m_draggedToCoordinates = ZRGridCoordinatesNone;
    m_dragging = false;
    updateFocusWindow();
    update();
    mouseDownDidEnd();
}

// --- Colours

bool ZRGridPrototype::invertColors() {
    return !ZRIsDarkInterfaceStyleSince1014();
}

QColor ZRGridPrototype::cellColorWithIntersection(double intersection, bool inverted) {
    return calibratedWhite(inverted ? InvertedCellWhite - InvertedCellWhiteRange * intersection
                                    : CellWhite + CellWhiteRange * intersection,
                           1.0);
}

QColor ZRGridPrototype::cellHighlightColor(bool inverted) {
    return inverted ? overlaySelectedControlColor() : brighterOverlaySelectedControlColor();
}

QColor ZRGridPrototype::cellColorForColumn(std::int64_t, std::int64_t, bool) const {
    return {};
}

std::int64_t ZRGridPrototype::hexagonGap() const {
    const auto gap = m_defaults.optionalInteger(HexagonGridGapKey);
    // A gap past the largest grid spacing is a broken setting, not a wish for cells hidden under lines.
    return std::clamp<std::int64_t>(gap.value_or(1), 0, maximumSpacing());
}

double ZRGridPrototype::paletteIconInnerSize() const {
    return ZRPaletteIconMetrics(DefaultIconRequest, m_defaults).height;
}

// --- Drawing

void ZRGridPrototype::drawRect(QPainter& painter, const QRectF& dirtyRect) {
    if (m_placeholder) {
        drawPlaceholder(painter, dirtyRect);
        return;
    }
    if (m_representationCellFrame.isEmpty() && !m_pathsLaidOut)
        return;
    const auto flip = [this](QPainter& p) {
        p.translate(0, height());
        p.scale(1, -1);
    };
    const std::int64_t gap = gridStyle() == ZRGridStyleHexagons ? hexagonGap() : 0;
    if (gap <= 0) {
        painter.save();
        flip(painter);
        drawCells(painter);
        painter.restore();
        return;
    }
    // The lines between hexagons are cut out of the cells: drawn clear into a picture of their own, as a
    // clear fill on the widget itself would paint black.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage canvas((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    {
        QPainter layer(&canvas);
        layer.setRenderHint(QPainter::Antialiasing);
        flip(layer);
        drawCells(layer);
        layer.setCompositionMode(QPainter::CompositionMode_Clear);
        const QPen pen(Qt::black, double(gap));
        for (std::int64_t r = 0; r < m_nonRectangularRepresentationCells.numberOfRows(); ++r)
            for (std::int64_t c = 0; c < m_nonRectangularRepresentationCells.numberOfColumns(); ++c)
                layer.strokePath(m_nonRectangularRepresentationCells.at(c, r)->path, pen);
    }
    painter.drawImage(QPointF(0, 0), canvas);
}

void ZRGridPrototype::drawCells(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    const ZRGridCoordinates hover = m_hoverCoordinates;
    const ZRGridCoordinates draggedTo = m_draggedToCoordinates;
    const bool inverted = classInvertColors();
    const ZRGridStyle style = gridStyle();
    const QColor highlight = classCellHighlightColor();
    const ZRGridMatrix<PathCell>& paths = m_nonRectangularRepresentationCells;
    const bool hasPaths = !paths.isEmpty() && m_pathsLaidOut;

    // Style 1 shows the rectangle a drag spans as a band between the two points.
    std::optional<Rect> band;
    if (style == ZRGridStylePoints && hasPaths && ZRGridCoordinatesAreValid(hover) &&
        ZRGridCoordinatesAreValid(draggedTo) && hover != draggedTo) {
        const PathCell* from = paths.at(hover);
        const PathCell* to = paths.at(draggedTo);
        if (from && to && from->center && to->center && from->center->x() > UnplacedCentre &&
            to->center->x() > UnplacedCentre) {
            Rect between(
                std::min(from->center->x(), to->center->x()), std::min(from->center->y(), to->center->y()),
                std::abs(from->center->x() - to->center->x()), std::abs(from->center->y() - to->center->y()));
            if (between.width() < ThinBand)
                between =
                    Rect(between.midX() - ThinBandWidth / 2, between.y(), ThinBandWidth, between.height());
            if (between.height() < ThinBand)
                between =
                    Rect(between.x(), between.midY() - ThinBandWidth / 2, between.width(), ThinBandWidth);
            band = between;
            painter.fillRect(QRectF(between.x(), between.y(), between.width(), between.height()), highlight);
        }
    }

    const std::int64_t rows = hasPaths ? paths.numberOfRows() : m_representationCellFrame.numberOfRows();
    const std::int64_t columns =
        hasPaths ? paths.numberOfColumns() : m_representationCellFrame.numberOfColumns();
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::int64_t c = 0; c < columns; ++c) {
            const ZRGridCoordinates cell = ZRGridCoordinatesMake(c, r);
            const bool selected = m_dragging && ZRGridCoordinatesAreValid(draggedTo) &&
                                  selectionContains(cell, hover, draggedTo);
            const bool hovered = cell == hover;
            const QColor color = selected || (hovered && !m_dragging)
                                     ? highlight
                                     : cellColorForColumn(c, r, style == ZRGridStylePoints);
            if (!hasPaths) {
                const Rect& frame = *m_representationCellFrame.at(cell);
                if (color.isValid())
                    painter.fillRect(QRectF(frame.x(), frame.y(), frame.width(), frame.height()), color);
                continue;
            }
            const QPainterPath& path = paths.at(cell)->path;
            if (style == ZRGridStyleHexagons || (style != ZRGridStylePoints && selected)) {
                if (color.isValid())
                    painter.fillPath(path, color);
                continue;
            }
            // The wireframe look: a ring along the inside of the shape.
            if (band) {
                const Rect* frame = m_representationCellFrame.at(cell);
                if (frame && band->contains(*frame))
                    continue;
            }
            painter.save();
            painter.fillPath(path, inverted ? Qt::white : Qt::black);
            painter.setClipPath(path);
            const QColor ring = selected || hovered ? highlight : cellColorForColumn(c, r, true);
            if (ring.isValid())
                painter.strokePath(path, QPen(ring, WireframeLineWidth));
            painter.restore();
        }
    }
}

void ZRGridPrototype::drawPlaceholder(QPainter& painter, const QRectF& dirtyRect) {
    const bool emphasize = m_defaults.boolForKey(PaletteIconsEmphasizeBordersKey);
    const double lineWidth = std::max(std::round(PlaceholderLineFactor * paletteIconInnerSize()) / 2,
                                      emphasize ? EmphasizedMinimumLineWidth : MinimumLineWidth);
    double radius = PlaceholderCornerRadius;
    if (!emphasize || dirtyRect.width() >= NarrowPlaceholderWidth)
        radius = std::clamp(std::round(PlaceholderRadiusFactor * dirtyRect.height()), PlaceholderCornerRadius,
                            PlaceholderMaximumRadius);
    const bool inverted = classInvertColors();
    const bool active =
        ZRGridCoordinatesAreValid(m_hoverCoordinates) || ZRGridCoordinatesAreValid(m_draggedToCoordinates);
    const QColor color =
        active ? (inverted ? overlaySelectedControlColor() : brighterOverlaySelectedControlColor())
               : (inverted ? lightModeOverlayControlColor() : darkModeOverlayControlColor());
    const double inset = lineWidth / 2;
    ZRDrawRectWithBorder(painter, false, color, QColor(),
                         QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, lineWidth);
}

// --- Qt events

void ZRGridPrototype::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    drawRect(painter, QRectF(event->rect()));
}

void ZRGridPrototype::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    mouseDown(ZRGridEvent{event->globalPosition()});
    event->accept();
}

void ZRGridPrototype::mouseMoveEvent(QMouseEvent* event) {
    if (m_trackingMouseDown)
        mouseDragged(ZRGridEvent{event->globalPosition()});
    else if (m_trackingArea)
        mouseMoved(ZRGridEvent{event->globalPosition()});
    event->accept();
}

void ZRGridPrototype::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_trackingMouseDown)
        mouseUp();
    event->accept();
}

void ZRGridPrototype::enterEvent(QEnterEvent* event) {
    if (m_trackingArea && !m_trackingMouseDown)
        mouseEntered(ZRGridEvent{event->globalPosition()});
}

void ZRGridPrototype::leaveEvent(QEvent*) {
    if (m_trackingArea && !m_trackingMouseDown)
        mouseExited();
}

void ZRGridPrototype::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    updateTrackingAreas();
}

void ZRGridPrototype::showEvent(QShowEvent* event) {
    QAbstractButton::showEvent(event);
    updateTrackingAreas();
}

void ZRGridPrototype::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateTrackingAreas();
}

bool ZRGridPrototype::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        viewWillMoveToWindow(window());
    // A grid hidden in the middle of a drag hears no release: the drag ends there, without the action.
    if (event->type() == QEvent::Hide && m_trackingMouseDown)
        cancelDragSelection();
    return QAbstractButton::event(event);
}
