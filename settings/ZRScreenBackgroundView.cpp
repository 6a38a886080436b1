#include "settings/ZRScreenBackgroundView.h"

#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRScreenBackgroundPicture.h"
#include "shell/ZRProcessFlags.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowExtensions.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QString ImageEnabledUserDefaultName = QStringLiteral("ZRScreenBackgroundViewImageEnabled");

constexpr double DefaultBorderWidth = 1.0;
constexpr double DefaultCornerRadius = 5;
// A border width above this is the view's own; below it the width is automatic.
constexpr double AutomaticBorderWidthBelow = -0.1;
constexpr double RetinaBorderWidth = 0.5;
constexpr double MenuBarHeight = 11;
// The Dock is half as wide as the screen and this high, with its centre on the bottom edge.
constexpr double DockHeight = 22;
constexpr double DockCornerRadius = 3;
constexpr int FadeMilliseconds = 1000;
// The program's own picture shows faintly; the user's own at full strength.
constexpr double FaintPictureOpacity = 0.2;

constexpr double DarkWhite = 0.3;
constexpr double PlainLightWhite = 0.6;
constexpr double BackdropLightWhite = 0.98;
constexpr double BackdropAlpha = 0.8;
constexpr double HighContrastBorderAlpha = 0.5;
constexpr double BorderAlpha = 0.1;
constexpr double LightStripAlpha = 0.4;
constexpr double LightStripOnOwnPictureAlpha = 0.7;
constexpr double DarkStripAlpha = 0.2;
constexpr double DarkStripOnOwnPictureAlpha = 0.35;

} // namespace

ZRScreenBackgroundView::ZRScreenBackgroundView(const UserDefaults& defaults, QWidget* parent)
    : ZRKeyWindowReflectingView(parent), m_defaults(defaults) {
    setUp();
}

