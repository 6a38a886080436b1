#include "settings/ZRPositionRadioButton.h"

#include "toolkit/Appearance.h"
#include "toolkit/ViewExtensions.h"

#include <QPainter>

namespace {

constexpr double RingWidth = 1.0;
constexpr double DotDiameter = 6;
constexpr double BarWidth = 7;
constexpr double BarHeight = 2;
constexpr double FocusRingWidth = 2;
constexpr double DisabledOpacity = 0.45;
const QColor OffFill(Qt::white);
const QColor OffFillDark(80, 80, 80);
const QColor OffRing(150, 150, 150);
const QColor OffRingDark(140, 140, 140);
// The focus ring is the accent colour at this opacity.
constexpr double FocusRingAlpha = 0.5;

} // namespace

ZRPositionRadioButton::ZRPositionRadioButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
}

void ZRPositionRadioButton::setState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    update();
}

QSize ZRPositionRadioButton::sizeHint() const {
    const int side = Diameter + 2 * int(FocusRingWidth);
    return {side, side};
}

bool ZRPositionRadioButton::hitButton(const QPoint& point) const {
    const QPointF offset = QPointF(point) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= (Diameter / 2.0) * (Diameter / 2.0);
}

void ZRPositionRadioButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(DisabledOpacity);
    const bool dark = isInFullyInvertedDarkMode(this);
    const QPointF centre = QRectF(rect()).center();
    const double radius = Diameter / 2.0;
    const QColor accent = backwardsCompatibleControlAccentColor();

    if (m_state == State::Off) {
        painter.setBrush(dark ? OffFillDark : OffFill);
        painter.setPen(QPen(dark ? OffRingDark : OffRing, RingWidth));
        painter.drawEllipse(centre, radius - RingWidth / 2, radius - RingWidth / 2);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(isDown() ? accent.darker() : accent);
        painter.drawEllipse(centre, radius, radius);
        painter.setBrush(Qt::white);
        if (m_state == State::On)
            painter.drawEllipse(centre, DotDiameter / 2, DotDiameter / 2);
        else
            painter.drawRoundedRect(
                QRectF(centre.x() - BarWidth / 2, centre.y() - BarHeight / 2, BarWidth, BarHeight),
                BarHeight / 2, BarHeight / 2);
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        QColor ring = accent;
        ring.setAlphaF(FocusRingAlpha);
        painter.setPen(QPen(ring, FocusRingWidth));
        painter.drawEllipse(centre, radius + FocusRingWidth / 2, radius + FocusRingWidth / 2);
    }
}
