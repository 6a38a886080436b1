#include "toolkit/ModifierFlagsMatching.h"

#include "toolkit/ZRLog.h"


namespace {

// The device-independent modifier byte, and the same with the side bits.
constexpr ModifierFlags IndependentMatchMask = 0xFF0000;
constexpr ModifierFlags ExactMatchMask = IndependentMatchMask | ModifierFlag::SideMask;
constexpr ModifierFlags EventModifierMask = ModifierFlag::Shift | ModifierFlag::Control |
                                            ModifierFlag::Option | ModifierFlag::Command |
                                            ModifierFlag::NumericPad | ModifierFlag::Function;

} // namespace

bool ZRHotKeyModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags, bool ignoreCapsLock,
                                bool ignoreFunctionKey, bool ignoreNumericPad, bool exact) {
    ModifierFlags forced = 0;
    if (ignoreCapsLock)
        forced |= ModifierFlag::CapsLock;
    if (ignoreFunctionKey)
        forced |= ModifierFlag::Function;
    if (ignoreNumericPad)
        forced |= ModifierFlag::NumericPad;
    candidateFlags |= forced;
    hotKeyFlags |= forced;
    const bool bothHaveSides =
        (candidateFlags & ModifierFlag::SideMask) && (hotKeyFlags & ModifierFlag::SideMask);
    const ModifierFlags mask = exact && bothHaveSides ? ExactMatchMask : IndependentMatchMask;
    return (candidateFlags & mask) == (hotKeyFlags & mask);
}

bool ZRModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags, bool ignoreCapsLock,
                          bool ignoreFunctionKey, bool ignoreNumericPad, bool exact, bool logDebugLine) {
    const bool match = ZRHotKeyModifierFlagsMatch(candidateFlags, hotKeyFlags, ignoreCapsLock,
                                                  ignoreFunctionKey, ignoreNumericPad, exact);
    if (logDebugLine)
        ZRLog("[Debug] modifier flags 0x%llx %@ hot-key flags 0x%llx (exact: %@)", candidateFlags,
              match ? "match" : "do not match", hotKeyFlags, exact);
    return match;
}

ModifierFlags ZREventModifierMask(ModifierFlags flags) {
    return flags & EventModifierMask;
}
