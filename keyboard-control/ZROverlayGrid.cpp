#include "keyboard-control/ZROverlayGrid.h"

#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZROverlayColorScheme.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"
#include "window-access/Coordinates.h"

#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

const QString ZROverlayGrid::HoverHighlightDurationKey =
    QStringLiteral("Mouse Controls Grid: Hover Highlight Duration");
const QString ZROverlayGrid::SwapDimensionsOnPortraitDisplaysKey =
    QStringLiteral("Mouse Controls Grid: Swap Dimensions On Portrait Orientation Displays");
const QString ZROverlayGrid::HoverTriggerDelayKey =
    QStringLiteral("Mouse Controls Grid: Full Size: Hover Trigger Delay");
const QString ZROverlayGrid::StartingPositionKey =
    QStringLiteral("Keyboard Controls Grid: Starting Position");

namespace {

enum StartingPosition : std::int64_t { StartAtTopLeft = 0, StartWithWindow = 1, StartAtMouse = 2 };

constexpr double WireframeShare = 0.2;
constexpr double CellWhite = 0.4;
constexpr double CellWhiteRange = 0.6;
constexpr double InvertedCellWhite = 0.75;
constexpr double InvertedCellWhiteRange = 0.45;
// The view's height adds this to the cells' own for the palette's margin.
constexpr double HeightMargin = 4;
// Hexagon rows are 1.5 sides apart with half a side above the last, and a side is 0.6 of a width.
constexpr double HexagonHeightFactor = 0.6;
constexpr double CircleGapFactor = 0.3;
// Rectangles keep this inset from the view's edges, inside a frame this wide.
constexpr double RectangleInset = 3;
constexpr double FrameWidth = 2;
// Style 1 shows a point, or a selection of no width or height, as a band this wide.
constexpr double PointOutlineSide = 30;
constexpr double HalfGapThreshold = 0.1;
constexpr double ShortestHighlight = 0.1;
// Delays at or below this never trigger; below the other, at once.
constexpr double NeverTriggerDelay = -0.1;
constexpr double ImmediateTriggerDelay = 0.1;

// A count with the gaps between its shapes, in shapes; counts below 2 have no gaps.
double withGaps(double count) {
    return count >= 2 ? count + CircleGapFactor * (count - 1) : count;
}

double distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

Point centre(const Rect& rect) {
    return Point(rect.midX(), rect.midY());
}

} // namespace

ZROverlayGrid::ZROverlayGrid(const ZRKeyboardControlContext& context, QWidget* parent)
    : ZRGridPrototype(context.defaults, parent), m_context(context) {}

ZROverlayGrid* ZROverlayGrid::paletteGrid(const ZRKeyboardControlContext& context, QWidget* parent,
                                          std::function<void(ZROverlayGridInterface&)> action) {
    auto* grid = new ZROverlayGrid(context, parent);
    if (action)
        grid->setAction([action = std::move(action)](ZRGridPrototype& sender) {
            action(static_cast<ZROverlayGrid&>(sender));
        });
    return grid;
}

ZROverlayGrid::~ZROverlayGrid() {
    releaseFocusWindow();
}

bool ZROverlayGrid::swapNumberOfColumnsAndRows() const {
    const Rect frame = m_representedSkafableFrame;
    return m_context.defaults.boolForKey(SwapDimensionsOnPortraitDisplaysKey) && !frame.isEmpty() &&
           frame.height() > frame.width();
}

void ZROverlayGrid::allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows) {
    ZRGridPrototype::allocateCellsWithColumns(columns, andRows);
    m_representedCellFrame = ZRGridMatrix<Rect>(columns, andRows);
}

void ZROverlayGrid::releaseCells() {
    ZRGridPrototype::releaseCells();
    m_representedCellFrame = {};
}

// --- Size and layout

