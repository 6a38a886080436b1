#include "toolkit/KeyStrings.h"

#include "platform/InputState.h"
#include "platform/Platform.h"

#include <array>

namespace {

struct SpecialKey {
    KeyCode keyCode;
    const char16_t* name;
    char16_t keyEquivalent; // 0: none
};

constexpr char16_t functionKey(int number) {
    return static_cast<char16_t>(FunctionKeyCharacter::F1 + number - 1);
}

// Every key whose cap shows a name or a glyph rather than the character it types. Keypad digits and
// operators carry no key equivalent: as menu shortcuts they would be mistaken for the main keys.
constexpr std::array specialKeys{
    SpecialKey{Key::F1, u"F1", functionKey(1)},
    SpecialKey{Key::F2, u"F2", functionKey(2)},
    SpecialKey{Key::F3, u"F3", functionKey(3)},
    SpecialKey{Key::F4, u"F4", functionKey(4)},
    SpecialKey{Key::F5, u"F5", functionKey(5)},
    SpecialKey{Key::F6, u"F6", functionKey(6)},
    SpecialKey{Key::F7, u"F7", functionKey(7)},
    SpecialKey{Key::F8, u"F8", functionKey(8)},
    SpecialKey{Key::F9, u"F9", functionKey(9)},
    SpecialKey{Key::F10, u"F10", functionKey(10)},
    SpecialKey{Key::F11, u"F11", functionKey(11)},
    SpecialKey{Key::F12, u"F12", functionKey(12)},
    SpecialKey{Key::F13, u"F13", functionKey(13)},
    SpecialKey{Key::F14, u"F14", functionKey(14)},
    SpecialKey{Key::F15, u"F15", functionKey(15)},
    SpecialKey{Key::F16, u"F16", functionKey(16)},
    SpecialKey{Key::F17, u"F17", functionKey(17)},
    SpecialKey{Key::F18, u"F18", functionKey(18)},
    SpecialKey{Key::F19, u"F19", functionKey(19)},
    SpecialKey{Key::F20, u"F20", functionKey(20)},
    SpecialKey{Key::Keypad0, u"Keypad 0", 0},
    SpecialKey{Key::Keypad1, u"Keypad 1", 0},
    SpecialKey{Key::Keypad2, u"Keypad 2", 0},
    SpecialKey{Key::Keypad3, u"Keypad 3", 0},
    SpecialKey{Key::Keypad4, u"Keypad 4", 0},
    SpecialKey{Key::Keypad5, u"Keypad 5", 0},
    SpecialKey{Key::Keypad6, u"Keypad 6", 0},
    SpecialKey{Key::Keypad7, u"Keypad 7", 0},
    SpecialKey{Key::Keypad8, u"Keypad 8", 0},
    SpecialKey{Key::Keypad9, u"Keypad 9", 0},
    SpecialKey{Key::KeypadDecimal, u"Keypad .", 0},
    SpecialKey{Key::KeypadMultiply, u"Keypad *", 0},
    SpecialKey{Key::KeypadPlus, u"Keypad +", 0},
    SpecialKey{Key::KeypadMinus, u"Keypad -", 0},
    SpecialKey{Key::KeypadDivide, u"Keypad /", 0},
    SpecialKey{Key::KeypadEquals, u"Keypad =", 0},
    SpecialKey{Key::KeypadClear, u"\u2327", FunctionKeyCharacter::ClearLine},
    SpecialKey{Key::KeypadEnter, u"\u2324", KeyEquivalentCharacter::Enter},
    SpecialKey{Key::Return, u"\u21A9", KeyEquivalentCharacter::Return},
    SpecialKey{Key::Tab, u"\u21E5", KeyEquivalentCharacter::Tab},
    SpecialKey{Key::Space, u"Space", KeyEquivalentCharacter::Space},
    SpecialKey{Key::Delete, u"\u232B", KeyEquivalentCharacter::Backspace},
    SpecialKey{Key::ForwardDelete, u"\u2326", FunctionKeyCharacter::ForwardDelete},
    SpecialKey{Key::Escape, u"\u238B", KeyEquivalentCharacter::Escape},
    SpecialKey{Key::Help, u"Help", FunctionKeyCharacter::Help},
    SpecialKey{Key::Home, u"\u2196", FunctionKeyCharacter::Home},
    SpecialKey{Key::End, u"\u2198", FunctionKeyCharacter::End},
    SpecialKey{Key::PageUp, u"\u21DE", FunctionKeyCharacter::PageUp},
    SpecialKey{Key::PageDown, u"\u21DF", FunctionKeyCharacter::PageDown},
    SpecialKey{Key::LeftArrow, u"\u2190", FunctionKeyCharacter::LeftArrow},
    SpecialKey{Key::RightArrow, u"\u2192", FunctionKeyCharacter::RightArrow},
    SpecialKey{Key::DownArrow, u"\u2193", FunctionKeyCharacter::DownArrow},
    SpecialKey{Key::UpArrow, u"\u2191", FunctionKeyCharacter::UpArrow},
    SpecialKey{Key::ContextMenu, u"Menu", FunctionKeyCharacter::Menu},
    SpecialKey{Key::CapsLock, u"\u21EA", 0},
    SpecialKey{Key::Function, u"fn", 0},
    SpecialKey{Key::VolumeUp, u"Volume Up", 0},
    SpecialKey{Key::VolumeDown, u"Volume Down", 0},
    SpecialKey{Key::Mute, u"Mute", 0},
    SpecialKey{Key::JISEisu, u"\u82F1\u6570", 0},
    SpecialKey{Key::JISKana, u"\u304B\u306A", 0},
};

const SpecialKey* specialKey(KeyCode keyCode) {
    for (const auto& key : specialKeys) {
        if (key.keyCode == keyCode)
            return &key;
    }
    return nullptr;
}

constexpr char16_t ControlGlyph = 0x2303;
constexpr char16_t OptionGlyph = 0x2325;
constexpr char16_t ShiftGlyph = 0x21E7;
constexpr char16_t CommandGlyph = 0x2318;
constexpr char16_t LeftMark = 0x2039;
constexpr char16_t RightMark = 0x203A;

struct ModifierGlyph {
    ModifierFlags flag;
    char16_t glyph;
    ModifierFlags leftBit;
    ModifierFlags rightBit;
};

constexpr std::array modifierGlyphs{
    ModifierGlyph{ModifierFlag::Control, ControlGlyph, ModifierFlag::LeftControl, ModifierFlag::RightControl},
    ModifierGlyph{ModifierFlag::Option, OptionGlyph, ModifierFlag::LeftOption, ModifierFlag::RightOption},
    ModifierGlyph{ModifierFlag::Shift, ShiftGlyph, ModifierFlag::LeftShift, ModifierFlag::RightShift},
    ModifierGlyph{ModifierFlag::Command, CommandGlyph, ModifierFlag::LeftCommand, ModifierFlag::RightCommand},
};

bool isModifierPrefixCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u == ControlGlyph || u == OptionGlyph || u == ShiftGlyph || u == CommandGlyph || u == LeftMark ||
           u == RightMark;
}

