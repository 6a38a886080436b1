#include "hotkeys/ZRHotKeyClearButton.h"

#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "toolkit/Appearance.h"
#include "toolkit/ViewExtensions.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// The glyph's square: the bounds less this on every side.
constexpr double ImageInset = 4.0;
// The glyph within its square, and the weight of its strokes, as parts of the square's side.
constexpr double PlusExtent = 0.72;
constexpr double CrossExtent = 0.56;
constexpr double StrokeWidth = 0.13;
// On screens of two device pixels per point and more the glyph sits this much lower.
constexpr double HighDensityDrop = 0.5;
constexpr double HighDensityRatio = 2.0;

// The fill stops short of the container's border at the top, the bottom and the right.
constexpr double FillInset = 1.0;
constexpr double LightFillWhite = 0.97;
constexpr double LightPressedFillWhite = 0.85;
constexpr double DarkFillWhite = 0.3;
constexpr double DarkPressedFillWhite = 0.2;
constexpr double GlyphAlpha = 0.8;

} // namespace

ZRHotKeyClearButton::ZRHotKeyClearButton(QWidget* parent) : QAbstractButton(parent) {
    // Taking the focus from the field would end its recording before the click arrives.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void ZRHotKeyClearButton::setHotKeyTextView(ZRHotKeyTextView* textView) {
    disconnect(m_action);
    m_hotKeyTextView = textView;
    if (textView)
        m_action = connect(this, &QAbstractButton::clicked, textView, &ZRHotKeyTextView::deleteHotKey);
}

bool ZRHotKeyClearButton::showsPlus() const {
    return m_hotKeyTextView && !m_hotKeyTextView->isRecording() && !m_hotKeyTextView->hotKey();
}

QColor ZRHotKeyClearButton::tintColor() const {
    if (isDown() || (m_hotKeyTextView && m_hotKeyTextView->isRecording()))
        return backwardsCompatibleControlAccentColor();
    return calibratedWhite(isInFullyInvertedDarkMode(this) ? 1.0 : 0.0, GlyphAlpha);
}

QColor ZRHotKeyClearButton::fillColor() const {
    if (isInFullyInvertedDarkMode(this))
        return calibratedWhite(isDown() ? DarkPressedFillWhite : DarkFillWhite, 1.0);
    return calibratedWhite(isDown() ? LightPressedFillWhite : LightFillWhite, 1.0);
}

QRectF ZRHotKeyClearButton::imageRect() const {
    const QRectF inside = QRectF(rect()).adjusted(ImageInset, ImageInset, -ImageInset, -ImageInset);
    const double side = std::min(inside.width(), inside.height());
    double top = std::round(inside.center().y() - side / 2);
    if (devicePixelRatioF() >= HighDensityRatio)
        top += HighDensityDrop;
    return {inside.center().x() - side / 2, top, side, side};
}

QSize ZRHotKeyClearButton::sizeHint() const {
    const auto* container = qobject_cast<const ZRHotKeyContainerView*>(parentWidget());
    const int side = container ? container->sizeHint().height() : 0;
    return {side, side};
}

void ZRHotKeyClearButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath fill;
    fill.addRect(QRectF(rect()).adjusted(0, FillInset, -FillInset, -FillInset));
    if (const auto* container = qobject_cast<const ZRHotKeyContainerView*>(parentWidget()))
        fill = fill.intersected(container->interiorPath(this));
    painter.fillPath(fill, fillColor());

    const QRectF image = imageRect();
    const QPointF center = image.center();
    const double half = image.width() * (showsPlus() ? PlusExtent : CrossExtent) / 2;
    QPainterPath glyph;
    if (showsPlus()) {
        glyph.moveTo(center.x() - half, center.y());
        glyph.lineTo(center.x() + half, center.y());
        glyph.moveTo(center.x(), center.y() - half);
        glyph.lineTo(center.x(), center.y() + half);
    } else {
        glyph.moveTo(center.x() - half, center.y() - half);
        glyph.lineTo(center.x() + half, center.y() + half);
        glyph.moveTo(center.x() + half, center.y() - half);
        glyph.lineTo(center.x() - half, center.y() + half);
    }
    painter.strokePath(glyph, QPen(tintColor(), image.width() * StrokeWidth, Qt::SolidLine, Qt::RoundCap));
}
