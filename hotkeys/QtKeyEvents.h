#pragma once

#include "hotkeys/KeyEvent.h"

#include <Qt>
#include <optional>

class InputState;
class QKeyEvent;

// Key presses of our own windows in the program's canonical form.

// The virtual key code of a Qt key; keypad keys are told apart by Qt's keypad modifier. Printable keys
// are found in the desktop's current keyboard layout, else at their places on a US keyboard. Empty for
// keys that have no code.
// The layout is the desktop's keyboard state; without one (null) every key is at its American place.
std::optional<KeyCode> virtualKeyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers,
                                              const InputState* input);

// Shift, Control, Alt as Option, Meta (the Super key) as Command, and the keypad.
ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers modifiers);

// The press as a key-down event. As on the platform the key codes come from, function keys carry the
// function flag and arrow keys the numeric-pad flag too; side bits and caps lock come from the desktop's
// input state given (null without a desktop), and the event carries the time given. Empty for a key without
// a code and for modifier keys, which make no key-down.
std::optional<KeyEvent> keyEventFromQKeyEvent(const QKeyEvent& event, const InputState* input,
                                              double timestamp);