void ZRScreenBackgroundView::setUp() {
    m_borderWidth = DefaultBorderWidth;
    m_cornerRadius = DefaultCornerRadius;
    m_enabled = true;
    m_fade.setStartValue(0.0);
    m_fade.setEndValue(1.0);
    m_fade.setDuration(FadeMilliseconds);
    connect(&m_fade, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

bool ZRScreenBackgroundView::drawsDecorations() const {
    return ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock && drawsScreenBackground();
}

bool ZRScreenBackgroundView::drawsScreenBackground() const {
    return true;
}

bool ZRScreenBackgroundView::drawsScreenBackgroundImage() const {
    if (!drawsScreenBackground())
        return false;
    const QVariant value = m_defaults.object(ImageEnabledUserDefaultName);
    return !Plist::isNumber(value) || Plist::coerceBool(value).value_or(true);
}

void ZRScreenBackgroundView::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    reflectKeyWindowStatusChange();
}

void ZRScreenBackgroundView::reflectKeyWindowStatusChange() {
    ZRKeyWindowReflectingView::reflectKeyWindowStatusChange();
    reflectDesktopImage(true);
}

bool ZRScreenBackgroundView::reflectDesktopImage(bool animated) {
    if (!drawsScreenBackgroundImage())
        return false;
    const bool inColour = m_enabled && isActiveWindow();
    if (!m_desktopImageLayer) {
        const bool usersOwn = ZRScreenBackgroundPicture::shared(m_defaults).isUsersOwn();
        m_desktopImageLayer = DesktopImageLayer{inColour, usersOwn ? 1.0 : FaintPictureOpacity};
        return true;
    }
    if (m_desktopImageLayer->inColour == inColour)
        return false;
    m_desktopImageLayer->inColour = inColour;
    m_fade.stop();
    if (animated)
        m_fade.start();
    return true;
}

QRectF ZRScreenBackgroundView::menuBarLayer() const {
    return drawsDecorations() ? QRectF(0, 0, width(), MenuBarHeight) : QRectF();
}

QRectF ZRScreenBackgroundView::dockLayer() const {
    if (!drawsDecorations())
        return {};
    return {width() / 4.0, height() - DockHeight / 2, width() / 2.0, DockHeight};
}

bool ZRScreenBackgroundView::isOnRetinaDisplay() const {
    return ::isOnRetinaDisplay(window());
}

bool ZRScreenBackgroundView::hasPicture() const {
    // A picker made narrower after it first showed its picture no longer reads as a screen.
    return m_desktopImageLayer && drawsScreenBackgroundImage() &&
           !ZRScreenBackgroundPicture::shared(m_defaults).image().isNull();
}

double ZRScreenBackgroundView::effectiveBorderWidth() const {
    if (m_borderWidth > AutomaticBorderWidthBelow)
        return m_borderWidth;
    if (ZRIncreaseContrastEnabled())
        return DefaultBorderWidth;
    return isOnRetinaDisplay() ? RetinaBorderWidth : DefaultBorderWidth;
}

const QImage& ZRScreenBackgroundView::filledImage(bool inColour) {
    const double ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    QImage& filled = m_filled[inColour ? 1 : 0];
    if (filled.size() == pixels && filled.devicePixelRatio() == ratio)
        return filled;
    const ZRScreenBackgroundPicture& picture = ZRScreenBackgroundPicture::shared(m_defaults);
    const QImage& source = inColour ? picture.image() : picture.grayScaleImage();
    // Scaled to fill while keeping its proportions, the overhang cut off evenly.
    const QImage scaled = source.scaled(pixels, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    filled = scaled.copy((scaled.width() - pixels.width()) / 2, (scaled.height() - pixels.height()) / 2,
                         pixels.width(), pixels.height());
    filled.setDevicePixelRatio(ratio);
    return filled;
}

void ZRScreenBackgroundView::drawDesktopImage(QPainter& painter) {
    const DesktopImageLayer& layer = *m_desktopImageLayer;
    painter.save();
    painter.setOpacity(layer.opacity);
    if (m_fade.state() == QAbstractAnimation::Running) {
        QImage blended = filledImage(!layer.inColour).copy();
        {
            QPainter blend(&blended);
            blend.setOpacity(m_fade.currentValue().toDouble());
            blend.drawImage(QPointF(), filledImage(layer.inColour));
        }
        painter.drawImage(QRectF(rect()), blended);
    } else {
        painter.drawImage(QRectF(rect()), filledImage(layer.inColour));
    }
    painter.restore();
}

void ZRScreenBackgroundView::updateLayer(QPainter& painter) {
    if (!m_desktopImageLayer)
        reflectDesktopImage(false);
    const bool dark = isInFullyInvertedDarkMode(this);
    const bool picture = hasPicture();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const QPainterPath shape = bezierPathWithCurvedRect(bounds, m_cornerRadius);

    if (drawsScreenBackground() && !picture)
        painter.fillPath(shape, calibratedWhite(dark ? DarkWhite : PlainLightWhite, 1.0));
    else
        painter.fillPath(shape, calibratedWhite(dark ? DarkWhite : BackdropLightWhite - m_brightnessReduction,
                                                BackdropAlpha));

    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    if (picture)
        drawDesktopImage(painter);
    if (drawsDecorations()) {
        const bool ownPicture = picture && ZRScreenBackgroundPicture::shared(m_defaults).isUsersOwn();
        const QColor strips =
            dark ? calibratedWhite(0, ownPicture ? DarkStripOnOwnPictureAlpha : DarkStripAlpha)
                 : calibratedWhite(1, ownPicture ? LightStripOnOwnPictureAlpha : LightStripAlpha);
        painter.fillRect(menuBarLayer(), strips);
        ZRDrawRectWithBorder(painter, false, QColor(), strips, dockLayer(), DockCornerRadius, 0);
    }
    painter.restore();

    // Drawn inside the bounds, over everything, as a layer's border is.
    const double lineWidth = effectiveBorderWidth();
    if (lineWidth > 0) {
        const double alpha = ZRIncreaseContrastEnabled() ? HighContrastBorderAlpha : BorderAlpha;
        const double half = lineWidth / 2;
        painter.strokePath(bezierPathWithCurvedRect(bounds.adjusted(half, half, -half, -half),
                                                    std::max(0.0, m_cornerRadius - half)),
                           QPen(calibratedWhite(dark ? 1 : 0, alpha), lineWidth));
    }
}

void ZRScreenBackgroundView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    updateLayer(painter);
}
