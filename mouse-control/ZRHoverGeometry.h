#pragma once

#include "mouse-control/ZRMouseControlHover.h"
#include "platform/Geometry.h"

#include <cstdint>

class UserDefaults;

// Where the frames of one hover gesture go: the display of the frame the gesture began with, its usable
// frame, and the settings that keep the window on it and make it stick to edges, the centre and its
// starting size. Read once when the gesture begins, so that every step is plain arithmetic.
class ZRHoverGeometry {
public:
    // A window sticks to an edge, the centre or its starting size from closer than this (points).
    static constexpr double CatchDistance = 10;
    // A hover resize makes no window narrower or lower than this (points).
    static constexpr double MinimumSize = 20;

    // From the current displays and the settings given, for a gesture that begins with this frame (Quartz).
    static ZRHoverGeometry forStartFrame(const Rect& quartzStartFrame, const UserDefaults& defaults);

    // The frame (Quartz) of one step: the start frame moved by the summed pointer movement (whole points),
    // or resized by it at the corner given (Quartz sense: the top has the smaller y); then kept on the
    // display and stuck as the settings say.
    Rect frameForStep(ZRHoverMode mode, const Rect& quartzStartFrame, double dx, double dy,
                      bool resizeFromLeft, bool resizeFromTop) const;

private:
    Rect resized(Rect frame, double dx, double dy, bool fromLeft, bool fromTop) const;
    Rect stuck(Rect frame, const Rect& startFrame, ZRHoverMode mode, bool fromLeft, bool fromTop) const;

    // Stickiness works in Cocoa coordinates, as the usable frames are; frames are flipped once each way.
    double m_primaryScreenHeight = 0;
    bool m_hasScreen = false;
    // Of the display most relevant to the start frame (Cocoa): its usable frame; what a resize is clipped
    // to; and the frame a window fills there, with the grid's gaps at the edges.
    Rect m_skafableFrame;
    Rect m_resizeBounds;
    Rect m_fillFrame;
    // -1 without a display.
    std::int64_t m_displayRestrictionPriority = -1;
    bool m_sticksToEdges = false;
    bool m_sticksToCenters = false;
    bool m_sticksToOriginalSize = false;
};
