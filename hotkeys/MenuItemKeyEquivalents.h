#pragma once

#include <QString>

class QAction;
class ZRHotKey;

// Menu items show the hot keys of what they trigger as their shortcuts. A key equivalent is the
// character of the key; the item's shortcut combines it with the item's modifiers (Command, the Super
// key, when the item has none yet).

// One character becomes the key equivalent; a function key's name ("F1" to "F35") its function key.
// Anything else sets nothing. Answers whether the item has a key equivalent afterwards.
bool setKeyEquivalentFromHotKeyKeyEquivalentCharacter(QAction* item, const QString& character);

// The hot key's key and its shift, control, option and command keys; false, and nothing set, unless
// the hot key is registered and has a key equivalent.
bool setKeyEquivalentFromHotKey(QAction* item, const ZRHotKey& hotKey);
