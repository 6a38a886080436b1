#include "window-access/VirtualScreen.h"

#include "platform/Platform.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/WindowAccessDefaults.h"

#include <cmath>
#include <limits>

namespace {

const QString LayoutKeyFormat = QStringLiteral("Virtual Screen Layout: %1");
const QString UnionLayoutKey = QStringLiteral("Virtual Screen Layout: Union");
const QString LayoutColumnsKey = QStringLiteral("Columns");
const QString LayoutRowsKey = QStringLiteral("Rows");
const QString ExtraDockSpacingKey = QString::fromUtf16(ZRVisibleFrameExtraDockSpacingUserDefaultName);
const QString IgnoreMenuBarKey = QStringLiteral("Ignore Menu Bar");
const QString IgnoreDockKey = QStringLiteral("Ignore Dock");

// A side of the visible frame further inside the frame than this holds a dock or panel.
constexpr double kDockSideThreshold = 10;
// Screens that share an edge may disagree by a fraction of a point.
constexpr double kNeighbourTolerance = 1;

struct Split {
    int columns = 1;
    int rows = 1;
};

Split splitOfDisplay(std::size_t index, const UserDefaults& defaults) {
    const QString key = LayoutKeyFormat.arg(index);
    const QVariant value = defaults.object(key);
    if (!value.isValid())
        return {};
    const QVariantMap layout = value.toMap();
    const auto columns = Plist::readInteger(layout, LayoutColumnsKey);
    const auto rows = Plist::readInteger(layout, LayoutRowsKey);
    const auto valid = [](const PlistRead<qint64>& read) {
        return read.missing() ||
               (read.ok() && read.value >= 1 && read.value <= ZRVirtualScreen::MaximumSplit);
    };
    if (value.typeId() != QMetaType::QVariantMap || !valid(columns) || !valid(rows)) {
        WindowAccessDefaults::debugLog(
            QStringLiteral("ignoring virtual screen layout \"%1\": columns and rows "
                           "must be whole numbers from 1 to %2")
                .arg(key)
                .arg(ZRVirtualScreen::MaximumSplit));
        return {};
    }
    return {static_cast<int>(columns.valueOr(1)), static_cast<int>(rows.valueOr(1))};
}

Rect skafableFrameOfDisplay(const ScreenInfo& display, const UserDefaults& defaults) {
    Rect usable = visibleFrameWithExtraDockSpacing(&display, defaults);
    const Rect& frame = display.frame;
    const Rect& visible = display.visibleFrame;
    double minX = usable.minX();
    double maxX = usable.maxX();
    double minY = usable.minY();
    double maxY = usable.maxY();
    if (defaults.boolForKey(IgnoreMenuBarKey))
        maxY = frame.maxY();
    if (defaults.boolForKey(IgnoreDockKey)) {
        if (visible.minX() - frame.minX() > kDockSideThreshold)
            minX = frame.minX();
        if (frame.maxX() - visible.maxX() > kDockSideThreshold)
            maxX = frame.maxX();
        if (visible.minY() - frame.minY() > kDockSideThreshold)
            minY = frame.minY();
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

// The boundaries of n equal parts of [origin, origin + length], on whole points.
std::vector<double> boundaries(double origin, double length, int parts) {
    std::vector<double> result(static_cast<std::size_t>(parts) + 1);
    for (int index = 0; index <= parts; ++index)
        result[static_cast<std::size_t>(index)] = origin + std::round(length * index / parts);
    result.back() = origin + length;
    return result;
}

// The part of a region that belongs to a cell: the cell's boundaries inside, the region's own edges
// on the outer sides, so the frames of the outer cells still reach the display's edges.
Rect cellOfRegion(const Rect& region, const std::vector<double>& xs, const std::vector<double>& ys,
                  int column, int rowFromBottom) {
    const auto c = static_cast<std::size_t>(column);
    const auto r = static_cast<std::size_t>(rowFromBottom);
    const double minX = c == 0 ? region.minX() : xs[c];
    const double maxX = c + 1 == xs.size() - 1 ? region.maxX() : xs[c + 1];
    const double minY = r == 0 ? region.minY() : ys[r];
    const double maxY = r + 1 == ys.size() - 1 ? region.maxY() : ys[r + 1];
    return {minX, minY, maxX - minX, maxY - minY};
}

struct Span {
    double min = 0;
    double max = 0;
};

bool overlaps(const Span& a, const Span& b) {
    return std::min(a.max, b.max) - std::max(a.min, b.min) > kNeighbourTolerance;
}

// How far the candidate lies beyond the screen in the direction; none when it is not wholly there
// or shares no stretch of the other axis with it.
std::optional<double> distanceInDirection(const Rect& screen, const Rect& candidate, int direction) {
    const bool horizontal = direction == ZRScreenDirectionRight || direction == ZRScreenDirectionLeft;
    const bool forward = direction == ZRScreenDirectionRight || direction == ZRScreenDirectionAbove;
    if (!horizontal && direction != ZRScreenDirectionAbove && direction != ZRScreenDirectionBelow)
        return std::nullopt;
    const auto along = [horizontal](const Rect& r) {
        return horizontal ? Span{r.minX(), r.maxX()} : Span{r.minY(), r.maxY()};
    };
    const auto across = [horizontal](const Rect& r) {
        return horizontal ? Span{r.minY(), r.maxY()} : Span{r.minX(), r.maxX()};
    };
    const Span from = along(screen);
    const Span to = along(candidate);
    const double distance = forward ? to.min - from.max : from.min - to.max;
    if (distance < -kNeighbourTolerance || !overlaps(across(screen), across(candidate)))
        return std::nullopt;
    return distance;
}

int oppositeDirection(int direction) {
    switch (direction) {
    case ZRScreenDirectionAbove:
        return ZRScreenDirectionBelow;
    case ZRScreenDirectionBelow:
        return ZRScreenDirectionAbove;
    case ZRScreenDirectionRight:
        return ZRScreenDirectionLeft;
    case ZRScreenDirectionLeft:
        return ZRScreenDirectionRight;
    default:
        return 0;
    }
}

int directionOfPosition(std::int64_t position) {
    switch (position) {
    case ZRPositionTop:
        return ZRScreenDirectionAbove;
    case ZRPositionRight:
        return ZRScreenDirectionRight;
    case ZRPositionBottom:
        return ZRScreenDirectionBelow;
    case ZRPositionLeft:
        return ZRScreenDirectionLeft;
    default:
        return 0;
    }
}

} // namespace

Rect visibleFrameWithExtraDockSpacing(const Rect& frame, const Rect& visibleFrame,
                                      const UserDefaults& defaults) {
    const qint64 spacing = defaults.integerForKey(ExtraDockSpacingKey);
    if (spacing < 1)
        return visibleFrame;
    double minX = visibleFrame.minX();
    double maxX = visibleFrame.maxX();
    double minY = visibleFrame.minY();
    if (visibleFrame.minX() - frame.minX() > kDockSideThreshold)
        minX += spacing;
    if (frame.maxX() - visibleFrame.maxX() > kDockSideThreshold)
        maxX -= spacing;
    if (visibleFrame.minY() - frame.minY() > kDockSideThreshold)
        minY += spacing;
    const Rect shrunk(minX, minY, maxX - minX, visibleFrame.maxY() - minY);
    // A spacing larger than the screen would leave nothing to place windows in.
    return shrunk.isEmpty() ? visibleFrame : shrunk;
}

Rect visibleFrameWithExtraDockSpacing(const ScreenInfo* screen, const UserDefaults& defaults) {
    return screen ? visibleFrameWithExtraDockSpacing(screen->frame, screen->visibleFrame, defaults) : Rect();
}

Rect ZRVirtualScreen::visibleFrameWithExtraDockSpacing(const UserDefaults& defaults) const {
    return ::visibleFrameWithExtraDockSpacing(m_frame, m_visibleFrame, defaults);
}

std::vector<ZRVirtualScreen> ZRVirtualScreen::screens(const UserDefaults& defaults) {
    if (!Platform::hasCurrent())
        return {};
    return screensOfDisplays(Platform::current().screens().screens(), defaults);
}

std::vector<ZRVirtualScreen> ZRVirtualScreen::screensOfDisplays(const std::vector<ScreenInfo>& displays,
                                                                const UserDefaults& defaults) {
    std::vector<ZRVirtualScreen> result;
    for (std::size_t index = 0; index < displays.size(); ++index) {
        const ScreenInfo& display = displays[index];
        const Rect skafable = skafableFrameOfDisplay(display, defaults);
        const Split split = splitOfDisplay(index, defaults);
        const auto xs = boundaries(skafable.minX(), skafable.width(), split.columns);
        const auto ys = boundaries(skafable.minY(), skafable.height(), split.rows);
        for (int rowFromTop = 0; rowFromTop < split.rows; ++rowFromTop) {
            const int row = split.rows - 1 - rowFromTop;
            for (int column = 0; column < split.columns; ++column) {
                ZRVirtualScreen screen;
                screen.m_hostScreen = display;
                screen.m_frame = cellOfRegion(display.frame, xs, ys, column, row);
                screen.m_visibleFrame = cellOfRegion(display.visibleFrame, xs, ys, column, row);
                screen.m_skafableFrame = cellOfRegion(skafable, xs, ys, column, row);
                result.push_back(screen);
            }
        }
    }
    if (result.size() >= 2 && defaults.boolForKey(UnionLayoutKey)) {
        ZRVirtualScreen unionScreen;
        unionScreen.m_isUnion = true;
        unionScreen.m_hostScreen = displays.front();
        for (const ZRVirtualScreen& screen : result) {
            unionScreen.m_frame = unionScreen.m_frame.united(screen.m_frame);
            unionScreen.m_visibleFrame = unionScreen.m_visibleFrame.united(screen.m_visibleFrame);
            unionScreen.m_skafableFrame = unionScreen.m_skafableFrame.united(screen.m_skafableFrame);
        }
        result.push_back(unionScreen);
    }
    return result;
}

std::optional<ZRVirtualScreen> ZRVirtualScreen::virtualScreenMostRelevantForFrame(
    const Rect& frame, const std::vector<ZRVirtualScreen>& fromScreens, bool fallBackToFirstScreen) {
    const ZRVirtualScreen* best = nullptr;
    double bestArea = 0;
    for (const ZRVirtualScreen& screen : fromScreens) {
        const double area = screen.m_frame.intersected(frame).area();
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (best)
        return *best;
    if (fallBackToFirstScreen && !fromScreens.empty())
        return fromScreens.front();
    return std::nullopt;
}

std::optional<ZRVirtualScreen>
ZRVirtualScreen::virtualScreenMostRelevantForFrame(const Rect& frame, bool fallBackToMainScreen,
                                                   const UserDefaults& defaults) {
    return virtualScreenMostRelevantForFrame(frame, screens(defaults), fallBackToMainScreen);
}

std::optional<ZRVirtualScreen> ZRVirtualScreen::screenAtPosition(std::int64_t position,
                                                                 Point relativeToLocation,
                                                                 const UserDefaults& defaults) {
    return screenAtPosition(position, relativeToLocation, screens(defaults));
}

std::optional<ZRVirtualScreen> ZRVirtualScreen::screenAtPosition(std::int64_t position,
                                                                 Point relativeToLocation,
                                                                 const std::vector<ZRVirtualScreen>& among) {
    const int direction = directionOfPosition(position);
    if (position != ZRPositionNone && direction == 0)
        return std::nullopt;
    for (const ZRVirtualScreen& screen : among) {
        if (!screen.m_frame.contains(relativeToLocation))
            continue;
        if (direction == 0)
            return screen;
        return screen.virtualScreenAtRelativePosition(direction, false, among);
    }
    return std::nullopt;
}

std::optional<ZRVirtualScreen>
ZRVirtualScreen::virtualScreenAtRelativePosition(int direction, bool loop,
                                                 const UserDefaults& defaults) const {
    return virtualScreenAtRelativePosition(direction, loop, screens(defaults));
}

std::optional<ZRVirtualScreen>
ZRVirtualScreen::virtualScreenAtRelativePosition(int direction, bool loop,
                                                 const std::vector<ZRVirtualScreen>& among) const {
    const ZRVirtualScreen* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const ZRVirtualScreen& candidate : among) {
        const auto distance = distanceInDirection(m_frame, candidate.m_frame, direction);
        if (distance && *distance < nearestDistance) {
            nearest = &candidate;
            nearestDistance = *distance;
        }
    }
    if (nearest)
        return *nearest;
    if (!loop)
        return std::nullopt;

    const ZRVirtualScreen* farthest = nullptr;
    double farthestDistance = -std::numeric_limits<double>::infinity();
    const int opposite = oppositeDirection(direction);
    for (const ZRVirtualScreen& candidate : among) {
        const auto distance = distanceInDirection(m_frame, candidate.m_frame, opposite);
        if (distance && *distance > farthestDistance) {
            farthest = &candidate;
            farthestDistance = *distance;
        }
    }
    if (farthest)
        return *farthest;
    return std::nullopt;
}
