#include "settings/ZRDisappearingItemAnimation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <QWidget>

namespace {

constexpr int CursorSize = 32;

QPainterPath cloudPath(const QRectF& rect) {
    const double r = rect.width() / 4;
    QPainterPath cloud;
    cloud.addEllipse(QPointF(rect.center().x() - r, rect.center().y() + r / 3), r, r);
    cloud.addEllipse(QPointF(rect.center().x() + r, rect.center().y() + r / 3), r, r);
    cloud.addEllipse(QPointF(rect.center().x(), rect.center().y() - r / 2), r * 1.2, r * 1.2);
    return cloud.simplified();
}

void drawCloud(QPainter& painter, const QPainterPath& cloud) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(cloud, QColor(245, 245, 245));
    painter.strokePath(cloud, QPen(QColor(60, 60, 60), 1.5));
}

// The cloud shrinks away; the window takes its shape, since without a compositor a clear pixel shows black.
class Puff : public QWidget {
public:
    explicit Puff(QPoint center)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const int size = ZRDisappearingItemAnimation::Size;
        setGeometry(center.x() - size / 2, center.y() - size / 2, size, size);
        m_animation.setStartValue(1.0);
        m_animation.setEndValue(0.3);
        m_animation.setDuration(int(ZRDisappearingItemAnimation::Duration * 1000));
        QObject::connect(&m_animation, &QVariantAnimation::valueChanged, this, [this] { reshape(); });
        QObject::connect(&m_animation, &QVariantAnimation::finished, this, &QWidget::close);
        reshape();
        m_animation.start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawCloud(painter, m_cloud);
    }

private:
    void reshape() {
        const double scale = m_animation.currentValue().toDouble();
        QRectF bounds(0, 0, width() * scale, height() * scale);
        bounds.moveCenter(QRectF(rect()).center());
        m_cloud = cloudPath(bounds.adjusted(1, 1, -1, -1));
        setMask(QRegion(m_cloud.toFillPolygon().toPolygon()));
        update();
    }

    QVariantAnimation m_animation;
    QPainterPath m_cloud;
};

} // namespace

QPixmap ZRDisappearingItemAnimation::cursorPixmap() {
    QPixmap pixmap(CursorSize, CursorSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawCloud(painter, cloudPath(QRectF(CursorSize / 3.0, CursorSize / 3.0, CursorSize * 2 / 3.0,
                                        CursorSize * 2 / 3.0)));
    return pixmap;
}

void ZRDisappearingItemAnimation::showAtPoint(QPoint screenPoint) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    (new Puff(screenPoint))->show();
}
