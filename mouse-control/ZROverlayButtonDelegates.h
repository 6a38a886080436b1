#pragma once

#include <QString>
#include <optional>

class QMenu;
class ZROverlayButton;

// Those a palette button asks while it is used. The palette sets them and keeps them alive for as long as
// a button holds them.

// Says which neighbouring screens a press may be dragged towards.
class ZROverlayButtonDragDirectionDelegate {
public:
    virtual ~ZROverlayButtonDragDirectionDelegate() = default;
    // Called as a press begins; sets the button's canDragScreen flags.
    virtual void prepareScreenDragDirectionsForOverlayButton(ZROverlayButton& button) = 0;
};

// Gives the tool tip of the button's present meaning.
class ZROverlayButtonToolTipProvider {
public:
    virtual ~ZROverlayButtonToolTipProvider() = default;
    // None leaves the tool tip as it is.
    virtual std::optional<QString> toolTipForOverlayButton(const ZROverlayButton& button) = 0;
};

// Gives the menu a menu button opens.
class ZROverlayButtonMenuDelegate {
public:
    virtual ~ZROverlayButtonMenuDelegate() = default;
    // A new menu that the button owns from then on, or null for none.
    virtual QMenu* menuForOverlayButton(ZROverlayButton& button) = 0;
};
