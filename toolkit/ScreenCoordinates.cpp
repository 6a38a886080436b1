#include "toolkit/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
QRectF primaryScreenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QRectF(screen->geometry()) : QRectF();
}
} // namespace

QRectF qtRectFromCocoaRect(const Rect& rect) {
    const QRectF primary = primaryScreenGeometry();
    return {primary.left() + rect.x(), primary.top() + primary.height() - rect.y() - rect.height(),
            rect.width(), rect.height()};
}

Rect cocoaRectFromQtRect(const QRectF& rect) {
    const QRectF primary = primaryScreenGeometry();
    return {rect.x() - primary.left(), primary.top() + primary.height() - rect.y() - rect.height(),
            rect.width(), rect.height()};
}

QPointF qtPointFromCocoaPoint(Point point) {
    const QRectF primary = primaryScreenGeometry();
    return {primary.left() + point.x, primary.top() + primary.height() - point.y};
}

Point cocoaPointFromQtPoint(const QPointF& point) {
    const QRectF primary = primaryScreenGeometry();
    return {point.x() - primary.left(), primary.top() + primary.height() - point.y()};
}
