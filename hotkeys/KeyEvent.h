#pragma once

#include "platform/GlobalHotKeys.h"
#include "platform/Keys.h"

#include <QString>
#include <cstdint>

class UserDefaults;

// A key press as the hot-key code sees it, whether it came from one of our own windows or from a hot
// key registered with the desktop. Types and subtypes keep the numbers of the platform the behaviour
// was first written for, so the two kinds of press are told apart as they always were.
enum class KeyEventType : int {
    KeyDown = 10,
    SystemDefined = 14,
};

namespace SystemDefinedSubtype {
inline constexpr int HotKeyPressed = 6;
inline constexpr int HotKeyReleased = 9;
} // namespace SystemDefinedSubtype

struct KeyEvent {
    KeyEventType type = KeyEventType::KeyDown;
    // System-defined events only.
    int subtype = 0;
    // System-defined hot-key events: the registration the press belongs to.
    std::uint64_t data1 = 0;
    // Key-down events only.
    KeyCode keyCode = 0;
    QString characters;
    // The characters as if no modifier but Shift were held.
    QString charactersIgnoringModifiers;
    // The modifier keys held, with side bits where the desktop reports them.
    ModifierFlags modifierFlags = 0;
    // The press repeats because the key is held.
    bool isARepeat = false;
    // Seconds on the clock of the main run loop.
    double timestamp = 0;

    bool isHotKeyPress() const {
        return type == KeyEventType::SystemDefined && subtype == SystemDefinedSubtype::HotKeyPressed;
    }
    bool isHotKeyRelease() const {
        return type == KeyEventType::SystemDefined && subtype == SystemDefinedSubtype::HotKeyReleased;
    }
};

// A hot-key press or release of the desktop as a system-defined event, with the modifier keys held
// at the time.
KeyEvent keyEventFromHotKeyEvent(const HotKeyEvent& event, ModifierFlags modifierFlags);

// Whether two hot-key references name the same registration. Only their low 32 bits travel with a
// hot-key event, so only those count.
bool hotKeyReferencesAgree(std::uint64_t reference, std::uint64_t other);

// The text the key press would get as a hot key: the modifier glyphs (left and right told apart when
// hot keys require exact modifier matches), then the key's name, or, for a key without a name, the
// characters it types, labelled as on a key cap. The settings tell whether hot keys require exact matches.
QString visualKeyboardEventRepresentation(const KeyEvent& event, const UserDefaults& settings);
