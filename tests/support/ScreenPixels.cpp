#include "ScreenPixels.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

QImage screenPixels(const QRect& rect) {
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // Window 0 is the whole display; the rectangle is relative to the screen.
    const QRect local = rect.translated(-screen->geometry().topLeft());
    return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
}

QColor screenPixel(QPoint point) {
    const QImage pixels = screenPixels(QRect(point, QSize(1, 1)));
    return pixels.isNull() ? QColor() : pixels.pixelColor(0, 0);
}

QString saveScreenshot(const QImage& picture, const QString& name) {
    const QString folder = QStringLiteral(SKAF_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    picture.save(path);
    return path;
}