double ZROverlayGrid::heightCalculatedFromWidthOfFrame(const Rect& frame) const {
    const double w = frame.width();
    const double n = double(numberOfColumns());
    const double m = double(numberOfRows());
    // Without cells there is no shape to follow.
    if (n < 1 || m < 1)
        return w;
    switch (gridStyle()) {
    case ZRGridStyleRectangles: {
        const Rect screen = m_representedSkafableFrame;
        return screen.isEmpty() ? w : std::round(w * screen.height() / screen.width());
    }
    case ZRGridStyleHexagons: {
        const double columns = m >= 2 ? n + (m - 1) / 2 : n;
        const double factor = HexagonHeightFactor * (1.5 * m + 0.5);
        const std::int64_t gap = hexagonGap();
        if (gap > 0)
            return std::round(factor * (w + double(gap)) / columns + HeightMargin - double(gap));
        return std::round(factor * w / columns + HeightMargin);
    }
    default:
        return std::round(w * withGaps(m) / withGaps(n) + HeightMargin);
    }
}

Rect ZROverlayGrid::adjustFrame(const Rect& frame) const {
    const double height = placeholder() ? paletteIconInnerSize() : heightCalculatedFromWidthOfFrame(frame);
    return Rect(frame.x(), frame.y(), frame.width(), height);
}

void ZROverlayGrid::updateLayoutAfterAdjustingFrame(Rect* frame) {
    std::int64_t n = 0;
    std::int64_t m = 0;
    determineColumns(&n, &m, true);
    if (frame) {
        const QRect current = geometry();
        const Rect adjusted = adjustFrame(Rect(current.x(), current.y(), current.width(), current.height()));
        if (adjusted != Rect(current.x(), current.y(), current.width(), current.height()))
            setGeometry(int(adjusted.x()), int(adjusted.y()), int(adjusted.width()), int(adjusted.height()));
        *frame = adjusted;
    }
    if (m_representedCellFrame.isEmpty() ||
        (representationCellFrame().isEmpty() && nonRectangularRepresentationCells().isEmpty())) {
        update();
        return;
    }

    // The cells on the screen, over the grid's inner frame with the grid gap between them.
    bool appliesToEdges = false;
    bool odd = false;
    const double gap = spacingAppliedToEdges(&appliesToEdges, &odd, m_context.defaults);
    const Rect inner = ZRGridInnerFrame(gap, m_representedSkafableFrame, appliesToEdges, odd);
    const ZRGridStyle style = gridStyle();
    const std::int64_t points = style == ZRGridStylePoints ? 1 : 0;
    const std::int64_t columns = m_representedCellFrame.numberOfColumns();
    const std::int64_t rows = m_representedCellFrame.numberOfRows();
    if (columns - points >= 1 && rows - points >= 1) {
        const double cellWidth = inner.width() / double(columns - points);
        const double cellHeight = inner.height() / double(rows - points);
        const double half = gap / 2 > HalfGapThreshold ? gap / 2 : 0;
        const auto x = [&](std::int64_t c) {
            return std::round(inner.x() + double(c) * cellWidth) + (c > 0 ? half : 0);
        };
        const auto y = [&](std::int64_t r) {
            return std::round(inner.y() + double(r) * cellHeight) + (r > 0 ? half : 0);
        };
        for (std::int64_t r = 0; r < rows; ++r) {
            const double height = r >= rows - 1 - points ? inner.maxY() - y(r) : y(r + 1) - gap - y(r);
            for (std::int64_t c = 0; c < columns; ++c) {
                const double width = c >= columns - 1 - points ? inner.maxX() - x(c) : x(c + 1) - gap - x(c);
                Rect cell(x(c), y(r), std::max(0.0, width), std::max(0.0, height));
                // The odd point of an odd gap goes below each cell.
                if (odd)
                    cell = Rect(cell.x(), cell.y() + 1, std::max(0.0, cell.width() - 1),
                                std::max(0.0, cell.height() - 1));
                *m_representedCellFrame.at(c, r) = cell;
            }
        }
    }

    // The cells in the view; the palette's own grid leaves room at the top.
    const bool palettesOwn = typeid(*this) == typeid(ZROverlayGrid);
    const double w = width();
    const double h = height();
    Rect layout(0, 0, w, h);
    if (placeholder()) {
        layout = Rect(0, 0, w, h - HeightMargin);
    } else if (style == ZRGridStyleRectangles) {
        layout = layout.insetBy(RectangleInset, RectangleInset);
    } else {
        if (style == ZRGridStyleHexagons && hexagonGap() > 0)
            layout = layout.insetBy(-double(hexagonGap()) / 2, -double(hexagonGap()) / 2);
        if (palettesOwn)
            layout = Rect(layout.x(), layout.y(), layout.width(), layout.height() - HeightMargin);
    }
    layoutCellsInRect(layout);
    update();
}

