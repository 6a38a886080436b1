#include "hotkeys/MenuItemKeyEquivalents.h"

#include "hotkeys/ZRHotKey.h"
#include "toolkit/KeyStrings.h"

#include <QAction>
#include <QKeySequence>
#include <array>
#include <optional>

namespace {

// Function keys have names up to this number.
constexpr int LastNamedFunctionKey = 35;

struct FunctionCharacter {
    char16_t character;
    Qt::Key key;
};

constexpr char16_t ReturnCharacter = u'\r';
constexpr char16_t TabCharacter = u'\t';
constexpr char16_t EnterCharacter = 0x03;
constexpr char16_t BackspaceCharacter = 0x08;
constexpr char16_t EscapeCharacter = 0x1B;
constexpr char16_t DeleteCharacter = 0x7F;

constexpr std::array functionCharacters{
    FunctionCharacter{FunctionKeyCharacter::UpArrow, Qt::Key_Up},
    FunctionCharacter{FunctionKeyCharacter::DownArrow, Qt::Key_Down},
    FunctionCharacter{FunctionKeyCharacter::LeftArrow, Qt::Key_Left},
    FunctionCharacter{FunctionKeyCharacter::RightArrow, Qt::Key_Right},
    FunctionCharacter{FunctionKeyCharacter::ForwardDelete, Qt::Key_Delete},
    FunctionCharacter{FunctionKeyCharacter::Home, Qt::Key_Home},
    FunctionCharacter{FunctionKeyCharacter::End, Qt::Key_End},
    FunctionCharacter{FunctionKeyCharacter::PageUp, Qt::Key_PageUp},
    FunctionCharacter{FunctionKeyCharacter::PageDown, Qt::Key_PageDown},
    FunctionCharacter{FunctionKeyCharacter::Menu, Qt::Key_Menu},
    FunctionCharacter{FunctionKeyCharacter::ClearLine, Qt::Key_Clear},
    FunctionCharacter{FunctionKeyCharacter::Help, Qt::Key_Help},
    FunctionCharacter{ReturnCharacter, Qt::Key_Return},
    FunctionCharacter{TabCharacter, Qt::Key_Tab},
    FunctionCharacter{EnterCharacter, Qt::Key_Enter},
    FunctionCharacter{BackspaceCharacter, Qt::Key_Backspace},
    FunctionCharacter{DeleteCharacter, Qt::Key_Backspace},
    FunctionCharacter{EscapeCharacter, Qt::Key_Escape},
    FunctionCharacter{u' ', Qt::Key_Space},
};

// The Qt key of a key-equivalent character.
std::optional<Qt::Key> qtKeyForCharacter(QChar character) {
    const char16_t u = character.unicode();
    if (u >= FunctionKeyCharacter::F1 && u < FunctionKeyCharacter::F1 + LastNamedFunctionKey)
        return Qt::Key(Qt::Key_F1 + (u - FunctionKeyCharacter::F1));
    for (const auto& entry : functionCharacters) {
        if (entry.character == u)
            return entry.key;
    }
    if (!character.isPrint())
        return std::nullopt;
    return Qt::Key(character.toUpper().unicode());
}

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags) {
    Qt::KeyboardModifiers modifiers;
    if (flags & ModifierFlag::Shift)
        modifiers |= Qt::ShiftModifier;
    if (flags & ModifierFlag::Control)
        modifiers |= Qt::ControlModifier;
    if (flags & ModifierFlag::Option)
        modifiers |= Qt::AltModifier;
    if (flags & ModifierFlag::Command)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

Qt::KeyboardModifiers currentModifiers(const QAction* item) {
    const QKeySequence shortcut = item->shortcut();
    return shortcut.isEmpty() ? Qt::MetaModifier : shortcut[0].keyboardModifiers();
}

} // namespace

bool setKeyEquivalentFromHotKeyKeyEquivalentCharacter(QAction* item, const QString& character) {
    if (!item || character.isEmpty())
        return false;
    QChar keyEquivalent;
    if (character.size() == 1) {
        keyEquivalent = character.at(0);
    } else {
        for (int number = 1; number <= LastNamedFunctionKey; ++number) {
            if (character == QStringLiteral("F%1").arg(number)) {
                keyEquivalent = QChar(static_cast<char16_t>(FunctionKeyCharacter::F1 + number - 1));
                break;
            }
        }
        if (keyEquivalent.isNull())
            return false;
    }
    const auto key = qtKeyForCharacter(keyEquivalent);
    if (!key)
        return false;
    item->setShortcut(QKeySequence(QKeyCombination(currentModifiers(item), *key)));
    return !item->shortcut().isEmpty();
}

bool setKeyEquivalentFromHotKey(QAction* item, const ZRHotKey& hotKey) {
    if (!item || !hotKey.isRegistered())
        return false;
    if (!setKeyEquivalentFromHotKeyKeyEquivalentCharacter(item, hotKey.keyEquivalentCharacter()))
        return false;
    const QKeySequence shortcut = item->shortcut();
    const Qt::Key key = shortcut[0].key();
    item->setShortcut(QKeySequence(
        QKeyCombination(qtModifiers(hotKey.modifierFlags() & ModifierFlag::ShiftControlOptionCommand), key)));
    return true;
}
