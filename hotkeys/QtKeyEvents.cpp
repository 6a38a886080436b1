#include "hotkeys/QtKeyEvents.h"

#include "platform/InputState.h"
#include "toolkit/KeyStrings.h"

#include <QKeyEvent>
#include <array>

namespace {

using namespace ModifierFlag;

struct SpecialKey {
    int qtKey;
    KeyCode keyCode;
    ModifierFlags flags; // what the platform the key codes come from adds for the key
};

constexpr ModifierFlags ArrowFlags = Function | NumericPad;

constexpr std::array specialKeys{
    SpecialKey{Qt::Key_Return, Key::Return, 0},
    SpecialKey{Qt::Key_Enter, Key::KeypadEnter, NumericPad},
    SpecialKey{Qt::Key_Tab, Key::Tab, 0},
    SpecialKey{Qt::Key_Backtab, Key::Tab, 0},
    SpecialKey{Qt::Key_Space, Key::Space, 0},
    SpecialKey{Qt::Key_Backspace, Key::Delete, 0},
    SpecialKey{Qt::Key_Escape, Key::Escape, 0},
    SpecialKey{Qt::Key_Delete, Key::ForwardDelete, Function},
    // The Help key sits where PC keyboards have Insert.
    SpecialKey{Qt::Key_Insert, Key::Help, Function},
    SpecialKey{Qt::Key_Help, Key::Help, Function},
    SpecialKey{Qt::Key_Home, Key::Home, Function},
    SpecialKey{Qt::Key_End, Key::End, Function},
    SpecialKey{Qt::Key_PageUp, Key::PageUp, Function},
    SpecialKey{Qt::Key_PageDown, Key::PageDown, Function},
    SpecialKey{Qt::Key_Left, Key::LeftArrow, ArrowFlags},
    SpecialKey{Qt::Key_Right, Key::RightArrow, ArrowFlags},
    SpecialKey{Qt::Key_Down, Key::DownArrow, ArrowFlags},
    SpecialKey{Qt::Key_Up, Key::UpArrow, ArrowFlags},
    SpecialKey{Qt::Key_F1, Key::F1, Function},
    SpecialKey{Qt::Key_F2, Key::F2, Function},
    SpecialKey{Qt::Key_F3, Key::F3, Function},
    SpecialKey{Qt::Key_F4, Key::F4, Function},
    SpecialKey{Qt::Key_F5, Key::F5, Function},
    SpecialKey{Qt::Key_F6, Key::F6, Function},
    SpecialKey{Qt::Key_F7, Key::F7, Function},
    SpecialKey{Qt::Key_F8, Key::F8, Function},
    SpecialKey{Qt::Key_F9, Key::F9, Function},
    SpecialKey{Qt::Key_F10, Key::F10, Function},
    SpecialKey{Qt::Key_F11, Key::F11, Function},
    SpecialKey{Qt::Key_F12, Key::F12, Function},
    SpecialKey{Qt::Key_F13, Key::F13, Function},
    SpecialKey{Qt::Key_F14, Key::F14, Function},
    SpecialKey{Qt::Key_F15, Key::F15, Function},
    SpecialKey{Qt::Key_F16, Key::F16, Function},
    SpecialKey{Qt::Key_F17, Key::F17, Function},
    SpecialKey{Qt::Key_F18, Key::F18, Function},
    SpecialKey{Qt::Key_F19, Key::F19, Function},
    SpecialKey{Qt::Key_F20, Key::F20, Function},
    SpecialKey{Qt::Key_Menu, Key::ContextMenu, Function},
    SpecialKey{Qt::Key_Clear, Key::KeypadClear, NumericPad},
    SpecialKey{Qt::Key_CapsLock, Key::CapsLock, 0},
    SpecialKey{Qt::Key_Shift, Key::Shift, 0},
    SpecialKey{Qt::Key_Control, Key::Control, 0},
    SpecialKey{Qt::Key_Alt, Key::Option, 0},
    SpecialKey{Qt::Key_Meta, Key::Command, 0},
    SpecialKey{Qt::Key_Super_L, Key::Command, 0},
    SpecialKey{Qt::Key_Super_R, Key::RightCommand, 0},
    SpecialKey{Qt::Key_VolumeUp, Key::VolumeUp, 0},
    SpecialKey{Qt::Key_VolumeDown, Key::VolumeDown, 0},
    SpecialKey{Qt::Key_VolumeMute, Key::Mute, 0},
};

struct KeypadKey {
    char16_t character;
    KeyCode keyCode;
};

constexpr std::array keypadKeys{
    KeypadKey{u'0', Key::Keypad0},        KeypadKey{u'1', Key::Keypad1},
    KeypadKey{u'2', Key::Keypad2},        KeypadKey{u'3', Key::Keypad3},
    KeypadKey{u'4', Key::Keypad4},        KeypadKey{u'5', Key::Keypad5},
    KeypadKey{u'6', Key::Keypad6},        KeypadKey{u'7', Key::Keypad7},
    KeypadKey{u'8', Key::Keypad8},        KeypadKey{u'9', Key::Keypad9},
    KeypadKey{u'.', Key::KeypadDecimal},  KeypadKey{u',', Key::KeypadDecimal},
    KeypadKey{u'*', Key::KeypadMultiply}, KeypadKey{u'+', Key::KeypadPlus},
    KeypadKey{u'-', Key::KeypadMinus},    KeypadKey{u'/', Key::KeypadDivide},
    KeypadKey{u'=', Key::KeypadEquals},
};

// The printable keys of a US keyboard, plain and shifted, for when the desktop cannot tell.
struct UsKey {
    char16_t plain;
    char16_t shifted;
    KeyCode keyCode;
};

constexpr std::array usKeys{
    UsKey{u'a', u'A', Key::A},           UsKey{u'b', u'B', Key::B},
    UsKey{u'c', u'C', Key::C},           UsKey{u'd', u'D', Key::D},
    UsKey{u'e', u'E', Key::E},           UsKey{u'f', u'F', Key::F},
    UsKey{u'g', u'G', Key::G},           UsKey{u'h', u'H', Key::H},
    UsKey{u'i', u'I', Key::I},           UsKey{u'j', u'J', Key::J},
    UsKey{u'k', u'K', Key::K},           UsKey{u'l', u'L', Key::L},
    UsKey{u'm', u'M', Key::M},           UsKey{u'n', u'N', Key::N},
    UsKey{u'o', u'O', Key::O},           UsKey{u'p', u'P', Key::P},
    UsKey{u'q', u'Q', Key::Q},           UsKey{u'r', u'R', Key::R},
    UsKey{u's', u'S', Key::S},           UsKey{u't', u'T', Key::T},
    UsKey{u'u', u'U', Key::U},           UsKey{u'v', u'V', Key::V},
    UsKey{u'w', u'W', Key::W},           UsKey{u'x', u'X', Key::X},
    UsKey{u'y', u'Y', Key::Y},           UsKey{u'z', u'Z', Key::Z},
    UsKey{u'1', u'!', Key::Digit1},      UsKey{u'2', u'@', Key::Digit2},
    UsKey{u'3', u'#', Key::Digit3},      UsKey{u'4', u'$', Key::Digit4},
    UsKey{u'5', u'%', Key::Digit5},      UsKey{u'6', u'^', Key::Digit6},
    UsKey{u'7', u'&', Key::Digit7},      UsKey{u'8', u'*', Key::Digit8},
    UsKey{u'9', u'(', Key::Digit9},      UsKey{u'0', u')', Key::Digit0},
    UsKey{u'-', u'_', Key::Minus},       UsKey{u'=', u'+', Key::Equal},
    UsKey{u'[', u'{', Key::LeftBracket}, UsKey{u']', u'}', Key::RightBracket},
    UsKey{u'\\', u'|', Key::Backslash},  UsKey{u';', u':', Key::Semicolon},
    UsKey{u'\'', u'"', Key::Quote},      UsKey{u',', u'<', Key::Comma},
    UsKey{u'.', u'>', Key::Period},      UsKey{u'/', u'?', Key::Slash},
    UsKey{u'`', u'~', Key::Grave},
};

struct SideBits {
    ModifierFlags modifier;
    ModifierFlags sides;
};

constexpr std::array sideBits{
    SideBits{Shift, LeftShift | RightShift},
    SideBits{Control, LeftControl | RightControl},
    SideBits{Option, LeftOption | RightOption},
    SideBits{Command, LeftCommand | RightCommand},
};

const SpecialKey* specialKey(int qtKey) {
    for (const auto& key : specialKeys) {
        if (key.qtKey == qtKey)
            return &key;
    }
    return nullptr;
}

bool isKeypadKeyCode(KeyCode keyCode) {
    return std::any_of(keypadKeys.begin(), keypadKeys.end(),
                       [&](const KeypadKey& key) { return key.keyCode == keyCode; });
}

// The key of the current layout that types the character, plain or shifted.
std::optional<KeyCode> keyCodeInLayout(QChar character, const InputState& input) {
    const QString plain = QString(character).toLower();
    const QString shifted(character);
    for (ModifierFlags modifiers : {ModifierFlags(0), Shift}) {
        for (KeyCode keyCode = 0; keyCode <= Key::MaximumKeyCode; ++keyCode) {
            if (isKeypadKeyCode(keyCode))
                continue;
            const QString typed = input.characterForKeyCode(keyCode, modifiers);
            if (typed == (modifiers ? shifted : plain))
                return keyCode;
        }
    }
    return std::nullopt;
}

std::optional<KeyCode> keyCodeOnUsKeyboard(QChar character) {
    for (const auto& key : usKeys) {
        if (character == QChar(key.plain) || character == QChar(key.shifted))
            return key.keyCode;
    }
    return std::nullopt;
}

// Modifier keys change the flags; on the platform the key codes come from they make no key-down.
bool isModifierKeyCode(KeyCode keyCode) {
    return keyCode >= Key::RightCommand && keyCode <= Key::Function;
}

bool isPrintableQtKey(int qtKey) {
    return qtKey > 0 && qtKey < Qt::Key_Escape && QChar::isPrint(static_cast<char32_t>(qtKey));
}

} // namespace

