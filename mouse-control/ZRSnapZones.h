#pragma once

#include "platform/Geometry.h"
#include "window-access/VirtualScreen.h"

#include <cstdint>
#include <optional>
#include <vector>

class UserDefaults;

// The snap zones of the screens: bands along each screen's edges, and corners that reach further along the
// edges, where a dragged window snaps. Frames and points are in Cocoa coordinates.
struct ZRSnapZoneSettings {
    // How deep the bands are ("Snap: Drag Zone Width", 15 below 1), and how far the corners reach along the
    // edges ("Snap: Drag Zone Width: Chooser", 100 below 1; never less than the bands). While the keyboard
    // menu shows a chooser, the bands are as deep as the corners reach, so the pointer can move along it.
    double bandDepth = 0;
    double cornerReach = 0;
    // No snapping where screens meet.
    bool ignoreBorderingEdgesAndCorners = false;

    static ZRSnapZoneSettings read(const UserDefaults& defaults, bool keyboardMenuVisible);
};

// Where the pointer is among the zones.
struct ZRSnapZone {
    ZRVirtualScreen screen;
    // 3 top, 4 top right, 5 right, 6 bottom right, 7 bottom, 8 bottom left, 9 left, 10 top left; 0 away from
    // the bands.
    std::int64_t position = 0;
};

// The zone under the pointer: on the screen that holds it (else the last one it nearly touches), in the
// band or corner it lies in, or position 0 inside the bands. None off every screen, and where screens meet
// when those places are ignored (not for snapping back, which looks only at the inside).
std::optional<ZRSnapZone> ZRSnapZoneAtLocation(Point location, const std::vector<ZRVirtualScreen>& screens,
                                               const ZRSnapZoneSettings& settings, bool forSnappingBack);

// Which of n members a chooser on the zone offers at the pointer: by the pointer's place along the top and
// bottom edges (left to right) and the side edges (top to bottom) between the corners' reach; the last
// member in the bottom corners and the first in the top ones. -1 for no members.
std::int64_t ZRSnapChooserIndex(std::int64_t position, Point location, const Rect& screenFrame,
                                double cornerReach, std::int64_t n);
