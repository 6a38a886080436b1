#include "toolkit/Drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

constexpr double PlainRectRadius = 0.1;
constexpr double DashLengthInLineWidths = 3;
constexpr double CurvedCornerFactor = 1.14;
// Where the control points of a curved corner sit, as a fraction of its reach; a circular arc would use
// 0.4477, the smaller value lets the curve leave the edge more gently.
constexpr double CurvedCornerControl = 0.3;

// The arrow in a unit square centred on the origin: shaft and head, and the line width.
constexpr double ArrowHalfLength = 0.4;
constexpr double ArrowHeadLength = 0.35;
constexpr double ArrowHeadHalfWidth = 0.35;
constexpr double ArrowLineWidth = 0.14;

} // namespace

QPainterPath ZRRectPathWithCornerRadius(const QRectF& rect, double cornerRadius) {
    QPainterPath path;
    if (cornerRadius < PlainRectRadius) {
        path.addRect(rect);
    } else {
        const double radius = std::min(cornerRadius, std::min(rect.width(), rect.height()) / 2);
        path.addRoundedRect(rect, radius, radius);
    }
    return path;
}

void ZRDrawRectWithBorder(QPainter& painter, bool dashed, const QColor& strokeColor, const QColor& fillColor,
                          const QRectF& rect, double cornerRadius, double lineWidth) {
    const QPainterPath path = ZRRectPathWithCornerRadius(rect, cornerRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (fillColor.isValid())
        painter.fillPath(path, fillColor);
    if (strokeColor.isValid() && lineWidth > 0) {
        QPen pen(strokeColor, lineWidth);
        if (dashed)
            pen.setDashPattern({DashLengthInLineWidths, DashLengthInLineWidths});
        painter.strokePath(path, pen);
    }
    painter.restore();
}

void ZRDrawArrowGlyph(QPainter& painter, const QColor& color, double angleDegrees, const QRectF& rect,
                      bool rounded) {
    const double side = std::min(rect.width(), rect.height());
    if (!(side > 0))
        return;
    QPainterPath arrow;
    arrow.moveTo(-ArrowHalfLength * side, 0);
    arrow.lineTo(ArrowHalfLength * side, 0);
    arrow.moveTo((ArrowHalfLength - ArrowHeadLength) * side, -ArrowHeadHalfWidth * side);
    arrow.lineTo(ArrowHalfLength * side, 0);
    arrow.lineTo((ArrowHalfLength - ArrowHeadLength) * side, ArrowHeadHalfWidth * side);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center());
    painter.rotate(angleDegrees);
    QPen pen(color, ArrowLineWidth * side);
    pen.setCapStyle(rounded ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(rounded ? Qt::RoundJoin : Qt::MiterJoin);
    painter.strokePath(arrow, pen);
    painter.restore();
}

void ZRDrawAttributedStringInRect(QPainter& painter, const QString& text, const ZRTextAttributes& attributes,
                                  const QRectF& rect) {
    const QFontMetricsF metrics(attributes.font);
    const QSizeF size = metrics.size(0, text);
    const double width = std::min(size.width(), rect.width());
    const double height = std::min(size.height(), rect.height());
    const QRectF textRect(rect.x() + std::round((rect.width() - width) / 2),
                          rect.y() + std::round((rect.height() - height) / 2), width, height);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setFont(attributes.font);
    painter.setPen(attributes.color);
    painter.drawText(
        textRect, static_cast<int>((attributes.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop), text);
    painter.restore();
}

double curvedRectCornerRadiusFactor() {
    return CurvedCornerFactor;
}

QPainterPath bezierPathWithCurvedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    const QRectF r = rect.normalized();
    const double reach = std::min(radius * CurvedCornerFactor, std::min(r.width(), r.height()) / 2);
    if (!(reach > 0)) {
        path.addRect(r);
        return path;
    }
    const double control = reach * CurvedCornerControl;
    const double left = r.left();
    const double right = r.right();
    const double top = r.top();
    const double bottom = r.bottom();
    path.moveTo(left + reach, top);
    path.lineTo(right - reach, top);
    path.cubicTo(right - control, top, right, top + control, right, top + reach);
    path.lineTo(right, bottom - reach);
    path.cubicTo(right, bottom - control, right - control, bottom, right - reach, bottom);
    path.lineTo(left + reach, bottom);
    path.cubicTo(left + control, bottom, left, bottom - control, left, bottom - reach);
    path.lineTo(left, top + reach);
    path.cubicTo(left, top + control, left + control, top, left + reach, top);
    path.closeSubpath();
    return path;
}
