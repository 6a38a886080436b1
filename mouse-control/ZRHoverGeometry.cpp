#include "mouse-control/ZRHoverGeometry.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"

#include <cmath>

namespace {

// A usable frame reaches its display's edge when it lies this close to it.
constexpr double EdgeTolerance = 0.1;

bool near(double a, double b) {
    return std::abs(a - b) < ZRHoverGeometry::CatchDistance;
}

// The display's usable frame, grown on each side where it reaches the display's edge out to the union of
// all usable frames: a resize may then span displays that share their workspaces.
Rect extendedToOtherDisplays(const ZRVirtualScreen& screen, const std::vector<ZRVirtualScreen>& screens) {
    const Rect usable = screen.skafableFrame();
    const Rect display = screen.frame();
    Rect all;
    for (const ZRVirtualScreen& other : screens)
        all = all.united(other.skafableFrame());
    double minX = usable.minX();
    double maxX = usable.maxX();
    double minY = usable.minY();
    double maxY = usable.maxY();
    if (std::abs(minX - display.minX()) <= EdgeTolerance && all.minX() < minX - EdgeTolerance)
        minX = all.minX();
    if (std::abs(maxX - display.maxX()) <= EdgeTolerance && all.maxX() > maxX + EdgeTolerance)
        maxX = all.maxX();
    if (std::abs(minY - display.minY()) <= EdgeTolerance && all.minY() < minY - EdgeTolerance)
        minY = all.minY();
    if (std::abs(maxY - display.maxY()) <= EdgeTolerance && all.maxY() > maxY + EdgeTolerance)
        maxY = all.maxY();
    return {minX, minY, maxX - minX, maxY - minY};
}

// No narrower or lower than the minimum, the edge that the resize does not move kept in place (Cocoa: a
// resize from the top keeps the bottom, the smaller y).
Rect atLeastMinimumSize(Rect frame, bool fromLeft, bool fromTop) {
    constexpr double minimum = ZRHoverGeometry::MinimumSize;
    if (frame.size.width < minimum) {
        if (fromLeft)
            frame.origin.x += frame.size.width - minimum;
        frame.size.width = minimum;
    }
    if (frame.size.height < minimum) {
        if (!fromTop)
            frame.origin.y += frame.size.height - minimum;
        frame.size.height = minimum;
    }
    return frame;
}

} // namespace

ZRHoverGeometry ZRHoverGeometry::forStartFrame(const Rect& quartzStartFrame, const UserDefaults& defaults) {
    namespace D = ZRMouseControlDefault;
    ZRHoverGeometry geometry;
    geometry.m_primaryScreenHeight = ZRPrimaryScreenHeight();
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(defaults);
    const auto screen = ZRVirtualScreen::virtualScreenMostRelevantForFrame(
        ZRFlipRect(quartzStartFrame, geometry.m_primaryScreenHeight), screens, true);
    if (!screen)
        return geometry;

    geometry.m_hasScreen = true;
    geometry.m_skafableFrame = screen->skafableFrame();
    geometry.m_fillFrame = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, screen->skafableFrame(),
                                                                 screen->frame(), defaults);
    geometry.m_displayRestrictionPriority =
        defaults.integerForKey(D::HoverStickinessDisplayRestrictionPriority);
    geometry.m_resizeBounds = screen->skafableFrame();
    if (geometry.m_displayRestrictionPriority == 0 && screens.size() > 1 && Platform::hasCurrent() &&
        !Platform::current().screens().screensHaveSeparateSpaces())
        geometry.m_resizeBounds = extendedToOtherDisplays(*screen, screens);
    geometry.m_sticksToEdges = defaults.boolForKey(D::HoverStickinessEdges);
    geometry.m_sticksToCenters = defaults.boolForKey(D::HoverStickinessCenters);
    geometry.m_sticksToOriginalSize = defaults.boolForKey(D::HoverStickinessOriginalSize);
    return geometry;
}

