#include "toolkit/ArrowKeyForHJKL.h"

#include "platform/foundation/UserDefaults.h"

char16_t ZRArrowKeyForHJKL(char16_t character, KeyCode keyCode) {
    const UserDefaults& defaults = UserDefaults::standard();
    ZRHJKLSettings settings;
    settings.disableKeyboardLayoutEquivalents =
        defaults.boolForKey(QStringLiteral("HJKL: Disable Keyboard Layout Equivalents"));
    settings.disablePhysicalKeyEquivalents =
        defaults.boolForKey(QStringLiteral("HJKL: Disable Physical Key Equivalents"));
    return ZRArrowKeyForHJKL(character, keyCode, settings);
}
