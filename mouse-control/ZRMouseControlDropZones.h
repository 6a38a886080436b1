#pragma once

#include "platform/Geometry.h"

#include <memory>

class ZRAction;

// The windows of a saved layout shown as drop zones while a window is dragged.
class ZRMouseControlDropZones {
public:
    virtual ~ZRMouseControlDropZones() = default;
    // Shows the zones of the layout (none: hides them); false when there is nothing to show.
    virtual bool activateForAction(const std::shared_ptr<ZRAction>& action) = 0;
    // Picks the zone under the pointer (Quartz); false while no zones are shown.
    virtual bool updateWithCGLocation(const Point& location) = 0;
    virtual bool isActive() const = 0;
    // The frame (Cocoa) of the zone last picked; the zero rectangle when none was.
    virtual Rect dropFrame() const = 0;
    // Hides the zones; false when none were shown.
    virtual bool deactivate() = 0;
};
