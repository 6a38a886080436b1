#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <QVariantMap>

// The full-size grid over a window's screen, which "use grid" actions and the palette's placeholder grid
// open; keyboard control implements it. A chosen cell sets the window's frame through the palette's action
// (ZRMouseController::skaf), the grid being the sender.
class ZRFullSizeGridOpener {
public:
    virtual ~ZRFullSizeGridOpener() = default;

    // Frames in Cocoa coordinates; the dimensions are the action's own columns and rows, empty for the
    // standard grid. False when the grid could not open.
    virtual bool activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                   const Rect& withinSkafableFrame,
                                   const QVariantMap& preferredGridDimensionsDictionary) = 0;
    // The window the open grid places; null while it is closed.
    virtual AXElementRef controlledWindow() const = 0;
};
