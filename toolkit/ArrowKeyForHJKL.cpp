#include "toolkit/ArrowKeyForHJKL.h"

#include "platform/foundation/UserDefaults.h"
#include "toolkit/KeyStrings.h"

char16_t ZRArrowKeyForHJKL(char16_t character, KeyCode keyCode, ZRHJKLSettings settings) {
    if (!settings.disableKeyboardLayoutEquivalents) {
        switch (character) {
        case u'h':
            return FunctionKeyCharacter::LeftArrow;
        case u'j':
            return FunctionKeyCharacter::DownArrow;
        case u'k':
            return FunctionKeyCharacter::UpArrow;
        case u'l':
            return FunctionKeyCharacter::RightArrow;
        default:
            return character;
        }
    }
    if (settings.disablePhysicalKeyEquivalents)
        return character;
    switch (keyCode) {
    case Key::H:
        return FunctionKeyCharacter::LeftArrow;
    case Key::J:
        return FunctionKeyCharacter::DownArrow;
    case Key::K:
        return FunctionKeyCharacter::UpArrow;
    case Key::L:
        return FunctionKeyCharacter::RightArrow;
    default:
        return character;
    }
}

char16_t ZRArrowKeyForHJKL(char16_t character, KeyCode keyCode, const UserDefaults& defaults) {
    ZRHJKLSettings settings;
    settings.disableKeyboardLayoutEquivalents =
        defaults.boolForKey(QStringLiteral("HJKL: Disable Keyboard Layout Equivalents"));
    settings.disablePhysicalKeyEquivalents =
        defaults.boolForKey(QStringLiteral("HJKL: Disable Physical Key Equivalents"));
    return ZRArrowKeyForHJKL(character, keyCode, settings);
}
