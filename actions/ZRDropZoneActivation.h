#pragma once

#include <QString>

class ZRAction;

// The setting that turns the drop zones on.
inline const QString ZRDropSnapUserDefaultName = QStringLiteral("Drop Snap");

// The drop zones of a layout while a window is dragged, as the action engine reaches them; mouse
// control implements it.
class ZRDropZoneActivation {
public:
    virtual ~ZRDropZoneActivation() = default;

    // A window is being dragged with the mouse.
    virtual bool isDraggingWindow() const = 0;
    virtual bool isActive() const = 0;
    // Shows the layout's zones; false when there is nothing to show.
    virtual bool activateForAction(const ZRAction& action) = 0;
    // False when the zones were not shown.
    virtual bool deactivate() = 0;
};
