#include "mouse-control/ZRSnapZones.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/Position.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DefaultBandDepth = 15;
constexpr double DefaultCornerReach = 100;
// The probe around the pointer that finds screens it nearly touches reaches this far beyond the bands.
constexpr double ProbeMargin = 2;

} // namespace

ZRSnapZoneSettings ZRSnapZoneSettings::read(const UserDefaults& defaults, bool keyboardMenuVisible) {
    ZRSnapZoneSettings settings;
    const auto width = [&](const QString& key, double fallback) {
        const double value = double(defaults.integerForKey(key));
        return value < 1 ? fallback : value;
    };
    settings.bandDepth = width(ZRMouseControlDefault::SnapDragZoneWidth, DefaultBandDepth);
    settings.cornerReach = std::max(
        settings.bandDepth, width(ZRMouseControlDefault::SnapDragZoneWidthChooser, DefaultCornerReach));
    if (keyboardMenuVisible)
        settings.bandDepth = settings.cornerReach;
    settings.ignoreBorderingEdgesAndCorners =
        defaults.boolForKey(ZRMouseControlDefault::SnapIgnoreBorderingEdgesAndCorners);
    return settings;
}

std::optional<ZRSnapZone> ZRSnapZoneAtLocation(Point location, const std::vector<ZRVirtualScreen>& screens,
                                               const ZRSnapZoneSettings& settings, bool forSnappingBack) {
    const double E = settings.bandDepth;
    const double K = settings.cornerReach;
    const Rect probe = Rect(location.x, location.y, 1, 1).insetBy(-(E + ProbeMargin), -(E + ProbeMargin));
    const ZRVirtualScreen* found = nullptr;
    const ZRVirtualScreen* containing = nullptr;
    int touched = 0;
    for (const ZRVirtualScreen& screen : screens) {
        const Rect frame = screen.frame();
        if (!containing && frame.contains(location))
            containing = &screen;
        if (frame.intersects(probe)) {
            ++touched;
            found = &screen;
        }
    }
    if (containing)
        found = containing;
    if (!found || (!forSnappingBack && touched >= 2 && settings.ignoreBorderingEdgesAndCorners))
        return std::nullopt;

    const Rect frame = found->frame();
    ZRSnapZone zone{*found, ZRPositionNone};
    if (frame.insetBy(E, E).contains(location))
        return zone;
    const bool right = location.x > frame.midX();
    const bool top = location.y > frame.midY();
    // Away from the side edges, and away from the top and bottom edges, by the corners' reach.
    const bool alongTopOrBottom = frame.insetBy(K, -K).contains(location);
    const bool alongSide = frame.insetBy(-K, K).contains(location);
    if (top && alongTopOrBottom)
        zone.position = ZRPositionTop;
    else if (right && alongSide)
        zone.position = ZRPositionRight;
    else if (!top && alongTopOrBottom)
        zone.position = ZRPositionBottom;
    else if (!right && alongSide)
        zone.position = ZRPositionLeft;
    else if (top)
        zone.position = right ? ZRPositionTopRight : ZRPositionTopLeft;
    else
        zone.position = right ? ZRPositionBottomRight : ZRPositionBottomLeft;
    return zone;
}

std::int64_t ZRSnapChooserIndex(std::int64_t position, Point location, const Rect& screenFrame,
                                double cornerReach, std::int64_t n) {
    if (n <= 0)
        return -1;
    const Rect along = screenFrame.insetBy(cornerReach, cornerReach);
    std::int64_t index = 0;
    switch (position) {
    case ZRPositionTop:
    case ZRPositionBottom:
        // A screen narrower than the corners' reach twice has nothing between them to divide.
        if (along.width() > 0)
            index = std::int64_t(std::floor((location.x - along.x()) * double(n) / along.width()));
        break;
    case ZRPositionRight:
    case ZRPositionLeft:
        if (along.height() > 0)
            index = std::int64_t(std::floor((along.maxY() - location.y) * double(n) / along.height()));
        break;
    case ZRPositionBottomRight:
    case ZRPositionBottomLeft:
        index = n - 1;
        break;
    default:
        break;
    }
    return std::clamp<std::int64_t>(index, 0, n - 1);
}
