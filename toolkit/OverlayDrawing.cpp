#include "toolkit/OverlayDrawing.h"

#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QBitmap>
#include <QPainter>
#include <QWidget>
#include <QWindow>

bool overlayTranslucencyShows() {
    return !Platform::hasCurrent() || Platform::current().screens().compositingActive();
}

OpaqueOverlayPicture opaqueOverlayPicture(const QImage& picture) {
    // The colour of a translucent pixel without its translucency: unpremultiplied, then alpha dropped.
    QImage opaque = picture.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
    opaque.setDevicePixelRatio(picture.devicePixelRatio());
    const QImage mask = picture.createAlphaMask(Qt::ThresholdAlphaDither);
    QRegion shape(QBitmap::fromImage(mask));
    const double ratio = picture.devicePixelRatio();
    if (ratio != 1.0) {
        QTransform scale;
        scale.scale(1 / ratio, 1 / ratio);
        shape = scale.map(shape);
    }
    return {opaque, shape};
}

void paintOverlayPicture(QPainter& painter, QWidget* window, const QImage& picture) {
    if (overlayTranslucencyShows()) {
        painter.drawImage(QPointF(), picture);
        return;
    }
    OpaqueOverlayPicture opaque = opaqueOverlayPicture(picture);
    // An empty mask means no mask, the whole window: a shape beside the window shows nothing instead.
    setOverlayShape(window, opaque.shape.isEmpty() ? QRegion(-1, -1, 1, 1) : opaque.shape);
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setClipRegion(opaque.shape);
    painter.drawImage(QPointF(), opaque.image);
    painter.restore();
}

void setOverlayShape(QWidget* window, const QRegion& shape) {
    if (window->mask() != shape)
        window->setMask(shape);
    QWindow* handle = window->windowHandle();
    if (handle && handle->mask() != shape)
        handle->setMask(shape);
}

QImage overlayCanvas(const QWidget* widget) {
    const double ratio = widget->devicePixelRatioF();
    QImage canvas((QSizeF(widget->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    return canvas;
}
