#include "mouse-control/ZRFocusOutlineStyle.h"

#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace {

// Line widths: the setting is taken to half points; below the least one the style's own width.
constexpr double LeastLineWidth = 0.9;
constexpr double StyleOneLineWidth = 2.0;
constexpr double AnimatedLineWidth = 3.0;
constexpr double StillLineWidth = 4.0;
constexpr double RetinaStyleOneHalo = 1.5;
constexpr double StyleOneHalo = 2.0;
constexpr double RetinaHalo = 0.5;
constexpr double Halo = 1.0;
// Dashes: at least this long, gaps a quarter of them but at least this wide.
constexpr double StyleOneLeastDash = 3.5;
constexpr double LeastDash = 4.0;
constexpr double DashToGap = 4.0;
constexpr double StyleOneLeastGap = 2.0;
constexpr double LeastGap = 1.5;

} // namespace

ZRFocusSettings ZRFocusSettings::read(const UserDefaults& defaults) {
    ZRFocusSettings settings;
    settings.dimming = defaults.doubleForKey(ZRFocusDefault::Focus);
    settings.style = defaults.integerForKey(ZRFocusDefault::Style);
    settings.animate = defaults.boolForKey(ZRFocusDefault::Animate);
    settings.shadow = defaults.boolForKey(ZRFocusDefault::Shadow);
    settings.lineWidth = defaults.doubleForKey(ZRFocusDefault::LineWidth);
    return settings;
}

ZRFocusOutlineStyle ZRFocusOutlineStyle::forSettings(const ZRFocusSettings& settings, bool alert,
                                                     bool retina) {
    ZRFocusOutlineStyle o;
    if (alert) {
        o.style = 1;
        o.dashed = true;
    } else {
        o.style = settings.style;
        o.dashed = o.animate = settings.animate;
        o.shadow = settings.shadow && o.style == 0;
    }
    o.lineWidth = std::min(std::round(settings.lineWidth * 2) / 2, ZRFocusCornerRadius);
    if (o.lineWidth < LeastLineWidth)
        o.lineWidth = o.style == 1 ? StyleOneLineWidth : o.animate ? AnimatedLineWidth : StillLineWidth;
    if (o.style == 1)
        o.halo = retina ? RetinaStyleOneHalo : StyleOneHalo;
    else if (o.style == 2 || o.shadow)
        o.halo = 0;
    else
        o.halo = retina ? RetinaHalo : Halo;

    const double L = o.lineWidth;
    if (o.style == 2) {
        o.dashPattern = {L, L};
        o.dashPhaseRun = o.animate ? 2 * L : 0;
    } else if (o.dashed) {
        const double dash = std::max(L, o.style == 1 ? StyleOneLeastDash : LeastDash);
        const double gap = std::max(dash / DashToGap, o.style == 1 ? StyleOneLeastGap : LeastGap);
        o.dashPattern = {dash, gap};
        o.dashPhaseRun = o.animate ? dash + gap : 0;
    }
    return o;
}
