#include "settings/ZRSettingsSymbols.h"

#include "toolkit/ImageExtensions.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

namespace {

constexpr double BarShare = 0.16;
constexpr int GearTeeth = 8;
constexpr double GearOuterShare = 0.5;
constexpr double GearInnerShare = 0.36;
constexpr double GearHoleShare = 0.16;

const char* themeName(ZRSettingsSymbols::Symbol symbol) {
    switch (symbol) {
    case ZRSettingsSymbols::Symbol::Plus:
        return "list-add";
    case ZRSettingsSymbols::Symbol::QuestionMark:
        return "help-contents";
    case ZRSettingsSymbols::Symbol::Gear:
        return "preferences-system";
    }
    return "";
}

QPainterPath gearPath(const QRectF& rect) {
    const QPointF center = rect.center();
    const double outer = rect.width() * GearOuterShare;
    const double inner = rect.width() * GearInnerShare;
    QPainterPath gear;
    const int points = GearTeeth * 4;
    for (int i = 0; i < points; ++i) {
        // Each tooth: two points on the outer circle, two on the inner one.
        const double angle = 2 * M_PI * (i - 0.5) / points;
        const double radius = (i % 4 < 2) ? outer : inner;
        const QPointF point(center.x() + radius * std::cos(angle), center.y() + radius * std::sin(angle));
        if (i == 0)
            gear.moveTo(point);
        else
            gear.lineTo(point);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(center, rect.width() * GearHoleShare, rect.width() * GearHoleShare);
    return gear.subtracted(hole);
}

} // namespace

namespace ZRSettingsSymbols {

QImage templateImage(Symbol symbol, double pointSize) {
    const int side = std::max(1, int(std::ceil(pointSize)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(0, 0, side, side);
    switch (symbol) {
    case Symbol::Plus: {
        const double bar = std::max(1.5, side * BarShare);
        const double inset = side * 0.12;
        painter.fillRect(QRectF(inset, (side - bar) / 2, side - 2 * inset, bar), Qt::black);
        painter.fillRect(QRectF((side - bar) / 2, inset, bar, side - 2 * inset), Qt::black);
        break;
    }
    case Symbol::QuestionMark: {
        QFont font;
        font.setPixelSize(side);
        font.setWeight(QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(rect, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Symbol::Gear:
        painter.fillPath(gearPath(rect.adjusted(0.5, 0.5, -0.5, -0.5)), Qt::black);
        break;
    }
    return image;
}

QIcon icon(Symbol symbol, double pointSize, const QColor& color) {
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(themeName(symbol)));
    if (!themed.isNull())
        return themed;
    return QIcon(QPixmap::fromImage(tintedImage(templateImage(symbol, pointSize), color)));
}

} // namespace ZRSettingsSymbols