std::optional<KeyCode> virtualKeyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers,
                                              const InputState* input) {
    if (const SpecialKey* key = specialKey(qtKey))
        return key->keyCode;
    if (!isPrintableQtKey(qtKey) || qtKey > 0xFFFF)
        return std::nullopt;
    const QChar character(static_cast<char16_t>(qtKey));
    if (modifiers & Qt::KeypadModifier) {
        for (const auto& key : keypadKeys) {
            if (character == QChar(key.character))
                return key.keyCode;
        }
    }
    if (input) {
        if (const auto keyCode = keyCodeInLayout(character, *input))
            return keyCode;
    }
    return keyCodeOnUsKeyboard(character);
}

ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers modifiers) {
    ModifierFlags flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= Shift;
    if (modifiers & Qt::ControlModifier)
        flags |= Control;
    if (modifiers & Qt::AltModifier)
        flags |= Option;
    if (modifiers & Qt::MetaModifier)
        flags |= Command;
    if (modifiers & Qt::KeypadModifier)
        flags |= NumericPad;
    return flags;
}

std::optional<KeyEvent> keyEventFromQKeyEvent(const QKeyEvent& qtEvent, const InputState* input,
                                              double timestamp) {
    const int qtKey = qtEvent.key();
    const std::optional<KeyCode> keyCode = virtualKeyCodeForQtKey(qtKey, qtEvent.modifiers(), input);
    if (!keyCode || isModifierKeyCode(*keyCode))
        return std::nullopt;

    KeyEvent event;
    event.type = KeyEventType::KeyDown;
    event.keyCode = *keyCode;
    event.isARepeat = qtEvent.isAutoRepeat();
    event.timestamp = timestamp;

    ModifierFlags flags = modifierFlagsFromQt(qtEvent.modifiers());
    if (const SpecialKey* key = specialKey(qtKey))
        flags |= key->flags;
    if (isKeypadKeyCode(*keyCode))
        flags |= NumericPad;
    if (input) {
        // Qt tells neither which key of a pair is down nor whether caps lock is on; the desktop does.
        const ModifierFlags held = input->modifierFlags();
        for (const auto& pair : sideBits) {
            if (flags & pair.modifier)
                flags |= held & pair.sides;
        }
        flags |= held & CapsLock;
    }
    event.modifierFlags = flags;

    event.characters = qtEvent.text();
    if (event.characters.isEmpty()) {
        // Function keys type the characters that name them as key equivalents.
        const QString keyEquivalent = stringRepresentingKeyCode(*keyCode, true);
        if (keyEquivalent.size() == 1)
            event.characters = keyEquivalent;
    }
    QString ignoringModifiers;
    if (input)
        ignoringModifiers = input->characterForKeyCode(*keyCode, flags & Shift);
    if (ignoringModifiers.isEmpty() && isPrintableQtKey(qtKey)) {
        const QString character(QChar(static_cast<char16_t>(qtKey)));
        ignoringModifiers = (flags & Shift) ? character : character.toLower();
    }
    event.charactersIgnoringModifiers = ignoringModifiers.isEmpty() ? event.characters : ignoringModifiers;
    return event;
}