Rect ZROverlayGrid::updateLayoutAfterAdjustingFrame(const Rect& frame) {
    setGeometry(int(frame.x()), int(frame.y()), int(frame.width()), int(frame.height()));
    Rect adjusted;
    updateLayoutAfterAdjustingFrame(&adjusted);
    return adjusted;
}

ZRGridCoordinates ZROverlayGrid::startingCoordinates() const {
    const std::int64_t rows =
        m_representedCellFrame.isEmpty() ? numberOfRows() : m_representedCellFrame.numberOfRows();
    const ZRGridCoordinates topLeft = ZRGridCoordinatesMake(0, rows - 1);
    if (m_representedCellFrame.isEmpty())
        return topLeft;
    const std::int64_t columns = m_representedCellFrame.numberOfColumns();
    switch (m_context.defaults.integerForKey(StartingPositionKey)) {
    case StartAtMouse: {
        const Point mouse = ZRFlipPoint(m_context.platform.inputState().pointerLocation());
        ZRGridCoordinates nearest = topLeft;
        double best = std::numeric_limits<double>::infinity();
        for (std::int64_t c = 0; c < columns; ++c) {
            for (std::int64_t r = rows - 1; r >= 0; --r) {
                const double d = distance(centre(*m_representedCellFrame.at(c, r)), mouse);
                if (d < best) {
                    best = d;
                    nearest = ZRGridCoordinatesMake(c, r);
                }
            }
        }
        return nearest;
    }
    case StartWithWindow:
        if (m_representedWindowFrame.isEmpty())
            return topLeft;
        for (std::int64_t c = 0; c < columns; ++c)
            for (std::int64_t r = rows - 1; r >= 0; --r)
                if (m_representedCellFrame.at(c, r)->intersects(m_representedWindowFrame))
                    return ZRGridCoordinatesMake(c, r);
        return topLeft;
    default:
        return topLeft;
    }
}

double ZROverlayGrid::hoverHighlightDuration() const {
    return m_context.defaults.doubleForKey(HoverHighlightDurationKey);
}

// --- Colours

QString ZROverlayGrid::colorInversionKey() {
    return ZROverlayColorScheme::colorInversionKey();
}

std::int64_t ZROverlayGrid::defaultColorScheme() {
    return ZROverlayColorScheme::defaultColorScheme();
}

std::int64_t ZROverlayGrid::colorScheme(const UserDefaults& defaults) {
    return ZROverlayColorScheme::colorScheme(defaults);
}

bool ZROverlayGrid::invertColors(const UserDefaults& defaults) {
    return ZROverlayColorScheme::invertColors(defaults);
}

QColor ZROverlayGrid::cellColorWithIntersection(double intersection, bool inverted) {
    return calibratedWhite(inverted ? InvertedCellWhite - InvertedCellWhiteRange * intersection
                                    : CellWhite + CellWhiteRange * intersection,
                           1.0);
}

QColor ZROverlayGrid::cellColorForColumn(std::int64_t column, std::int64_t row, bool inWireframe) const {
    const Rect* cell = m_representedCellFrame.at(column, row);
    const double share =
        inWireframe || !cell ? WireframeShare : coveredShare(*cell, m_representedWindowFrame);
    return classCellColorWithIntersection(share);
}

// --- Selection and preview

void ZROverlayGrid::gridWillSendActionWithSelectionBetweenCoordinates(ZRGridCoordinates first,
                                                                      ZRGridCoordinates second) {
    if (const auto frame = selectionFrame(m_representedCellFrame, selectionCorners(first, second)))
        m_representedWindowFrame = *frame;
}

