#include "toolkit/ScreenCoordinates.h"

#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

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

std::vector<QtScreenFrames> currentScreenFrames() {
    std::vector<QtScreenFrames> screens;
    if (Platform::hasCurrent()) {
        for (const ScreenInfo& screen : Platform::current().screens().screens())
            screens.push_back({qtRectFromCocoaRect(screen.frame), qtRectFromCocoaRect(screen.visibleFrame)});
        return screens;
    }
    QList<QScreen*> qtScreens = QGuiApplication::screens();
    // Qt lists the primary screen first already on most platforms; make sure of it.
    std::stable_partition(qtScreens.begin(), qtScreens.end(),
                          [](const QScreen* screen) { return screen == QGuiApplication::primaryScreen(); });
    for (const QScreen* screen : qtScreens)
        screens.push_back({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
    return screens;
}
