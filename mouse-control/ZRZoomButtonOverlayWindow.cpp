#include "mouse-control/ZRZoomButtonOverlayWindow.h"

#include "mouse-control/ZRPaletteBeep.h"
#include "platform/Platform.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowExtensions.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The ring is drawn on the half point so that its line covers whole pixels.
constexpr double RingInset = 0.5;
constexpr double RingLineWidth = 1;
constexpr qint64 GraphiteAquaColorVariant = 6;
// The desktop's green, in the light and the dark style.
const QColor LightSystemGreen(52, 199, 89);
const QColor DarkSystemGreen(48, 209, 88);
// The dark style's disc.
const double DarkGrayWhite = 1.0 / 3.0;

bool graphiteAppearance() {
    if (!Platform::hasCurrent())
        return false;
    const QVariant variant = Platform::current().systemPreferences().value(
        SystemPreferences::GlobalDomain, ZRZoomButtonOverlayWindow::aquaColorVariantKey());
    return Plist::coerceInteger(variant) == GraphiteAquaColorVariant;
}

} // namespace

QString ZRZoomButtonOverlayWindow::beepKey() {
    return QStringLiteral("Mouse Controls: Zoom Button Behavior: Beep");
}

QString ZRZoomButtonOverlayWindow::aquaColorVariantKey() {
    return QStringLiteral("AppleAquaColorVariant");
}

std::unique_ptr<ZRZoomButtonOverlayWindow>
ZRZoomButtonOverlayWindow::overlayPanelWithFrame(const Rect& frame, int level, bool nonActivating,
                                                 bool flipContent, const UserDefaults& defaults) {
    auto panel =
        std::make_unique<ZRZoomButtonOverlayWindow>(frame, level, nonActivating, flipContent, defaults);
    // Unlike the other self-drawing overlays, it is there to take the click.
    setIgnoresMouseEvents(panel.get(), false);
    return panel;
}

ZRZoomButtonOverlayWindow::ZRZoomButtonOverlayWindow(const Rect& frame, int level, bool nonActivating,
                                                     bool flipContent, const UserDefaults& defaults)
    : ZRSelfDrawingOverlayPanel(frame, level, nonActivating, flipContent), m_defaults(defaults) {}

void ZRZoomButtonOverlayWindow::setHighlighted(bool highlighted) {
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    contentView()->update();
}

void ZRZoomButtonOverlayWindow::drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) {
    if (bounds.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(bounds.width(), bounds.height());
    QRectF square(bounds.x() + (bounds.width() - side) / 2, bounds.y() + (bounds.height() - side) / 2, side,
                  side);
    square.adjust(RingInset, RingInset, -RingInset, -RingInset);
    const bool dark = isInFullyInvertedDarkMode(view);
    ZRDrawRectWithBorder(painter, false,
                         dark ? darkModeOverlayControlColor() : lightModeOverlayControlColor(),
                         dark ? calibratedWhite(DarkGrayWhite, 1) : QColor(Qt::white), square,
                         square.width() / 2, RingLineWidth);
    if (targetAnswersAction()) {
        const double inset = m_canRevert ? RevertDotInset : DotInset;
        const QRectF dot = square.adjusted(inset, inset, -inset, -inset);
        QColor color;
        if (m_highlighted) {
            if (!graphiteAppearance())
                color = dark ? DarkSystemGreen : LightSystemGreen;
            else
                color = dark ? brighterOverlaySelectedControlColor() : overlaySelectedControlColor();
        } else {
            color = dark ? darkModeOverlayControlColor() : lightModeOverlayControlColor();
        }
        ZRDrawRectWithBorder(painter, false, QColor(), color, dot, dot.width() / 2, 0);
    }
    painter.restore();
}

void ZRZoomButtonOverlayWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        ZRSelfDrawingOverlayPanel::mousePressEvent(event);
        return;
    }
    // The click never reaches the button below, whatever happens to it here.
    event->accept();
    if (!targetAnswersAction()) {
        if (m_defaults.boolForKey(beepKey()))
            ZRPaletteBeep();
        return;
    }
    m_pressed = true;
    setHighlighted(true);
    contentView()->repaint();
}

void ZRZoomButtonOverlayWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        ZRSelfDrawingOverlayPanel::mouseMoveEvent(event);
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (inside == m_highlighted)
        return;
    setHighlighted(inside);
    contentView()->repaint();
}

void ZRZoomButtonOverlayWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressed || event->button() != Qt::LeftButton) {
        ZRSelfDrawingOverlayPanel::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    // A release outside finds the highlight already off and does nothing.
    if (m_highlighted && targetAnswersAction()) {
        const QPointer<ZRZoomButtonOverlayWindow> self(this);
        const Action action = m_action;
        action(*this);
        if (!self)
            return;
    }
    setHighlighted(false);
}

void ZRZoomButtonOverlayWindow::hideEvent(QHideEvent* event) {
    ZRSelfDrawingOverlayPanel::hideEvent(event);
    // A press whose window went away ends without acting.
    m_pressed = false;
    setHighlighted(false);
}
