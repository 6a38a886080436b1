#pragma once

#include "platform/Geometry.h"
#include "platform/Keys.h"

#include <QString>

class InputState {
public:
    virtual ~InputState() = default;

    // The pointer in Quartz coordinates.
    virtual Point pointerLocation() const = 0;
    // The modifier keys held now, with the side bits of the keys that are down.
    virtual ModifierFlags modifierFlags() const = 0;
    // The character the key gives in the current keyboard layout with the given modifiers, or an
    // empty string when it gives none.
    virtual QString characterForKeyCode(KeyCode keyCode, ModifierFlags modifiers = 0) const = 0;
    // Whether Fn is seen held as a modifier key of its own; where it is not, no setting asks for it.
    virtual bool reportsFunctionModifier() const = 0;
    // Seconds before a held key repeats, and between repeats.
    virtual double keyRepeatDelay() const = 0;
    virtual double keyRepeatInterval() const = 0;
};
