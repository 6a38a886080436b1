#include "toolkit/KeyStrings.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {

struct KeyCase {
    KeyCode keyCode;
    QString name;
    QString keyEquivalent;
};

class KeyStringsTest : public ::testing::Test {
protected:
    FakePlatform platform;
};

TEST_F(KeyStringsTest, SpecialKeysHaveNamesAndKeyEquivalents) {
    const std::vector<KeyCase> cases = {
        {Key::F1, "F1", QString(QChar(0xF704))},
        {Key::F5, "F5", QString(QChar(0xF708))},
        {Key::F12, "F12", QString(QChar(0xF70F))},
        {Key::F19, "F19", QString(QChar(0xF716))},
        {Key::F20, "F20", QString(QChar(0xF717))},
        {Key::Return, "\u21A9", "\r"},
        {Key::KeypadEnter, "\u2324", QString(QChar(0x03))},
        {Key::Tab, "\u21E5", "\t"},
        {Key::Space, "Space", " "},
        {Key::Delete, "\u232B", QString(QChar(0x08))},
        {Key::ForwardDelete, "\u2326", QString(QChar(0xF728))},
        {Key::Escape, "\u238B", QString(QChar(0x1B))},
        {Key::Help, "Help", QString(QChar(0xF746))},
        {Key::Home, "\u2196", QString(QChar(0xF729))},
        {Key::End, "\u2198", QString(QChar(0xF72B))},
        {Key::PageUp, "\u21DE", QString(QChar(0xF72C))},
        {Key::PageDown, "\u21DF", QString(QChar(0xF72D))},
        {Key::LeftArrow, "\u2190", QString(QChar(0xF702))},
        {Key::RightArrow, "\u2192", QString(QChar(0xF703))},
        {Key::DownArrow, "\u2193", QString(QChar(0xF701))},
        {Key::UpArrow, "\u2191", QString(QChar(0xF700))},
        {Key::KeypadClear, "\u2327", QString(QChar(0xF739))},
        // Keypad keys keep their names: as key equivalents they would read as the main keys.
        {Key::Keypad0, "Keypad 0", "Keypad 0"},
        {Key::Keypad9, "Keypad 9", "Keypad 9"},
        {Key::KeypadPlus, "Keypad +", "Keypad +"},
        {Key::KeypadEquals, "Keypad =", "Keypad ="},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(stringRepresentingKeyCode(c.keyCode, false), c.name);
        EXPECT_EQ(stringRepresentingKeyCode(c.keyCode, true), c.keyEquivalent);
    }
}

TEST_F(KeyStringsTest, FunctionKeysFollowTheirNumbersWhateverTheirKeyCodes) {
    const KeyCode functionKeys[] = {Key::F1,  Key::F2,  Key::F3,  Key::F4,  Key::F5,  Key::F6,  Key::F7,
                                    Key::F8,  Key::F9,  Key::F10, Key::F11, Key::F12, Key::F13, Key::F14,
                                    Key::F15, Key::F16, Key::F17, Key::F18, Key::F19, Key::F20};
    for (int n = 1; n <= 20; ++n) {
        const KeyCode keyCode = functionKeys[n - 1];
        EXPECT_EQ(stringRepresentingKeyCode(keyCode, false), QStringLiteral("F%1").arg(n));
        EXPECT_EQ(stringRepresentingKeyCode(keyCode, true), QString(QChar(0xF704 + n - 1)));
    }
}