bool isLabelLetter(QChar c) {
    const QChar lower = c.toLower();
    return (lower >= u'a' && lower <= u'z') || lower == u'\u00E4' || lower == u'\u00F6' || lower == u'\u00FC';
}

} // namespace

QString stringRepresentingKeyCode(KeyCode keyCode, bool returnKeyEquivalentCharacterIfPossible) {
    if (const SpecialKey* key = specialKey(keyCode)) {
        if (returnKeyEquivalentCharacterIfPossible && key->keyEquivalent != 0)
            return QString(QChar(key->keyEquivalent));
        return QString::fromUtf16(key->name);
    }
    if (keyCode > Key::MaximumKeyCode || !Platform::hasCurrent())
        return {};
    const QString character = Platform::current().inputState().characterForKeyCode(keyCode);
    if (character.isEmpty() || !character.at(0).isPrint())
        return {};
    return returnKeyEquivalentCharacterIfPossible ? character : character.toUpper();
}

QString stringRepresentingModifierFlags(ModifierFlags flags, bool reflectExactModifierKeys) {
    QString text;
    for (const auto& modifier : modifierGlyphs) {
        if (!(flags & modifier.flag))
            continue;
        const bool left = reflectExactModifierKeys && (flags & modifier.leftBit);
        const bool right = reflectExactModifierKeys && (flags & modifier.rightBit);
        if (left)
            text += QChar(LeftMark);
        text += QChar(modifier.glyph);
        if (right)
            text += QChar(RightMark);
    }
    return text;
}

QString stringByTrimmingModifierPrefix(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isModifierPrefixCharacter(text.at(begin)))
        ++begin;
    while (end > begin && isModifierPrefixCharacter(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString keyboardLabelString(const QString& text) {
    QString label;
    label.reserve(text.size());
    for (const QChar c : text)
        label += isLabelLetter(c) ? c.toUpper() : c.toLower();
    return label;
}
