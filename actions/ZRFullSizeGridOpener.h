#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <QVariantMap>

// The full-size grid over a window's screen, which "use grid" actions open; keyboard control implements
// it.
class ZRFullSizeGridOpener {
public:
    virtual ~ZRFullSizeGridOpener() = default;

    // Frames in Cocoa coordinates; the dimensions are the action's own columns and rows, empty for the
    // standard grid. False when the grid could not open.
    virtual bool activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                   const Rect& withinSkafableFrame,
                                   const QVariantMap& preferredGridDimensionsDictionary) = 0;
};
