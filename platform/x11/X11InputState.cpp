#include "platform/x11/X11InputState.h"

#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Keyboard.h"

X11InputState::X11InputState(std::shared_ptr<X11Desktop> desktop, std::shared_ptr<X11Keyboard> keyboard)
    : m_desktop(std::move(desktop)), m_keyboard(std::move(keyboard)) {}

Point X11InputState::pointerLocation() const {
    X11Connection& connection = m_desktop->connection();
    const auto pointer =
        connection.reply(xcb_query_pointer_reply, xcb_query_pointer(connection.xcb(), connection.root()));
    if (!pointer)
        return {};
    return m_desktop->quartzFromRoot(pointer->root_x, pointer->root_y);
}

ModifierFlags X11InputState::modifierFlags() const {
    return m_keyboard->currentFlags();
}

QString X11InputState::characterForKeyCode(KeyCode keyCode, ModifierFlags modifiers) const {
    return m_keyboard->character(keyCode, modifiers);
}

double X11InputState::keyRepeatDelay() const {
    return m_keyboard->repeatDelay();
}

double X11InputState::keyRepeatInterval() const {
    return m_keyboard->repeatInterval();
}
