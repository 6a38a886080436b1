#pragma once

#include "platform/InputState.h"

#include <memory>

class X11Desktop;
class X11Keyboard;

// The pointer and the keyboard as the server has them now.
class X11InputState : public InputState {
public:
    X11InputState(std::shared_ptr<X11Desktop> desktop, std::shared_ptr<X11Keyboard> keyboard);

    Point pointerLocation() const override;
    ModifierFlags modifierFlags() const override;
    QString characterForKeyCode(KeyCode keyCode, ModifierFlags modifiers = 0) const override;
    // The core protocol has no modifier bit for Fn: keyboards handle it themselves.
    bool reportsFunctionModifier() const override { return false; }
    double keyRepeatDelay() const override;
    double keyRepeatInterval() const override;

private:
    std::shared_ptr<X11Desktop> m_desktop;
    std::shared_ptr<X11Keyboard> m_keyboard;
};
