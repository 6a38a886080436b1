#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class UserDefaults;

// The settings of the focus window. "Focus: Always Enable For Snap" is read by snapping.
namespace ZRFocusDefault {
// The opacity of the dimming around the aperture; at 0.1 or less nothing is drawn unless displayed
// regardless.
inline const QString Focus = QStringLiteral("Focus");
// 0 a white line with a soft dark edge, 1 a line in the accent colour with a white edge, 2 white dashes on
// black.
inline const QString Style = QStringLiteral("Focus: Style");
inline const QString Animate = QStringLiteral("Focus: Animate");
inline const QString Shadow = QStringLiteral("Focus: Shadow");
// Points; below 0.9 the style's own width.
inline const QString LineWidth = QStringLiteral("Focus: Line Width");
inline const QString AlwaysCoverAllScreens = QStringLiteral("Focus: Always Cover All Screens");
inline const QString AlwaysEnableForSnap = QStringLiteral("Focus: Always Enable For Snap");
} // namespace ZRFocusDefault

// The corner radius of the aperture, the outline and the drop frames.
inline constexpr double ZRFocusCornerRadius = 10.0;

// The focus settings as one drawing reads them.
struct ZRFocusSettings {
    double dimming = 0;
    std::int64_t style = 0;
    bool animate = false;
    bool shadow = false;
    double lineWidth = 0;

    static ZRFocusSettings read(const UserDefaults& defaults);
};

// How the outline is drawn: its style, line width L and halo H (the soft edge on each side of the line),
// its dash pattern (points) and how far the dashes travel in one cycle of their animation (0: still).
struct ZRFocusOutlineStyle {
    std::int64_t style = 0;
    bool dashed = false;
    bool animate = false;
    bool shadow = false;
    double lineWidth = 0;
    double halo = 0;
    std::vector<double> dashPattern;
    double dashPhaseRun = 0;

    // An alert is a still, dashed red line of style 1. Retina displays get a finer halo.
    static ZRFocusOutlineStyle forSettings(const ZRFocusSettings& settings, bool alert, bool retina);
};