TEST_F(KeyStringsTest, OtherKeysTakeTheKeyboardLayoutsCharacter) {
    platform.input.characters = {{Key::A, "a"}, {Key::Q, "\u00E4"}, {Key::Digit1, "1"}, {Key::Grave, "\x01"}};
    struct Case {
        KeyCode keyCode;
        QString display;
        QString keyEquivalent;
    };
    const std::vector<Case> cases = {
        {Key::A, "A", "a"},
        {Key::Q, "\u00C4", "\u00E4"},
        {Key::Digit1, "1", "1"},
        {Key::Grave, "", ""}, // a control character is no character
        {Key::Z, "", ""},     // the layout gives nothing
        {Key::MaximumKeyCode + 1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(stringRepresentingKeyCode(c.keyCode, false), c.display);
        EXPECT_EQ(stringRepresentingKeyCode(c.keyCode, true), c.keyEquivalent);
    }
}

TEST(KeyStrings, WithoutPlatformOnlyTheTableAnswers) {
    ASSERT_FALSE(Platform::hasCurrent());
    EXPECT_EQ(stringRepresentingKeyCode(Key::F3, false), "F3");
    EXPECT_EQ(stringRepresentingKeyCode(Key::A, false), "");
}

TEST(KeyStrings, ModifierTexts) {
    using namespace ModifierFlag;
    struct Case {
        ModifierFlags flags;
        bool exact;
        QString text;
    };
    const std::vector<Case> cases = {
        {0, false, ""},
        {0, true, ""},
        {CapsLock | Function | NumericPad, false, ""},
        {Command | Shift, false, "\u21E7\u2318"},
        {Command | Shift | Option | Control, false, "\u2303\u2325\u21E7\u2318"},
        {Command | Shift | LeftShift | RightCommand, false, "\u21E7\u2318"},
        {Command | Shift | LeftShift | RightCommand, true, "\u2039\u21E7\u2318\u203A"},
        {Control | Option | RightControl | LeftOption, true, "\u2303\u203A\u2039\u2325"},
        {Command | LeftCommand | RightCommand, true, "\u2039\u2318\u203A"},
        // A side bit without its modifier names nothing.
        {Command | LeftShift, true, "\u2318"},
        {Option, true, "\u2325"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(stringRepresentingModifierFlags(c.flags, c.exact), c.text);
    }
}

// What the user reads: the desktop's way of writing a combination, as Qt's own menus show it.
TEST_F(KeyStringsTest, KeysReadAsTheDesktopWritesThem) {
    using namespace ModifierFlag;
    platform.input.characters = {{Key::A, "a"}, {Key::Q, "\u00E4"}};
    struct Case {
        KeyCode keyCode;
        ModifierFlags flags;
        bool exact;
        QString recordedKey;
        QString text;
    };
    const std::vector<Case> cases = {
        {Key::F5, Control | Shift, false, {}, "Ctrl+Shift+F5"},
        {Key::A, Command | Shift | Option | Control, false, {}, "Meta+Ctrl+Alt+Shift+A"},
        {Key::Q, Option, false, {}, "Alt+\u00C4"},
        {Key::Escape, 0, false, {}, "Esc"},
        {Key::UpArrow, Command, false, {}, "Meta+Up"},
        {Key::Keypad5, Shift, false, {}, "Shift+Num+5"},
        {Key::Function, Control, false, {}, "Ctrl+fn"},
        // Sides only where the hot key tells them apart, and only a one-sided modifier says which.
        {Key::A, Shift | LeftShift, false, {}, "Shift+A"},
        {Key::A, Shift | LeftShift | Control | RightControl, true, {}, "Right Ctrl+Left Shift+A"},
        {Key::A, Shift | LeftShift | RightShift, true, {}, "Shift+A"},
        // A key the layout does not name keeps what was recorded for it; without that, only the modifiers.
        {Key::Z, Option, false, "\u00A5", "Alt+\u00A5"},
        {Key::Z, Option, false, {}, "Alt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(stringRepresentingKeys(c.keyCode, c.flags, c.exact, c.recordedKey), c.text);
    }
}

TEST(KeyStrings, TrimmingTheModifierPrefix) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"\u2303\u2325F1", "F1"},
        {"\u2039\u21E7\u2318\u203AA", "A"},
        {"A\u2318", "A"},
        {"\u2318", ""},
        {"", ""},
        {"\u2318\u2190", "\u2190"},
        {"Keypad +", "Keypad +"},
    };
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(stringByTrimmingModifierPrefix(text), trimmed) << text.toStdString();
    }
}

TEST(KeyStrings, KeyboardLabels) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"abc", "ABC"},       {"\u00E4\u00F6\u00FC", "\u00C4\u00D6\u00DC"},
        {"\u00C9", "\u00E9"}, {"\u00D1", "\u00F1"},
        {"1!", "1!"},         {"Space", "SPACE"},
    };
    for (const auto& [text, label] : cases) {
        EXPECT_EQ(keyboardLabelString(text), label) << text.toStdString();
    }
}

} // namespace
