#include "HotKeyTestSupport.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/MenuItemKeyEquivalents.h"
#include "hotkeys/QtKeyEvents.h"

#include <QAction>
#include <QKeyEvent>

namespace {

using namespace ModifierFlag;

// The key as the desktop's keyboard types it.
KeyEvent translated(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
    const QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    const auto event = keyEventFromQKeyEvent(press, &Platform::current().inputState(), RunLoop::main().now());
    EXPECT_TRUE(event.has_value()) << qtKey;
    return event.value_or(KeyEvent{});
}

TEST_F(HotKeyTest, QtKeysBecomeTheCanonicalKeyCodesAndFlags) {
    struct Case {
        const char* what;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        KeyCode keyCode;
        ModifierFlags flags;
        QString charactersIgnoringModifiers;
    };
    const Case cases[] = {
        {"a", Qt::Key_A, Qt::NoModifier, Key::A, 0, QStringLiteral("a")},
        {"shift-a", Qt::Key_A, Qt::ShiftModifier, Key::A, Shift, QStringLiteral("A")},
        {"exclamation mark", Qt::Key_Exclam, Qt::ShiftModifier, Key::Digit1, Shift, QStringLiteral("!")},
        {"super-alt-a", Qt::Key_A, Qt::MetaModifier | Qt::AltModifier, Key::A, Command | Option,
         QStringLiteral("a")},
        {"control-F5", Qt::Key_F5, Qt::ControlModifier, Key::F5, Control | Function, QString(QChar(0xF708))},
        {"left arrow", Qt::Key_Left, Qt::NoModifier, Key::LeftArrow, Function | NumericPad,
         QString(QChar(0xF702))},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, Key::Keypad5, NumericPad, QStringLiteral("5")},
        {"main 5", Qt::Key_5, Qt::NoModifier, Key::Digit5, 0, QStringLiteral("5")},
        {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, Key::KeypadEnter, NumericPad,
         QString(QChar(0x03))},
        {"insert", Qt::Key_Insert, Qt::NoModifier, Key::Help, Function, QString(QChar(0xF746))},
        {"backspace", Qt::Key_Backspace, Qt::NoModifier, Key::Delete, 0, QString(QChar(0x08))},
    };
    for (const auto& c : cases) {
        const KeyEvent event = translated(c.qtKey, c.modifiers);
        EXPECT_EQ(event.type, KeyEventType::KeyDown) << c.what;
        EXPECT_EQ(event.keyCode, c.keyCode) << c.what;
        EXPECT_EQ(event.modifierFlags, c.flags) << c.what;
        EXPECT_EQ(event.charactersIgnoringModifiers, c.charactersIgnoringModifiers) << c.what;
    }
    EXPECT_FALSE(keyEventFromQKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier),
                                       &desktop.inputState(), 0));
    EXPECT_FALSE(keyEventFromQKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_LaunchMail, Qt::NoModifier),
                                       &desktop.inputState(), 0));
    EXPECT_FALSE(keyEventFromQKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Meta, Qt::MetaModifier),
                                       &desktop.inputState(), 0));
    EXPECT_FALSE(keyEventFromQKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier),
                                       &desktop.inputState(), 0));
    EXPECT_EQ(virtualKeyCodeForQtKey(Qt::Key_Super_R, Qt::NoModifier, &desktop.inputState()),
              Key::RightCommand);

    const QKeyEvent repeated(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    EXPECT_TRUE(keyEventFromQKeyEvent(repeated, &desktop.inputState(), 0)->isARepeat);
    EXPECT_EQ(keyEventFromQKeyEvent(repeated, &desktop.inputState(), 0)->characters, QStringLiteral("b"));
}

