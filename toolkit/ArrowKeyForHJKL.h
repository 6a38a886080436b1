#pragma once

#include "platform/Keys.h"

class UserDefaults;

// The vi keys as arrows for the keyboard menu: the characters h, j, k and l become the left, down, up and
// right arrow function keys, unless "HJKL: Disable Keyboard Layout Equivalents" is on; with that on, the
// keys in the places of H, J, K and L do, unless "HJKL: Disable Physical Key Equivalents" is on too. Any
// other input comes back unchanged. Reads the two switches from the settings given; main thread.
char16_t ZRArrowKeyForHJKL(char16_t character, KeyCode keyCode, const UserDefaults& defaults);

struct ZRHJKLSettings {
    bool disableKeyboardLayoutEquivalents = false;
    bool disablePhysicalKeyEquivalents = false;
};
// The same with the two switches given.
char16_t ZRArrowKeyForHJKL(char16_t character, KeyCode keyCode, ZRHJKLSettings settings);
