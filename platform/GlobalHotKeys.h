#pragma once

#include "platform/Keys.h"
#include "platform/Signal.h"

#include <cstdint>

// Keyboard shortcuts registered with the desktop: they reach the program while any application
// is in front.

using HotKeyReference = std::uint64_t;   // never 0 for a registration

// Modifier mask of a registration: Command 256, Shift 512, Option 2048, Control 4096, Fn 131072.
using HotKeyModifierMask = std::uint32_t;

enum class HotKeyRegistrationStatus {
    Success,
    Taken,        // another program holds the combination
    InvalidKey,   // no key of this keyboard has that code
    Failed,
};

struct HotKeyEvent {
    HotKeyReference reference = 0;
    bool pressed = true;     // false: released
    std::uint32_t signature = 0;
    std::uint32_t identifier = 0;
    double timestamp = 0;    // seconds, on the clock of the main run loop
};

class GlobalHotKeys {
public:
    virtual ~GlobalHotKeys() = default;

    virtual HotKeyRegistrationStatus registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers, std::uint32_t signature,
                                                    std::uint32_t identifier, HotKeyReference& reference) = 0;
    virtual bool unregisterHotKey(HotKeyReference reference) = 0;

    // Presses and releases of registered hot keys, on the main thread.
    Signal<const HotKeyEvent&> hotKeyEvent;
};