void ZROverlayGrid::updateFocusWindow() {
    if (m_representedCellFrame.isEmpty())
        return;
    ZRFocusWindow& focus = focusWindow();
    Rect outline;
    double duration = -1;
    const ZRGridCoordinates hover = hoverCoordinates();
    const ZRGridCoordinates draggedTo = draggedToCoordinates();
    const bool points = gridStyle() == ZRGridStylePoints;
    if (!placeholder() && ZRGridCoordinatesAreValid(hover)) {
        if (dragging() && ZRGridCoordinatesAreValid(draggedTo)) {
            outline =
                selectionFrame(m_representedCellFrame, selectionCorners(hover, draggedTo)).value_or(Rect());
            if (points && hover.column == draggedTo.column)
                outline =
                    Rect(outline.x() - PointOutlineSide / 2, outline.y(), PointOutlineSide, outline.height());
            if (points && hover.row == draggedTo.row)
                outline =
                    Rect(outline.x(), outline.y() - PointOutlineSide / 2, outline.width(), PointOutlineSide);
        } else if (const Rect* cell = m_representedCellFrame.at(hover)) {
            outline = points ? Rect(cell->x() - PointOutlineSide / 2, cell->y() - PointOutlineSide / 2,
                                    PointOutlineSide, PointOutlineSide)
                             : *cell;
            duration = hoverHighlightDuration();
        }
    }
    focus.setOutlineFrame(outline);
    if (duration > ShortestHighlight && !focus.isActive() && !isFullSizeGrid()) {
        if (requiresVisibleFocusWindow())
            focus.setDisplayRegardless(true);
        focus.setApertureFrame(Rect());
        focus.activateTemporarily(duration);
    }
}

bool ZROverlayGrid::mouseDown(const ZRGridEvent& event) {
    if (!isEnabled() || placeholder() || m_focusWindowActivated)
        return ZRGridPrototype::mouseDown(event);
    ZRFocusWindow& focus = focusWindow();
    focus.setDisplayRegardless(requiresVisibleFocusWindow());
    focus.setApertureFrame(m_representedWindowFrame);
    focus.setActive(true);
    m_focusWindowActivated = true;
    if (ZRGridPrototype::mouseDown(event))
        return true;
    releaseFocusWindow();
    return false;
}

void ZROverlayGrid::mouseDownDidEnd() {
    releaseFocusWindow();
}

ZRFocusWindow& ZROverlayGrid::focusWindow() const {
    return m_context.focusWindow();
}

void ZROverlayGrid::releaseFocusWindow() {
    if (!std::exchange(m_focusWindowActivated, false))
        return;
    focusWindow().setActive(false);
}

void ZROverlayGrid::updateHoverCoordinatesWithEvent(const ZRGridEvent* event) {
    ZRGridPrototype::updateHoverCoordinatesWithEvent(event);
    if (!placeholder())
        return;
    m_hoverAction.cancel();
    if (!isEnabled() || !window()->isVisible() || !ZRGridCoordinatesAreValid(hoverCoordinates()))
        return;
    const double delay = m_context.defaults.doubleForKey(HoverTriggerDelayKey);
    if (!(delay > NeverTriggerDelay))
        return;
    if (delay < ImmediateTriggerDelay) {
        performHoverAction();
        return;
    }
    m_hoverAction = m_context.mainRunLoop.performLater(delay, [this] { performHoverAction(); });
}

void ZROverlayGrid::performHoverAction() {
    if (!placeholder() || !isEnabled() || !window()->isVisible() ||
        !ZRGridCoordinatesAreValid(hoverCoordinates()) || !action())
        return;
    setDraggedToCoordinates(hoverCoordinates());
    repaint();
    const QPointer<ZROverlayGrid> self(this);
    const Action run = action();
    run(*this);
    if (!self)
        return;
    setHoverCoordinates(ZRGridCoordinatesNone);
    setDraggedToCoordinates(ZRGridCoordinatesNone);
}

// --- Drawing

void ZROverlayGrid::drawRect(QPainter& painter, const QRectF& dirtyRect) {
    if (gridStyle() == ZRGridStyleRectangles && !placeholder()) {
        const QColor color =
            classInvertColors() ? lightModeOverlayControlColor() : darkModeOverlayControlColor();
        const double w = width();
        const double h = height();
        painter.fillRect(QRectF(0, 0, FrameWidth, h), color);
        painter.fillRect(QRectF(w - FrameWidth, 0, FrameWidth, h), color);
        painter.fillRect(QRectF(FrameWidth, h - FrameWidth, w - 2 * FrameWidth, FrameWidth), color);
        painter.fillRect(QRectF(FrameWidth, 0, w - 2 * FrameWidth, FrameWidth), color);
    }
    ZRGridPrototype::drawRect(painter, dirtyRect);
}
