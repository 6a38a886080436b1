#include "SimOwnWindowInput.h"

#include "platform/Keys.h"
#include "platform/sim/SimDesktop.h"
#include "toolkit/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct QtKey {
    KeyCode keyCode;
    Qt::Key key;
    char text;
};

constexpr QtKey Keys[] = {
    {Key::A, Qt::Key_A, 'a'},
    {Key::B, Qt::Key_B, 'b'},
    {Key::C, Qt::Key_C, 'c'},
    {Key::D, Qt::Key_D, 'd'},
    {Key::E, Qt::Key_E, 'e'},
    {Key::F, Qt::Key_F, 'f'},
    {Key::G, Qt::Key_G, 'g'},
    {Key::H, Qt::Key_H, 'h'},
    {Key::I, Qt::Key_I, 'i'},
    {Key::J, Qt::Key_J, 'j'},
    {Key::K, Qt::Key_K, 'k'},
    {Key::L, Qt::Key_L, 'l'},
    {Key::M, Qt::Key_M, 'm'},
    {Key::N, Qt::Key_N, 'n'},
    {Key::O, Qt::Key_O, 'o'},
    {Key::P, Qt::Key_P, 'p'},
    {Key::Q, Qt::Key_Q, 'q'},
    {Key::R, Qt::Key_R, 'r'},
    {Key::S, Qt::Key_S, 's'},
    {Key::T, Qt::Key_T, 't'},
    {Key::U, Qt::Key_U, 'u'},
    {Key::V, Qt::Key_V, 'v'},
    {Key::W, Qt::Key_W, 'w'},
    {Key::X, Qt::Key_X, 'x'},
    {Key::Y, Qt::Key_Y, 'y'},
    {Key::Z, Qt::Key_Z, 'z'},
    {Key::Digit1, Qt::Key_1, '1'},
    {Key::Space, Qt::Key_Space, ' '},
    {Key::Comma, Qt::Key_Comma, ','},
    {Key::Return, Qt::Key_Return, '\r'},
    {Key::KeypadEnter, Qt::Key_Enter, '\r'},
    {Key::Tab, Qt::Key_Tab, '\t'},
    {Key::Escape, Qt::Key_Escape, '\x1b'},
    {Key::LeftArrow, Qt::Key_Left, 0},
    {Key::RightArrow, Qt::Key_Right, 0},
    {Key::UpArrow, Qt::Key_Up, 0},
    {Key::DownArrow, Qt::Key_Down, 0},
    {Key::F5, Qt::Key_F5, 0},
};

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags) {
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, flags & ModifierFlag::Shift);
    modifiers.setFlag(Qt::ControlModifier, flags & ModifierFlag::Control);
    modifiers.setFlag(Qt::AltModifier, flags & ModifierFlag::Option);
    modifiers.setFlag(Qt::MetaModifier, flags & ModifierFlag::Command);
    return modifiers;
}

} // namespace

SimOwnWindowInput::SimOwnWindowInput(SimDesktop& desktop) {
    m_keys = desktop.overlayWindows().keyEvent.connect(
        [](OwnWindowId window, KeyCode keyCode, ModifierFlags flags, bool pressed) {
            QWidget* widget = QWidget::find(static_cast<WId>(window));
            const auto key = std::find_if(std::begin(Keys), std::end(Keys),
                                          [keyCode](const QtKey& k) { return k.keyCode == keyCode; });
            if (!widget || key == std::end(Keys)) {
                ADD_FAILURE() << "no widget or qt key for key code " << keyCode;
                return;
            }
            QWidget* target = widget->focusWidget() ? widget->focusWidget() : widget;
            const QString text = key->text ? QString(QChar(key->text)) : QString();
            // The modifier keys were pressed before, as keys of their own.
            QTest::simulateEvent(target, pressed, key->key, qtModifiers(flags), text, false);
        });
    m_clicks = desktop.overlayWindows().leftMouseDown.connect([](OwnWindowId window, Point quartz) {
        QWidget* widget = QWidget::find(static_cast<WId>(window));
        if (!widget) {
            ADD_FAILURE() << "no widget for window " << window;
            return;
        }
        const QPointF global =
            QPointF(quartz.x, quartz.y) + QGuiApplication::primaryScreen()->geometry().topLeft();
        QWidget* target = widget->childAt(widget->mapFromGlobal(global.toPoint()));
        if (!target)
            target = widget;
        QTest::mousePress(target, Qt::LeftButton, {}, target->mapFromGlobal(global.toPoint()));
    });
}
