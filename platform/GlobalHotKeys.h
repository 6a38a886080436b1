#pragma once

#include "platform/Keys.h"
#include "platform/Signal.h"

#include <cstdint>
#include <optional>
#include <vector>

// Keyboard shortcuts registered with the desktop: they reach the program while any application
// is in front.

using HotKeyReference = std::uint64_t; // never 0 for a registration

// Modifier mask of a registration, in the bits of the platform the records were first written for.
using HotKeyModifierMask = std::uint32_t;

namespace HotKeyModifier {
inline constexpr HotKeyModifierMask Command = 256;
inline constexpr HotKeyModifierMask Shift = 512;
inline constexpr HotKeyModifierMask Option = 2048;
inline constexpr HotKeyModifierMask Control = 4096;
inline constexpr HotKeyModifierMask Function = 131072;
} // namespace HotKeyModifier

// The registration mask of modifier flags: Command, Shift, Option, Control and Fn; every other bit
// (caps lock, numeric pad, the sides of the keys) is dropped.
constexpr HotKeyModifierMask hotKeyModifierMask(ModifierFlags flags) {
    constexpr struct {
        ModifierFlags flag;
        HotKeyModifierMask bit;
    } bits[] = {
        {ModifierFlag::Command, HotKeyModifier::Command},   {ModifierFlag::Shift, HotKeyModifier::Shift},
        {ModifierFlag::Option, HotKeyModifier::Option},     {ModifierFlag::Control, HotKeyModifier::Control},
        {ModifierFlag::Function, HotKeyModifier::Function},
    };
    HotKeyModifierMask mask = 0;
    for (const auto& entry : bits) {
        if (flags & entry.flag)
            mask |= entry.bit;
    }
    return mask;
}

enum class HotKeyRegistrationStatus {
    Success,
    Taken,      // another program holds the combination
    InvalidKey, // no key of this keyboard has that code
    Failed,
};

struct HotKeyEvent {
    HotKeyReference reference = 0;
    bool pressed = true; // false: released
    std::uint32_t signature = 0;
    std::uint32_t identifier = 0;
    double timestamp = 0; // seconds, on the clock of the main run loop
    // The modifier keys held for this press or release (side bits where the desktop tells them), which
    // may be up again by the time the program handles it.
    ModifierFlags modifierFlags = 0;
};

// One registration of several made together, with what it came to.
struct HotKeyRegistrationRequest {
    KeyCode keyCode = 0;
    HotKeyModifierMask modifiers = 0;
    std::uint32_t signature = 0;
    std::uint32_t identifier = 0;
    HotKeyRegistrationStatus status = HotKeyRegistrationStatus::Failed;
    HotKeyReference reference = 0; // 0 unless it succeeded
};

class GlobalHotKeys {
public:
    virtual ~GlobalHotKeys() = default;

    [[nodiscard]] virtual HotKeyRegistrationStatus
    registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers, std::uint32_t signature,
                   std::uint32_t identifier, HotKeyReference& reference) = 0;
    // Registers each request as registerHotKey would, in order, and fills in its status and reference. A
    // desktop that can asks for all of them before it waits for any answer; here they go one by one.
    virtual void registerHotKeys(std::vector<HotKeyRegistrationRequest>& requests) {
        for (HotKeyRegistrationRequest& request : requests)
            request.status = registerHotKey(request.keyCode, request.modifiers, request.signature,
                                            request.identifier, request.reference);
    }
    virtual bool unregisterHotKey(HotKeyReference reference) = 0;
    // The registration the key would press with those modifier keys held; none when it presses none.
    // While the program holds the keyboard, the desktop hands presses of registered hot keys to the
    // program's window as plain key presses, which this tells apart.
    virtual std::optional<HotKeyEvent> registeredHotKey(KeyCode keyCode, ModifierFlags modifiers) const = 0;

    // Presses and releases of registered hot keys, on the main thread.
    Signal<const HotKeyEvent&> hotKeyEvent;
};
