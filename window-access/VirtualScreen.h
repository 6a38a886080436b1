#pragma once

#include "platform/Geometry.h"
#include "platform/Screens.h"
#include "window-access/Position.h"

class UserDefaults;

#include <optional>
#include <vector>

// A logical screen: a whole display, one cell of a display split into equal columns and rows, or the
// union of all of them. Frames are in Cocoa coordinates.
//
// Settings: "Virtual Screen Layout: %lu" with the display's index in display order (0 for the primary
// display) holds a dictionary with the integers "Columns" and "Rows" (each 1 to 16) that split the
// display's usable frame into equal cells, ordered left to right and top to bottom; "Virtual Screen
// Layout: Union" adds one screen spanning all the others, after them, when there are several.
class ZRVirtualScreen {
public:
    static constexpr int MaximumSplit = 16;

    // The current virtual screens in display order under the layout in the settings; empty only while no
    // display is attached.
    static std::vector<ZRVirtualScreen> screens(const UserDefaults& defaults);
    // The virtual screens of the given displays under the layout in the settings.
    static std::vector<ZRVirtualScreen> screensOfDisplays(const std::vector<ScreenInfo>& displays,
                                                          const UserDefaults& defaults);

    // The whole frame.
    Rect frame() const { return m_frame; }
    // The usable frame: the visible frame with the extra Dock spacing, widened to the display's edges
    // by "Ignore Menu Bar" (the top) and "Ignore Dock" (the sides a dock or panel takes).
    Rect skafableFrame() const { return m_skafableFrame; }
    Rect visibleFrame() const { return m_visibleFrame; }
    Rect visibleFrameWithExtraDockSpacing(const UserDefaults& defaults) const;
    // The display the screen lies on; the primary display for the union screen.
    const ScreenInfo& hostScreen() const { return m_hostScreen; }
    bool isUnion() const { return m_isUnion; }

    // The screen with the largest intersection with the frame; among equals the first. Without one,
    // the first screen when asked to fall back, else none (also for an empty list).
    static std::optional<ZRVirtualScreen>
    virtualScreenMostRelevantForFrame(const Rect& frame, const std::vector<ZRVirtualScreen>& fromScreens,
                                      bool fallBackToFirstScreen);
    static std::optional<ZRVirtualScreen> virtualScreenMostRelevantForFrame(const Rect& frame,
                                                                            bool fallBackToMainScreen,
                                                                            const UserDefaults& defaults);

    // Position 0: the screen under the point; 3, 5, 7, 9: its neighbour above, right, below, left.
    static std::optional<ZRVirtualScreen> screenAtPosition(std::int64_t position, Point relativeToLocation,
                                                           const UserDefaults& defaults);
    static std::optional<ZRVirtualScreen> screenAtPosition(std::int64_t position, Point relativeToLocation,
                                                           const std::vector<ZRVirtualScreen>& among);

    // The neighbour in the direction (ZRScreenDirection): a screen wholly on that side that overlaps
    // this one along the other axis, the nearest first. With loop and no such screen, the farthest
    // one on the opposite side.
    std::optional<ZRVirtualScreen> virtualScreenAtRelativePosition(int direction, bool loop,
                                                                   const UserDefaults& defaults) const;
    std::optional<ZRVirtualScreen>
    virtualScreenAtRelativePosition(int direction, bool loop,
                                    const std::vector<ZRVirtualScreen>& among) const;

    friend bool operator==(const ZRVirtualScreen& a, const ZRVirtualScreen& b) {
        return a.m_frame == b.m_frame && a.m_skafableFrame == b.m_skafableFrame &&
               a.m_visibleFrame == b.m_visibleFrame &&
               a.m_hostScreen.identifier == b.m_hostScreen.identifier && a.m_isUnion == b.m_isUnion;
    }

private:
    Rect m_frame;
    Rect m_visibleFrame;
    Rect m_skafableFrame;
    ScreenInfo m_hostScreen;
    bool m_isUnion = false;
};

// The setting of the extra spacing kept beside the Dock's side of a visible frame, in points.
inline constexpr char16_t ZRVisibleFrameExtraDockSpacingUserDefaultName[] = u"ZRVisibleFrameExtraDockSpacing";

// The visible frame shrunk by the integer setting "ZRVisibleFrameExtraDockSpacing" (when at least 1) on
// each of the left, right and bottom sides where it lies more than 10 points inside the frame: the side
// of the Dock. The zero rectangle for no screen.
Rect visibleFrameWithExtraDockSpacing(const ScreenInfo* screen, const UserDefaults& defaults);
Rect visibleFrameWithExtraDockSpacing(const Rect& frame, const Rect& visibleFrame,
                                      const UserDefaults& defaults);
