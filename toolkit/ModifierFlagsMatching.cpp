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

bool ZRHotKeyModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags,
                                const ZRModifierMatchOptions& options) {
    ModifierFlags forced = 0;
    if (options.ignoreCapsLock)
        forced |= ModifierFlag::CapsLock;
    if (options.ignoreFunctionKey)
        forced |= ModifierFlag::Function;
    if (options.ignoreNumericPadKey)
        forced |= ModifierFlag::NumericPad;
    candidateFlags |= forced;
    hotKeyFlags |= forced;
    const bool bothHaveSides =
        (candidateFlags & ModifierFlag::SideMask) && (hotKeyFlags & ModifierFlag::SideMask);
    const ModifierFlags mask =
        options.requireExactModifierMatch && bothHaveSides ? ExactMatchMask : IndependentMatchMask;
    return (candidateFlags & mask) == (hotKeyFlags & mask);
}

bool ZRModifierFlagsMatch(ModifierFlags candidateFlags, ModifierFlags hotKeyFlags,
                          const ZRModifierMatchOptions& options, bool logDebugLine) {
    const bool match = ZRHotKeyModifierFlagsMatch(candidateFlags, hotKeyFlags, options);
    if (logDebugLine)
        ZRLog("[Debug] modifier flags 0x%llx %@ hot-key flags 0x%llx (exact: %@)", candidateFlags,
              match ? "match" : "do not match", hotKeyFlags, options.requireExactModifierMatch);
    return match;
}

ModifierFlags ZREventModifierMask(ModifierFlags flags) {
    return flags & EventModifierMask;
}
