#pragma once

#include "platform/Geometry.h"
#include "window-access/WindowDescription.h"

#include <optional>

// Where one window of a saved layout would stand on a current screen, shown while a window is dragged.
struct ZRDropZone {
    // Cocoa, and the same in Quartz for hit testing.
    Rect windowFrame;
    Rect windowCGFrame;
    // The usable frame of the screen the window stood on when the layout was saved, and that of the
    // current screen the zone is shown on.
    Rect originalSkafableFrame;
    Rect assignedSkafableFrame;
    // The grid's inner frame of that current screen.
    Rect assignedFullFrame;

    // None when the description has no "Window Frame" with an area; a missing "Available Screen Frame"
    // reads as the zero rectangle.
    static std::optional<ZRDropZone> dropZoneWithWindowDescription(const ZRWindowDescription& description);
    // A zone of the same saved window, not yet shown anywhere.
    ZRDropZone clone() const { return {windowFrame, {}, originalSkafableFrame, {}, {}}; }
};
