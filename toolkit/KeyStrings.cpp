#include "toolkit/KeyStrings.h"

#include "platform/InputState.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QStringList>
#include <array>

namespace {

struct SpecialKey {
    KeyCode keyCode;
    const char16_t* name;
    char16_t keyEquivalent; // 0: none
    // The desktop's key, named as its menus name it; 0: none, the name above is used.
    int qtKey = 0;
    bool keypad = false;
};

constexpr char16_t functionKey(int number) {
    return static_cast<char16_t>(FunctionKeyCharacter::F1 + number - 1);
}

// Every key whose cap shows a name or a glyph rather than the character it types. Keypad digits and
// operators carry no key equivalent: as menu shortcuts they would be mistaken for the main keys.
constexpr std::array specialKeys{
    SpecialKey{Key::F1, u"F1", functionKey(1), Qt::Key_F1},
    SpecialKey{Key::F2, u"F2", functionKey(2), Qt::Key_F2},
    SpecialKey{Key::F3, u"F3", functionKey(3), Qt::Key_F3},
    SpecialKey{Key::F4, u"F4", functionKey(4), Qt::Key_F4},
    SpecialKey{Key::F5, u"F5", functionKey(5), Qt::Key_F5},
    SpecialKey{Key::F6, u"F6", functionKey(6), Qt::Key_F6},
    SpecialKey{Key::F7, u"F7", functionKey(7), Qt::Key_F7},
    SpecialKey{Key::F8, u"F8", functionKey(8), Qt::Key_F8},
    SpecialKey{Key::F9, u"F9", functionKey(9), Qt::Key_F9},
    SpecialKey{Key::F10, u"F10", functionKey(10), Qt::Key_F10},
    SpecialKey{Key::F11, u"F11", functionKey(11), Qt::Key_F11},
    SpecialKey{Key::F12, u"F12", functionKey(12), Qt::Key_F12},
    SpecialKey{Key::F13, u"F13", functionKey(13), Qt::Key_F13},
    SpecialKey{Key::F14, u"F14", functionKey(14), Qt::Key_F14},
    SpecialKey{Key::F15, u"F15", functionKey(15), Qt::Key_F15},
    SpecialKey{Key::F16, u"F16", functionKey(16), Qt::Key_F16},
    SpecialKey{Key::F17, u"F17", functionKey(17), Qt::Key_F17},
    SpecialKey{Key::F18, u"F18", functionKey(18), Qt::Key_F18},
    SpecialKey{Key::F19, u"F19", functionKey(19), Qt::Key_F19},
    SpecialKey{Key::F20, u"F20", functionKey(20), Qt::Key_F20},
    SpecialKey{Key::Keypad0, u"Keypad 0", 0, Qt::Key_0, true},
    SpecialKey{Key::Keypad1, u"Keypad 1", 0, Qt::Key_1, true},
    SpecialKey{Key::Keypad2, u"Keypad 2", 0, Qt::Key_2, true},
    SpecialKey{Key::Keypad3, u"Keypad 3", 0, Qt::Key_3, true},
    SpecialKey{Key::Keypad4, u"Keypad 4", 0, Qt::Key_4, true},
    SpecialKey{Key::Keypad5, u"Keypad 5", 0, Qt::Key_5, true},
    SpecialKey{Key::Keypad6, u"Keypad 6", 0, Qt::Key_6, true},
    SpecialKey{Key::Keypad7, u"Keypad 7", 0, Qt::Key_7, true},
    SpecialKey{Key::Keypad8, u"Keypad 8", 0, Qt::Key_8, true},
    SpecialKey{Key::Keypad9, u"Keypad 9", 0, Qt::Key_9, true},
    SpecialKey{Key::KeypadDecimal, u"Keypad .", 0, Qt::Key_Period, true},
    SpecialKey{Key::KeypadMultiply, u"Keypad *", 0, Qt::Key_Asterisk, true},
    SpecialKey{Key::KeypadPlus, u"Keypad +", 0, Qt::Key_Plus, true},
    SpecialKey{Key::KeypadMinus, u"Keypad -", 0, Qt::Key_Minus, true},
    SpecialKey{Key::KeypadDivide, u"Keypad /", 0, Qt::Key_Slash, true},
    SpecialKey{Key::KeypadEquals, u"Keypad =", 0, Qt::Key_Equal, true},
    SpecialKey{Key::KeypadClear, u"\u2327", FunctionKeyCharacter::ClearLine, Qt::Key_Clear, true},
    SpecialKey{Key::KeypadEnter, u"\u2324", KeyEquivalentCharacter::Enter, Qt::Key_Enter, true},
    SpecialKey{Key::Return, u"\u21A9", KeyEquivalentCharacter::Return, Qt::Key_Return},
    SpecialKey{Key::Tab, u"\u21E5", KeyEquivalentCharacter::Tab, Qt::Key_Tab},
    SpecialKey{Key::Space, u"Space", KeyEquivalentCharacter::Space, Qt::Key_Space},
    SpecialKey{Key::Delete, u"\u232B", KeyEquivalentCharacter::Backspace, Qt::Key_Backspace},
    SpecialKey{Key::ForwardDelete, u"\u2326", FunctionKeyCharacter::ForwardDelete, Qt::Key_Delete},
    SpecialKey{Key::Escape, u"\u238B", KeyEquivalentCharacter::Escape, Qt::Key_Escape},
    SpecialKey{Key::Help, u"Help", FunctionKeyCharacter::Help, Qt::Key_Help},
    SpecialKey{Key::Home, u"\u2196", FunctionKeyCharacter::Home, Qt::Key_Home},
    SpecialKey{Key::End, u"\u2198", FunctionKeyCharacter::End, Qt::Key_End},
    SpecialKey{Key::PageUp, u"\u21DE", FunctionKeyCharacter::PageUp, Qt::Key_PageUp},
    SpecialKey{Key::PageDown, u"\u21DF", FunctionKeyCharacter::PageDown, Qt::Key_PageDown},
    SpecialKey{Key::LeftArrow, u"\u2190", FunctionKeyCharacter::LeftArrow, Qt::Key_Left},
    SpecialKey{Key::RightArrow, u"\u2192", FunctionKeyCharacter::RightArrow, Qt::Key_Right},
    SpecialKey{Key::DownArrow, u"\u2193", FunctionKeyCharacter::DownArrow, Qt::Key_Down},
    SpecialKey{Key::UpArrow, u"\u2191", FunctionKeyCharacter::UpArrow, Qt::Key_Up},
    SpecialKey{Key::ContextMenu, u"Menu", FunctionKeyCharacter::Menu, Qt::Key_Menu},
    SpecialKey{Key::CapsLock, u"\u21EA", 0, Qt::Key_CapsLock},
    SpecialKey{Key::Function, u"fn", 0},
    SpecialKey{Key::VolumeUp, u"Volume Up", 0, Qt::Key_VolumeUp},
    SpecialKey{Key::VolumeDown, u"Volume Down", 0, Qt::Key_VolumeDown},
    SpecialKey{Key::Mute, u"Mute", 0, Qt::Key_VolumeMute},
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

struct DesktopModifier {
    ModifierFlags flag;
    Qt::KeyboardModifier qtModifier;
    ModifierFlags leftBit;
    ModifierFlags rightBit;
};

// In the order the desktop writes them (Qt's on X11): the Super key, Control, Alt, Shift.
constexpr std::array desktopModifiers{
    DesktopModifier{ModifierFlag::Command, Qt::MetaModifier, ModifierFlag::LeftCommand,
                    ModifierFlag::RightCommand},
    DesktopModifier{ModifierFlag::Control, Qt::ControlModifier, ModifierFlag::LeftControl,
                    ModifierFlag::RightControl},
    DesktopModifier{ModifierFlag::Option, Qt::AltModifier, ModifierFlag::LeftOption,
                    ModifierFlag::RightOption},
    DesktopModifier{ModifierFlag::Shift, Qt::ShiftModifier, ModifierFlag::LeftShift,
                    ModifierFlag::RightShift},
};

QString nativeText(QKeyCombination combination) {
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

// The desktop's name of a modifier key: its text in a combination, without the key after it.
QString desktopModifierName(Qt::KeyboardModifier modifier) {
    const QString text = nativeText(QKeyCombination(modifier, Qt::Key_A));
    return text.left(text.lastIndexOf(u'+'));
}

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

QString stringRepresentingKeys(KeyCode keyCode, ModifierFlags flags, bool reflectExactModifierKeys,
                               const QString& recordedKey) {
    QStringList parts;
    for (const auto& modifier : desktopModifiers) {
        if (!(flags & modifier.flag))
            continue;
        const QString name = desktopModifierName(modifier.qtModifier);
        const bool left = reflectExactModifierKeys && (flags & modifier.leftBit);
        const bool right = reflectExactModifierKeys && (flags & modifier.rightBit);
        if (left != right)
            parts += left ? QCoreApplication::translate("KeyStrings", "Left %1").arg(name)
                          : QCoreApplication::translate("KeyStrings", "Right %1").arg(name);
        else
            parts += name;
    }
    QString key;
    if (const SpecialKey* special = specialKey(keyCode)) {
        key = special->qtKey
                  ? nativeText(QKeyCombination(special->keypad ? Qt::KeypadModifier : Qt::NoModifier,
                                               Qt::Key(special->qtKey)))
                  : QString::fromUtf16(special->name);
    } else {
        key = stringRepresentingKeyCode(keyCode, false);
    }
    if (key.isEmpty())
        key = recordedKey;
    if (!key.isEmpty())
        parts += key;
    return parts.join(u'+');
}
