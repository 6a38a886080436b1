#include "toolkit/ScreenCoordinates.h"

#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {
// The platform's primary screen, which Qt may not take for its own: without a primary monitor, Qt's is
// the first one listed, the platform's the one at the desktop's origin. Qt names screens as the
// platform does.
QRectF primaryScreenGeometry() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() > 1 && Platform::hasCurrent()) {
        const std::vector<ScreenInfo> platformScreens = Platform::current().screens().screens();
        if (!platformScreens.empty()) {
            for (const QScreen* screen : screens)
                if (screen->name() == platformScreens.front().name)
                    return QRectF(screen->geometry());
        }
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QRectF(screen->geometry()) : QRectF();
}

QRectF qtRectFromCocoaRect(const Rect& rect, const QRectF& primary) {
    return {primary.left() + rect.x(), primary.top() + primary.height() - rect.y() - rect.height(),
            rect.width(), rect.height()};
}
} // namespace

QRectF qtRectFromCocoaRect(const Rect& rect) {
    return qtRectFromCocoaRect(rect, primaryScreenGeometry());
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

Rect quartzRectFromQtRect(const QRectF& rect) {
    const QRectF primary = primaryScreenGeometry();
    return {rect.x() - primary.left(), rect.y() - primary.top(), rect.width(), rect.height()};
}

std::vector<QtScreenFrames> currentScreenFrames() {
    std::vector<QtScreenFrames> screens;
    if (Platform::hasCurrent()) {
        const QRectF primary = primaryScreenGeometry();
        for (const ScreenInfo& screen : Platform::current().screens().screens())
            screens.push_back({qtRectFromCocoaRect(screen.frame, primary),
                               qtRectFromCocoaRect(screen.visibleFrame, primary)});
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
