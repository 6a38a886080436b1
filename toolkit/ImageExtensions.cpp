#include "toolkit/ImageExtensions.h"

#include "resources/Resources.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// Images are drawn at twice their size in points, sharp on high-density screens.
constexpr double ImageScale = 2;
constexpr double RevertImageSize = 16;
constexpr int LogoPixelSize = 512;

// The logo in a square of 100 units: the rounded square, and the arrow heads at the edges.
constexpr double LogoUnits = 100;
constexpr double LogoSquareInset = 29;
constexpr double LogoSquareRadius = 10;
constexpr double ArrowHeadTipInset = 2;
constexpr double ArrowHeadLength = 14;
constexpr double ArrowHeadHalfBase = 13;

// The revert arrow: three quarters of a circle, open at the top, with its head at one open end.
constexpr double RevertRadius = 5.2;
constexpr double RevertLineWidth = 2;
constexpr double RevertStartAngle = 60;
constexpr double RevertSpanAngle = 270;
constexpr double RevertHeadSize = 3.4;

QImage transparentImage(QSizeF points) {
    QImage image((points * ImageScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ImageScale);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

void drawInRect(QPainter& painter, const QImage& templateImage, const QRectF& rect, const QColor& color,
                double fraction) {
    if (templateImage.isNull() || rect.isEmpty())
        return;
    const double scale = std::max(1.0, painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
    QImage tinted((rect.size() * scale).toSize().expandedTo(QSize(1, 1)),
                  QImage::Format_ARGB32_Premultiplied);
    tinted.fill(Qt::transparent);
    {
        QPainter imagePainter(&tinted);
        imagePainter.setRenderHint(QPainter::SmoothPixmapTransform);
        imagePainter.drawImage(QRectF(QPointF(0, 0), QSizeF(tinted.size())), templateImage);
        imagePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        imagePainter.fillRect(tinted.rect(), color);
    }
    tinted.setDevicePixelRatio(scale);
    painter.save();
    painter.setOpacity(painter.opacity() * std::clamp(fraction, 0.0, 1.0));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, tinted);
    painter.restore();
}

QImage tintedImage(const QImage& templateImage, const QColor& color) {
    if (templateImage.isNull())
        return {};
    QImage image(templateImage.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(templateImage.devicePixelRatio());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawInRect(painter, templateImage, QRectF(QPointF(0, 0), templateImage.deviceIndependentSize()), color,
               1.0);
    return image;
}

QImage grayScaleImage(const QImage& image) {
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = qGray(line[x]);
            line[x] = qRgba(level, level, level, qAlpha(line[x]));
        }
    }
    return grey;
}

QImage revertImage() {
    static const QImage image = [] {
        QImage result = transparentImage(QSizeF(RevertImageSize, RevertImageSize));
        QPainter painter(&result);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(RevertImageSize / 2, RevertImageSize / 2 + 0.5);
        const QRectF circle(centre.x() - RevertRadius, centre.y() - RevertRadius, 2 * RevertRadius,
                            2 * RevertRadius);
        QPainterPath arc;
        arc.arcMoveTo(circle, RevertStartAngle);
        arc.arcTo(circle, RevertStartAngle, RevertSpanAngle);
        QPen pen(Qt::black, RevertLineWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.strokePath(arc, pen);
        // The head at the start of the arc, pointing along it (counter-clockwise).
        const double radians = qDegreesToRadians(RevertStartAngle);
        const QPointF tip(centre.x() + RevertRadius * std::cos(radians),
                          centre.y() - RevertRadius * std::sin(radians));
        const QPointF along(-std::sin(radians), -std::cos(radians));
        const QPointF across(std::cos(radians), -std::sin(radians));
        QPainterPath head;
        head.moveTo(tip + along * RevertHeadSize);
        head.lineTo(tip + across * RevertHeadSize);
        head.lineTo(tip - across * RevertHeadSize);
        head.closeSubpath();
        painter.fillPath(head, Qt::black);
        painter.end();
        // Drawn turning clockwise; the revert arrow turns back, anticlockwise.
        return result.mirrored(true, false);
    }();
    return image;
}

void ZRDrawStatusItemLogo(QPainter& painter, const QRectF& rect, const QColor& color) {
    const double side = std::min(rect.width(), rect.height());
    if (!(side > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / LogoUnits, side / LogoUnits);
    QPainterPath logo;
    logo.addRoundedRect(QRectF(LogoSquareInset, LogoSquareInset, LogoUnits - 2 * LogoSquareInset,
                               LogoUnits - 2 * LogoSquareInset),
                        LogoSquareRadius, LogoSquareRadius);
    // One arrow head pointing up at the top edge, turned for the other three.
    for (int quarter = 0; quarter < 4; ++quarter) {
        QTransform turn;
        turn.translate(LogoUnits / 2, LogoUnits / 2);
        turn.rotate(90.0 * quarter);
        turn.translate(-LogoUnits / 2, -LogoUnits / 2);
        QPolygonF head;
        head << QPointF(LogoUnits / 2, ArrowHeadTipInset)
             << QPointF(LogoUnits / 2 + ArrowHeadHalfBase, ArrowHeadTipInset + ArrowHeadLength)
             << QPointF(LogoUnits / 2 - ArrowHeadHalfBase, ArrowHeadTipInset + ArrowHeadLength);
        logo.addPolygon(turn.map(head));
        logo.closeSubpath();
    }
    painter.fillPath(logo, color);
    painter.restore();
}

QImage ZRImageNamed(const QString& name) {
    if (name != QStringView(ZRStatusItemImageName)) {
        const QString path = resourceImagePath(name);
        return path.isEmpty() ? QImage() : QImage(path);
    }
    static const QImage logo = [] {
        QImage image(LogoPixelSize, LogoPixelSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        ZRDrawStatusItemLogo(painter, QRectF(image.rect()), Qt::black);
        return image;
    }();
    return logo;
}
