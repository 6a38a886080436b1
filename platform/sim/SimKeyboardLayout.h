#pragma once

#include "platform/Keys.h"

#include <QString>
#include <map>

// The characters a keyboard layout gives per key code, plain and with Shift. Keys that are not in
// the table give no character.
class SimKeyboardLayout {
public:
    // The US layout: letters, digits, punctuation, space, tab and return.
    static SimKeyboardLayout us();

    void setCharacters(KeyCode keyCode, const QString& plain, const QString& shifted);
    QString character(KeyCode keyCode, ModifierFlags modifiers) const;

private:
    struct Characters {
        QString plain;
        QString shifted;
    };
    std::map<KeyCode, Characters> m_characters;
};
