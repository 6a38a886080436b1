#include "toolkit/BandedFill.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>

namespace {

// Three spans a row (an edge pixel on each side and the run between them), four in a row of a corner, stay
// below the hundred spans at which Qt starts threads.
constexpr int BandRows = 20;

// Device rows [first, last) that a shape covers.
struct Rows {
    double first = 0;
    double last = 0;
    double count() const { return last - first; }
};

// Bands are rows only where the device transform keeps rows rows: scaled and moved, not turned or flipped.
bool keepsRows(const QTransform& device) {
    return device.type() <= QTransform::TxScale && device.m11() > 0 && device.m22() > 0;
}

Rows rowsOf(const QTransform& device, const QRectF& bounds) {
    const QRectF mapped = device.mapRect(bounds);
    return {std::floor(mapped.top()), std::ceil(mapped.bottom())};
}

// Runs the fill once for each band of rows, clipped to it.
template <typename Fill> void fillClippedToBands(QPainter& painter, const QRectF& bounds, const Fill& fill) {
    const QTransform device = painter.deviceTransform();
    const Rows rows = rowsOf(device, bounds);
    if (!keepsRows(device) || !std::isfinite(rows.count()) || !(rows.count() > BandRows)) {
        fill();
        return;
    }
    const QTransform logical = device.inverted();
    const QRectF columns = device.mapRect(bounds);
    const bool clipped = painter.hasClipping();
    for (double row = rows.first; row < rows.last; row += BandRows) {
        const QRectF band =
            logical.mapRect(QRectF(std::floor(columns.left()) - 1, row, std::ceil(columns.width()) + 2,
                                   std::min<double>(BandRows, rows.last - row)));
        if (clipped) {
            painter.save();
            painter.setClipRect(band, Qt::IntersectClip);
            fill();
            painter.restore();
        } else {
            painter.setClipRect(band);
            fill();
        }
    }
    if (!clipped)
        painter.setClipping(false);
}

// The outline of QPainterPath::addRoundedRect: a move to the top of the left side, then for each corner,
// clockwise from the top left, a curve (three elements) and a line along the next side, the last one closing.
constexpr int RoundedRectElementCount = 17;
constexpr int TopLeftCurve = 1, TopSide = 4, TopRightCurve = 5, RightSide = 8, BottomRightCurve = 9,
              BottomSide = 12, BottomLeftCurve = 13, LeftSide = 16;
// From the first element of a corner's curve to the end of the next corner's.
constexpr int CornerToCorner = 7;

bool isRoundedRectOutline(const QPainterPath& path) {
    if (path.elementCount() != RoundedRectElementCount || !path.elementAt(0).isMoveTo())
        return false;
    for (const int curve : {TopLeftCurve, TopRightCurve, BottomRightCurve, BottomLeftCurve}) {
        if (!path.elementAt(curve).isCurveTo() ||
            path.elementAt(curve + 1).type != QPainterPath::CurveToDataElement ||
            path.elementAt(curve + 2).type != QPainterPath::CurveToDataElement)
            return false;
    }
    for (const int side : {TopSide, RightSide, BottomSide, LeftSide})
        if (!path.elementAt(side).isLineTo())
            return false;
    const QPointF start = path.elementAt(0);
    const QPointF topRight = path.elementAt(TopRightCurve + 2);
    const QPointF bottomRight = path.elementAt(RightSide);
    const QPointF bottomLeft = path.elementAt(BottomLeftCurve + 2);
    // Straight, upright sides.
    return QPointF(path.elementAt(LeftSide)) == start && bottomLeft.x() == start.x() &&
           topRight.x() == bottomRight.x() && topRight.y() == start.y() &&
           bottomLeft.y() == bottomRight.y() && start.y() < bottomLeft.y();
}

void appendCurve(QPainterPath& piece, const QPainterPath& outline, int curve) {
    piece.cubicTo(outline.elementAt(curve), outline.elementAt(curve + 1), outline.elementAt(curve + 2));
}

// One end of the outline, the top or the bottom: along a side from the cut to the first corner, round both
// corners and the side between them, back along the other side to the cut, and across.
QPainterPath endOfOutline(const QPainterPath& outline, int firstCurve, double cutY) {
    const QPointF from = outline.elementAt(firstCurve - 1);
    const QPointF to = outline.elementAt(firstCurve + CornerToCorner - 1);
    QPainterPath piece;
    piece.moveTo(from.x(), cutY);
    piece.lineTo(from);
    appendCurve(piece, outline, firstCurve);
    piece.lineTo(outline.elementAt(firstCurve + 3));
    appendCurve(piece, outline, firstCurve + 4);
    piece.lineTo(to.x(), cutY);
    piece.closeSubpath();
    return piece;
}

} // namespace

void ZRFillRectInBands(QPainter& painter, const QRectF& rect, const QColor& color) {
    fillClippedToBands(painter, rect, [&] { painter.fillRect(rect, color); });
}

void ZRFillPathInBands(QPainter& painter, const QPainterPath& path, const QColor& color) {
    const QTransform device = painter.deviceTransform();
    const QRectF bounds = path.controlPointRect();
    const Rows rows = rowsOf(device, bounds);
    if (!keepsRows(device) || !std::isfinite(rows.count()) || !(rows.count() > BandRows)) {
        painter.fillPath(path, color);
        return;
    }
    if (!isRoundedRectOutline(path)) {
        fillClippedToBands(painter, bounds, [&] { painter.fillPath(path, color); });
        return;
    }

    // The rasterizer gives a pixel on an upright side the same coverage whatever length of that side it is
    // given, and a side cut at a row boundary adds nothing to the rows beyond: the corners, each with the
    // sides down to the first whole row, and the sides between them in bands, give the pixels of the whole.
    const QPointF start = path.elementAt(0);
    const QPointF bottomRight = path.elementAt(RightSide);
    const double left = start.x();
    const double right = bottomRight.x();
    const Rows straight{std::ceil(device.map(start).y()), std::floor(device.map(bottomRight).y())};
    if (!(straight.count() > 0)) {
        fillClippedToBands(painter, bounds, [&] { painter.fillPath(path, color); });
        return;
    }
    const QTransform logical = device.inverted();
    const auto yOfRow = [&](double row) { return logical.map(QPointF(0, row)).y(); };
    const double straightTop = yOfRow(straight.first);
    const double straightBottom = yOfRow(straight.last);

    // Each piece keeps the outline's direction: down the right side, up the left one.
    painter.fillPath(endOfOutline(path, TopLeftCurve, straightTop), color);
    for (double row = straight.first; row < straight.last; row += BandRows) {
        const double bandTop = yOfRow(row);
        const double bandBottom = yOfRow(std::min<double>(row + BandRows, straight.last));
        QPainterPath band;
        band.moveTo(right, bandTop);
        band.lineTo(right, bandBottom);
        band.lineTo(left, bandBottom);
        band.lineTo(left, bandTop);
        band.closeSubpath();
        painter.fillPath(band, color);
    }

    painter.fillPath(endOfOutline(path, BottomRightCurve, straightBottom), color);
}
