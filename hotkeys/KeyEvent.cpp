#include "hotkeys/KeyEvent.h"

#include "hotkeys/ZRHotKey.h"
#include "toolkit/KeyStrings.h"

namespace {

constexpr std::uint64_t LowWordMask = 0xFFFFFFFFu;

} // namespace

KeyEvent keyEventFromHotKeyEvent(const HotKeyEvent& event, ModifierFlags modifierFlags) {
    KeyEvent keyEvent;
    keyEvent.type = KeyEventType::SystemDefined;
    keyEvent.subtype =
        event.pressed ? SystemDefinedSubtype::HotKeyPressed : SystemDefinedSubtype::HotKeyReleased;
    keyEvent.data1 = event.reference;
    keyEvent.modifierFlags = modifierFlags;
    keyEvent.timestamp = event.timestamp;
    return keyEvent;
}

bool hotKeyReferencesAgree(std::uint64_t reference, std::uint64_t other) {
    return (reference & LowWordMask) == (other & LowWordMask);
}

QString visualKeyboardEventRepresentation(const KeyEvent& event, const UserDefaults& settings) {
    QString keyName = stringRepresentingKeyCode(event.keyCode, false);
    if (keyName.isEmpty())
        keyName = keyboardLabelString(event.charactersIgnoringModifiers);
    return stringRepresentingModifierFlags(event.modifierFlags,
                                           ZRHotKey::requireExactModifierMatches(settings)) +
           keyName;
}