Rect ZRHoverGeometry::frameForStep(ZRHoverMode mode, const Rect& quartzStartFrame, double dx, double dy,
                                   bool resizeFromLeft, bool resizeFromTop) const {
    const Rect startFrame = ZRFlipRect(quartzStartFrame, m_primaryScreenHeight);
    Rect frame;
    if (mode == ZRHoverModeMove) {
        frame = startFrame.offsetBy(dx, -dy);
        if (m_displayRestrictionPriority > 0)
            frame = ZRConfineFrame(frame, m_skafableFrame);
    } else {
        frame = resized(startFrame, dx, dy, resizeFromLeft, resizeFromTop);
    }
    if (m_hasScreen && (m_sticksToEdges || m_sticksToCenters || m_sticksToOriginalSize))
        frame = stuck(frame, startFrame, mode, resizeFromLeft, resizeFromTop);
    return ZRFlipRect(frame, m_primaryScreenHeight);
}

Rect ZRHoverGeometry::resized(Rect frame, double dx, double dy, bool fromLeft, bool fromTop) const {
    if (fromLeft) {
        frame.origin.x += dx;
        frame.size.width -= dx;
    } else {
        frame.size.width += dx;
    }
    // Quartz dy goes down: from the top it lowers the top edge, else it lowers the bottom edge.
    if (fromTop) {
        frame.size.height -= dy;
    } else {
        frame.origin.y -= dy;
        frame.size.height += dy;
    }
    if (m_displayRestrictionPriority >= 0) {
        // Clipping a frame that has turned itself inside out would turn it back; and a window on no part of
        // the usable frame (on another display) keeps its frame rather than vanish into the zero rectangle.
        frame = atLeastMinimumSize(frame, fromLeft, fromTop);
        const Rect clipped = frame.intersected(m_resizeBounds);
        if (!clipped.isEmpty())
            frame = clipped;
    }
    return atLeastMinimumSize(frame, fromLeft, fromTop);
}

Rect ZRHoverGeometry::stuck(Rect frame, const Rect& startFrame, ZRHoverMode mode, bool fromLeft,
                            bool fromTop) const {
    const bool move = mode == ZRHoverModeMove;
    bool keptWidth = false;
    bool keptHeight = false;
    if (!move && m_sticksToOriginalSize) {
        if (near(frame.width(), startFrame.width())) {
            if (fromLeft)
                frame.origin.x = frame.maxX() - startFrame.width();
            frame.size.width = startFrame.width();
            keptWidth = true;
        }
        if (near(frame.height(), startFrame.height())) {
            if (!fromTop)
                frame.origin.y = frame.maxY() - startFrame.height();
            frame.size.height = startFrame.height();
            keptHeight = true;
        }
    }

    // A move takes the whole window to an edge; a resize only the edge it moves.
    const Rect& fill = m_fillFrame;
    bool caught = false;
    if (m_sticksToEdges && !keptWidth) {
        if ((move || fromLeft) && near(frame.minX(), fill.minX())) {
            if (!move)
                frame.size.width = frame.maxX() - fill.minX();
            frame.origin.x = fill.minX();
            caught = true;
        } else if ((move || !fromLeft) && near(frame.maxX(), fill.maxX())) {
            if (move)
                frame.origin.x = fill.maxX() - frame.width();
            else
                frame.size.width = fill.maxX() - frame.minX();
            caught = true;
        }
    }
    if (m_sticksToEdges && !keptHeight) {
        if ((move || fromTop) && near(frame.maxY(), fill.maxY())) {
            if (move)
                frame.origin.y = fill.maxY() - frame.height();
            else
                frame.size.height = fill.maxY() - frame.minY();
            caught = true;
        } else if ((move || !fromTop) && near(frame.minY(), fill.minY())) {
            if (!move)
                frame.size.height = frame.maxY() - fill.minY();
            frame.origin.y = fill.minY();
            caught = true;
        }
    }

    if (move && m_sticksToCenters && !caught) {
        const Rect centered = ZRCenteredFrame(frame, m_skafableFrame, false);
        if (near(frame.x(), centered.x()))
            frame.origin.x = centered.x();
        if (near(frame.y(), centered.y())) {
            frame.origin.y = centered.y();
        } else {
            const Rect geometric = ZRCenteredFrame(frame, m_skafableFrame, true);
            if (near(frame.y(), geometric.y()))
                frame.origin.y = geometric.y();
        }
    }
    return frame;
}
