#include "toolkit/ModifierFlagsMatching.h"

#include <gtest/gtest.h>

namespace {

using namespace ModifierFlag;

TEST(ModifierFlagsMatching, CarbonMask) {
    const std::vector<std::pair<ModifierFlags, std::uint32_t>> cases = {
        {0, 0},
        {Command, 256},
        {Shift | Option, 512 | 2048},
        {Control | Function, 4096 | 131072},
        {CapsLock | NumericPad | Help | LeftCommand, 0},
        {Command | Shift | Option | Control | Function | CapsLock, 256 | 512 | 2048 | 4096 | 131072},
    };
    for (const auto& [flags, carbon] : cases) {
        EXPECT_EQ(ZRCarbonModifiersFromCocoaFlags(flags), carbon) << std::hex << flags;
    }
}

TEST(ModifierFlagsMatching, HotKeyFlags) {
    struct Case {
        const char* what;
        ModifierFlags candidate;
        ModifierFlags hotKey;
        bool ignoreCapsLock;
        bool ignoreFunction;
        bool ignoreNumericPad;
        bool exact;
        bool match;
    };
    const std::vector<Case> cases = {
        {"same", Command, Command, false, false, false, false, true},
        {"extra modifier", Command | Shift, Command, true, true, true, false, false},
        {"missing modifier", Command, Command | Option, true, true, true, false, false},
        {"caps lock ignored", Command | CapsLock, Command, true, false, false, false, true},
        {"caps lock counted", Command | CapsLock, Command, false, false, false, false, false},
        {"caps lock in the hot key ignored", Command, Command | CapsLock, true, false, false, false, true},
        {"function ignored", Command | Function, Command, false, true, false, false, true},
        {"function counted", Command | Function, Command, false, false, false, false, false},
        {"numeric pad ignored", Command | NumericPad, Command, false, false, true, false, true},
        {"numeric pad counted", Command | NumericPad, Command, false, false, false, false, false},
        {"sides differ, not exact", Command | LeftCommand, Command | RightCommand, false, false, false, false,
         true},
        {"sides differ, exact", Command | LeftCommand, Command | RightCommand, false, false, false, true,
         false},
        {"sides agree, exact", Command | Shift | LeftCommand | RightShift,
         Command | Shift | LeftCommand | RightShift, false, false, false, true, true},
        {"hot key without sides, exact", Command | LeftCommand, Command, false, false, false, true, true},
        {"event without sides, exact", Command, Command | RightCommand, false, false, false, true, true},
        {"right control, exact", Control | RightControl, Control | LeftControl, false, false, false, true,
         false},
        {"bits above the modifier byte", Command | 0x1000000, Command, false, false, false, true, true},
    };
    for (const auto& c : cases) {
        const ZRModifierMatchOptions options{.requireExactModifierMatch = c.exact,
                                             .ignoreCapsLock = c.ignoreCapsLock,
                                             .ignoreFunctionKey = c.ignoreFunction,
                                             .ignoreNumericPadKey = c.ignoreNumericPad};
        EXPECT_EQ(ZRHotKeyModifierFlagsMatch(c.candidate, c.hotKey, options), c.match) << c.what;
        EXPECT_EQ(ZRModifierFlagsMatch(c.candidate, c.hotKey, options, false), c.match) << c.what;
    }
}

TEST(ModifierFlagsMatching, EventMask) {
    EXPECT_EQ(ZREventModifierMask(0xFFFFFFFF), 0xBE0000u);
    EXPECT_EQ(ZREventModifierMask(CapsLock | Help | LeftShift), 0u);
    EXPECT_EQ(ZREventModifierMask(Shift | LeftShift | NumericPad), Shift | NumericPad);
}

} // namespace