TEST_F(HotKeyTest, SideBitsCapsLockAndLayoutComeFromTheDesktop) {
    desktop.setModifierFlags(Command | RightCommand | Shift | LeftShift | CapsLock);
    EXPECT_EQ(translated(Qt::Key_A, Qt::MetaModifier).modifierFlags, Command | RightCommand | CapsLock);
    EXPECT_EQ(translated(Qt::Key_A, Qt::MetaModifier | Qt::ShiftModifier).modifierFlags,
              Command | RightCommand | Shift | LeftShift | CapsLock);

    // On a French keyboard A is where Q is on an American one.
    SimKeyboardLayout french = SimKeyboardLayout::us();
    french.setCharacters(Key::Q, QStringLiteral("a"), QStringLiteral("A"));
    french.setCharacters(Key::A, QStringLiteral("q"), QStringLiteral("Q"));
    desktop.inputState().setKeyboardLayout(french);
    EXPECT_EQ(translated(Qt::Key_A, Qt::NoModifier).keyCode, Key::Q);

    // Without a desktop the keys fall back to their places on an American keyboard.
    EXPECT_EQ(virtualKeyCodeForQtKey(Qt::Key_A, Qt::NoModifier, nullptr), Key::A);
    EXPECT_EQ(virtualKeyCodeForQtKey(Qt::Key_Question, Qt::ShiftModifier, nullptr), Key::Slash);
}

TEST_F(HotKeyTest, KeyEventsReadAsHotKeyTexts) {
    KeyEvent event = translated(Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(visualKeyboardEventRepresentation(event, settings()), QStringLiteral("\u2303\u2325F5"));
    event = translated(Qt::Key_A, Qt::MetaModifier);
    EXPECT_EQ(visualKeyboardEventRepresentation(event, settings()), QStringLiteral("\u2318A"));

    set(QStringLiteral("Hot Keys Require Exact Modifier Key Matches"), true);
    desktop.setModifierFlags(Command | RightCommand);
    event = translated(Qt::Key_A, Qt::MetaModifier);
    EXPECT_EQ(visualKeyboardEventRepresentation(event, settings()), QStringLiteral("\u2318\u203AA"));

    // A key without a name shows what it types.
    KeyEvent yen;
    yen.keyCode = Key::JISYen;
    yen.modifierFlags = Option;
    yen.charactersIgnoringModifiers = QStringLiteral("\u00A5");
    EXPECT_EQ(visualKeyboardEventRepresentation(yen, settings()), QStringLiteral("\u2325\u00A5"));
}

TEST_F(HotKeyTest, MenuItemsTakeTheKeyEquivalentsOfHotKeys) {
    struct Case {
        QString character;
        bool set;
        QKeySequence shortcut;
    };
    const Case cases[] = {
        {QStringLiteral("F12"), true, QKeySequence(Qt::META | Qt::Key_F12)},
        {QString(QChar(0xF70F)), true, QKeySequence(Qt::META | Qt::Key_F12)},
        {QStringLiteral("F35"), true, QKeySequence(Qt::META | Qt::Key_F35)},
        {QStringLiteral("k"), true, QKeySequence(Qt::META | Qt::Key_K)},
        {QStringLiteral("\t"), true, QKeySequence(Qt::META | Qt::Key_Tab)},
        {QStringLiteral("F36"), false, QKeySequence()},
        {QStringLiteral("Tab"), false, QKeySequence()},
        {QString(), false, QKeySequence()},
    };
    for (const auto& c : cases) {
        QAction item;
        EXPECT_EQ(setKeyEquivalentFromHotKeyKeyEquivalentCharacter(&item, c.character), c.set)
            << c.character.toStdString();
        EXPECT_EQ(item.shortcut(), c.shortcut) << c.character.toStdString();
    }

    FakeOwner owner;
    const auto global = hotKey(Key::F12, Control | Option | Function | LeftControl);
    QAction item;
    EXPECT_FALSE(setKeyEquivalentFromHotKey(&item, *global));
    EXPECT_TRUE(item.shortcut().isEmpty());
    ASSERT_TRUE(global->registerForDelegate(owner, false));
    EXPECT_TRUE(setKeyEquivalentFromHotKey(&item, *global));
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F12));

    // A local hot key counts as registered: its menu item shows the plain key.
    const auto local = hotKey(Key::S, 0);
    ASSERT_TRUE(local->registerForDelegate(owner, false));
    EXPECT_TRUE(setKeyEquivalentFromHotKey(&item, *local));
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::Key_S));
}

} // namespace
