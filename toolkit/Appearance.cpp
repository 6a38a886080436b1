#include "toolkit/Appearance.h"

#include "platform/Platform.h"
#include "platform/Workspace.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

namespace {

constexpr double BrighterAccentFraction = 0.2;
constexpr double DarkModeControlAlpha = 0.9;
constexpr double LightModeControlAlpha = 0.65;
constexpr double LightModeBackgroundWhite = 0.99;
constexpr double LightModeBackgroundAlpha = 0.98;
// A window colour darker than this reads as a dark style.
constexpr double DarkLightnessThreshold = 0.5;

QColor accentColor() {
    if (Platform::hasCurrent()) {
        const Color c = Platform::current().workspace().accentColor();
        return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                                static_cast<float>(c.blue), static_cast<float>(c.alpha));
    }
    return QGuiApplication::palette().color(QPalette::Highlight);
}

} // namespace

bool ZRIncreaseContrastEnabled() {
    return Platform::hasCurrent() && Platform::current().workspace().increaseContrastEnabled();
}

bool ZRIsDarkInterfaceStyleEnabled() {
    if (Platform::hasCurrent())
        return Platform::current().workspace().isDarkAppearance();
    return QGuiApplication::palette().color(QPalette::Window).lightnessF() < DarkLightnessThreshold;
}

bool ZRIsDarkInterfaceStyleSince1014() {
    return ZRIsDarkInterfaceStyleEnabled();
}

QColor overlaySelectedControlColor() {
    return accentColor();
}

QColor brighterOverlaySelectedControlColor() {
    return blendedColor(accentColor(), BrighterAccentFraction, Qt::white);
}

QColor darkModeOverlayControlColor() {
    return calibratedWhite(1.0, DarkModeControlAlpha);
}

QColor lightModeOverlayControlColor() {
    return calibratedWhite(0.0, LightModeControlAlpha);
}

QColor lightModeOverlayBackgroundColor() {
    return calibratedWhite(LightModeBackgroundWhite, LightModeBackgroundAlpha);
}

QColor backwardsCompatibleControlAccentColor() {
    return accentColor();
}

QColor blendedColor(const QColor& color, double fraction, const QColor& other) {
    const auto mix = [fraction](float a, float b) { return static_cast<float>(a + (b - a) * fraction); };
    const QColor from = color.toRgb();
    const QColor to = other.toRgb();
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

QColor calibratedWhite(double white, double alpha) {
    const auto level = static_cast<float>(std::clamp(white, 0.0, 1.0));
    return QColor::fromRgbF(level, level, level, static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
}
