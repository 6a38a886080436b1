#pragma once

#include "platform/GlobalHotKeys.h"
#include "platform/Keys.h"

#include <cstdint>

// Conversions and comparisons of modifier flags for hot keys and the mouse controls.

// The hot-key registration mask of the flags (HotKeyModifier): command, shift, option, control and
// function; every other bit is dropped.
inline std::uint32_t ZRCarbonModifiersFromCocoaFlags(ModifierFlags flags) {
    return hotKeyModifierMask(flags);
}

// How modifier flags are compared. Each ignored state (caps lock, function, numeric pad) is forced on for
// both sides; with an exact match, when both sides carry side bits, the left and right keys must agree
// too, otherwise only the device-independent modifiers count.
struct ZRModifierMatchOptions {
    bool requireExactModifierMatch = false;
    bool ignoreCapsLock = true;
    bool ignoreFunctionKey = true;
    bool ignoreNumericPadKey = true;
};

// Whether an event's flags match a hot key's.
bool ZRHotKeyModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags,
                                const ZRModifierMatchOptions& options);
// The same, writing a debug line with both sides and the answer when logDebugLine is set.
bool ZRModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags,
                          const ZRModifierMatchOptions& options, bool logDebugLine);

// The flags reduced to shift, control, option, command, numeric pad and function.
ModifierFlags ZREventModifierMask(ModifierFlags flags);
