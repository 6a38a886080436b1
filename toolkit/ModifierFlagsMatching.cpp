#include "toolkit/ModifierFlagsMatching.h"

#include "toolkit/ZRLog.h"

#include <array>

namespace {

struct CarbonMapping {
    ModifierFlags cocoa;
    std::uint32_t carbon;
};

constexpr std::array carbonMappings{
    CarbonMapping{ModifierFlag::Command, CarbonModifier::Command},
    CarbonMapping{ModifierFlag::Shift, CarbonModifier::Shift},
    CarbonMapping{ModifierFlag::Option, CarbonModifier::Option},
    CarbonMapping{ModifierFlag::Control, CarbonModifier::Control},
    CarbonMapping{ModifierFlag::Function, CarbonModifier::Function},
};

// The device-independent modifier byte, and the same with the side bits.
constexpr ModifierFlags IndependentMatchMask = 0xFF0000;
constexpr ModifierFlags ExactMatchMask = IndependentMatchMask | ModifierFlag::SideMask;
constexpr ModifierFlags EventModifierMask = ModifierFlag::Shift | ModifierFlag::Control |
                                            ModifierFlag::Option | ModifierFlag::Command |
                                            ModifierFlag::NumericPad | ModifierFlag::Function;

} // namespace

std::uint32_t ZRCarbonModifiersFromCocoaFlags(ModifierFlags flags) {
    std::uint32_t carbon = 0;
    for (const auto& mapping : carbonMappings) {
        if (flags & mapping.cocoa)
            carbon |= mapping.carbon;
    }
    return carbon;
}

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
