#pragma once

#include "platform/Keys.h"

#include <QString>

// Display texts of keys and modifiers, as hot keys, menus and the cheat sheet show them.

// The characters that function keys produce as key equivalents (the platform's private-use block).
namespace FunctionKeyCharacter {
inline constexpr char16_t UpArrow = 0xF700;
inline constexpr char16_t DownArrow = 0xF701;
inline constexpr char16_t LeftArrow = 0xF702;
inline constexpr char16_t RightArrow = 0xF703;
inline constexpr char16_t F1 = 0xF704; // F2 to F35 follow in order
inline constexpr char16_t ForwardDelete = 0xF728;
inline constexpr char16_t Home = 0xF729;
inline constexpr char16_t End = 0xF72B;
inline constexpr char16_t PageUp = 0xF72C;
inline constexpr char16_t PageDown = 0xF72D;
inline constexpr char16_t Menu = 0xF735;
inline constexpr char16_t ClearLine = 0xF739;
inline constexpr char16_t Help = 0xF746;
// Characters from here on are function keys rather than text.
inline constexpr char16_t First = 0xF700;
} // namespace FunctionKeyCharacter

// The plain characters that other special keys produce as key equivalents.
namespace KeyEquivalentCharacter {
inline constexpr char16_t Enter = 0x03;
inline constexpr char16_t Backspace = 0x08;
inline constexpr char16_t Tab = u'\t';
inline constexpr char16_t Return = u'\r';
inline constexpr char16_t Escape = 0x1B;
inline constexpr char16_t Space = u' ';
} // namespace KeyEquivalentCharacter

// The name of a special key ("F5", "Space", "↩"…), or with returnKeyEquivalentCharacterIfPossible its
// key-equivalent character where it has one. Other keys give the character of the current keyboard
// layout, letters upper-cased unless the key-equivalent character was asked for. Empty when the key
// gives no character (or no platform is installed).
QString stringRepresentingKeyCode(KeyCode keyCode, bool returnKeyEquivalentCharacterIfPossible);

// The modifier glyphs in the order control, option, shift, command; with reflectExactModifierKeys each
// is marked by the side bits: "‹" before it for the left key, "›" after it for the right one. Empty for
// no modifiers.
QString stringRepresentingModifierFlags(ModifierFlags flags, bool reflectExactModifierKeys);

// The keys as the desktop writes a key combination in its own menus (Qt's native text: "Ctrl+Shift+F5" on
// X11), for every text a user reads. With reflectExactModifierKeys, a modifier held on one side only says
// which ("Left Ctrl"). A key with neither a name nor a character in the current layout shows recordedKey,
// the key as it was recorded. The glyph texts above stay the stored form.
QString stringRepresentingKeys(KeyCode keyCode, ModifierFlags flags, bool reflectExactModifierKeys,
                               const QString& recordedKey = QString());

// The text without modifier glyphs and side marks at either end.
QString stringByTrimmingModifierPrefix(const QString& text);

// Letters a to z and ä, ö, ü upper-cased, everything else lower-cased, as key caps are labelled.
QString keyboardLabelString(const QString& text);
