#include "window-access/Coordinates.h"

#include "platform/Platform.h"
#include "platform/Screens.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this much free height the optical centre would sit visibly off, so it falls back to half.
constexpr double kOpticalCenteringMinimumSlack = 4;
constexpr double kOpticalCenteringFraction = 0.75;
} // namespace

double ZRPrimaryScreenHeight() {
    if (!Platform::hasCurrent())
        return 0;
    const auto screens = Platform::current().screens().screens();
    return screens.empty() ? 0 : screens.front().frame.height();
}

Point ZRFlipPoint(Point point, double primaryScreenHeight) {
    return {point.x, primaryScreenHeight - point.y};
}

Rect ZRFlipRect(const Rect& rect, double primaryScreenHeight) {
    return {rect.x(), primaryScreenHeight - (rect.y() + rect.height()), rect.width(), rect.height()};
}

Point ZRFlipPoint(Point point) {
    return ZRFlipPoint(point, ZRPrimaryScreenHeight());
}

Rect ZRFlipRect(const Rect& rect) {
    return ZRFlipRect(rect, ZRPrimaryScreenHeight());
}

namespace {
double confinedOrigin(double origin, double length, double containerOrigin, double containerLength) {
    if (length > containerLength)
        return containerOrigin;
    return std::clamp(origin, containerOrigin, containerOrigin + containerLength - length);
}
} // namespace

Rect ZRConfineFrame(const Rect& frame, const Rect& container) {
    return {confinedOrigin(frame.x(), frame.width(), container.x(), container.width()),
            confinedOrigin(frame.y(), frame.height(), container.y(), container.height()), frame.width(),
            frame.height()};
}

Rect ZRCenteredFrame(const Rect& frame, const Rect& container, bool geometric) {
    const double horizontalSlack = container.width() - frame.width();
    const double verticalSlack = container.height() - frame.height();
    const double x = container.x() + std::floor(horizontalSlack / 2);
    double y = 0;
    if (geometric) {
        y = container.y() + std::floor(verticalSlack / 2);
    } else {
        const double fraction =
            verticalSlack < kOpticalCenteringMinimumSlack ? 0.5 : kOpticalCenteringFraction;
        y = container.y() + std::floor(verticalSlack * fraction);
        if (y + frame.height() > container.maxY())
            y = container.maxY() - frame.height();
    }
    return {x, y, frame.width(), frame.height()};
}

bool ZRIntegerIsBetween(std::int64_t value, std::int64_t bound1, std::int64_t bound2) {
    return value >= std::min(bound1, bound2) && value <= std::max(bound1, bound2);
}
