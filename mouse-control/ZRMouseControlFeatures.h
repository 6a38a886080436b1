#pragma once

#include "platform/Keys.h"

#include <functional>

class UserDefaults;
class ZRActionManager;

// Which features of mouse control are on, and with which modifier keys: read on every tapped event instead
// of the settings. A value: the mouse controller computes a new one when a setting, the layouts or the
// frontmost application change, and sets it as a whole.
struct ZRMouseControlFeatures {
    bool paletteOn = false;
    // "Snap" is on and at least one snap position has an action.
    bool snapOn = false;
    bool snapBackOn = false;
    // Drop zones can be shown while a window is dragged.
    bool dropSnapOn = false;
    // Snaps are previewed and applied on mouse up instead of at once.
    bool previewBeforeSnap = false;

    // Modifier flags, reduced to the keys the tap tells apart (Shift, Control, Option, Command, Fn).
    // 0 when the gesture is off; no resize keys when they equal the move keys.
    ModifierFlags hoverMoveModifiers = 0;
    ModifierFlags hoverResizeModifiers = 0;
    // The drop-snap modifier keys that also start a hover move.
    ModifierFlags dropSnapHoverModifiers = 0;

    // The frontmost application is on the "Front" ignore list: no tap meanwhile.
    bool frontmostIgnored = false;

    // Whether any feature needs the tap.
    bool anyFeatureOn() const {
        return paletteOn || snapOn || snapBackOn || dropSnapOn || hoverMoveModifiers != 0 ||
               hoverResizeModifiers != 0 || dropSnapHoverModifiers != 0;
    }
    // Snapping, snap back or drop snap: the tap follows the left button.
    bool snapsWindows() const { return snapOn || snapBackOn || dropSnapOn; }

    // The snap, drop-snap and hover features as the settings and the store's layouts say. The palette and
    // the frontmost application are not settings of these: they stay off. The store is asked for only when
    // drop snap goes by the layouts' hot keys: at launch it must not be made before it loads.
    using ActionStore = std::function<const ZRActionManager&()>;
    static ZRMouseControlFeatures fromSettings(const UserDefaults& defaults, const ActionStore& store);

    bool operator==(const ZRMouseControlFeatures&) const = default;
};
