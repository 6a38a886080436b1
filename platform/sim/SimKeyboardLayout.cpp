#include "platform/sim/SimKeyboardLayout.h"

SimKeyboardLayout SimKeyboardLayout::us() {
    struct Entry {
        KeyCode keyCode;
        const char* plain;
        const char* shifted;
    };
    static const Entry table[] = {
        {Key::A, "a", "A"},
        {Key::S, "s", "S"},
        {Key::D, "d", "D"},
        {Key::F, "f", "F"},
        {Key::H, "h", "H"},
        {Key::G, "g", "G"},
        {Key::Z, "z", "Z"},
        {Key::X, "x", "X"},
        {Key::C, "c", "C"},
        {Key::V, "v", "V"},
        {Key::ISOSection, "\xC2\xA7", "\xC2\xB1"},
        {Key::B, "b", "B"},
        {Key::Q, "q", "Q"},
        {Key::W, "w", "W"},
        {Key::E, "e", "E"},
        {Key::R, "r", "R"},
        {Key::Y, "y", "Y"},
        {Key::T, "t", "T"},
        {Key::Digit1, "1", "!"},
        {Key::Digit2, "2", "@"},
        {Key::Digit3, "3", "#"},
        {Key::Digit4, "4", "$"},
        {Key::Digit6, "6", "^"},
        {Key::Digit5, "5", "%"},
        {Key::Equal, "=", "+"},
        {Key::Digit9, "9", "("},
        {Key::Digit7, "7", "&"},
        {Key::Minus, "-", "_"},
        {Key::Digit8, "8", "*"},
        {Key::Digit0, "0", ")"},
        {Key::RightBracket, "]", "}"},
        {Key::O, "o", "O"},
        {Key::U, "u", "U"},
        {Key::LeftBracket, "[", "{"},
        {Key::I, "i", "I"},
        {Key::P, "p", "P"},
        {Key::Return, "\r", "\r"},
        {Key::L, "l", "L"},
        {Key::J, "j", "J"},
        {Key::Quote, "'", "\""},
        {Key::K, "k", "K"},
        {Key::Semicolon, ";", ":"},
        {Key::Backslash, "\\", "|"},
        {Key::Comma, ",", "<"},
        {Key::Slash, "/", "?"},
        {Key::N, "n", "N"},
        {Key::M, "m", "M"},
        {Key::Period, ".", ">"},
        {Key::Tab, "\t", "\t"},
        {Key::Space, " ", " "},
        {Key::Grave, "`", "~"},
        {Key::KeypadDecimal, ".", "."},
        {Key::KeypadMultiply, "*", "*"},
        {Key::KeypadPlus, "+", "+"},
        {Key::KeypadDivide, "/", "/"},
        {Key::KeypadMinus, "-", "-"},
        {Key::KeypadEquals, "=", "="},
        {Key::Keypad0, "0", "0"},
        {Key::Keypad1, "1", "1"},
        {Key::Keypad2, "2", "2"},
        {Key::Keypad3, "3", "3"},
        {Key::Keypad4, "4", "4"},
        {Key::Keypad5, "5", "5"},
        {Key::Keypad6, "6", "6"},
        {Key::Keypad7, "7", "7"},
        {Key::Keypad8, "8", "8"},
        {Key::Keypad9, "9", "9"},
    };
    SimKeyboardLayout layout;
    for (const auto& entry : table)
        layout.setCharacters(entry.keyCode, QString::fromUtf8(entry.plain), QString::fromUtf8(entry.shifted));
    return layout;
}

void SimKeyboardLayout::setCharacters(KeyCode keyCode, const QString& plain, const QString& shifted) {
    m_characters[keyCode] = Characters{plain, shifted};
}

QString SimKeyboardLayout::character(KeyCode keyCode, ModifierFlags modifiers) const {
    const auto it = m_characters.find(keyCode);
    if (it == m_characters.end())
        return {};
    return (modifiers & ModifierFlag::Shift) ? it->second.shifted : it->second.plain;
}
