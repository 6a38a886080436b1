#pragma once

#include "platform/InputState.h"
#include "platform/sim/SimKeyboardLayout.h"

#include <mutex>

// Pointer, modifier keys and keyboard of the simulated desktop. The setters change the state only;
// SimDesktop's pointer and key methods also tell the event stream.
class SimInputState : public InputState {
public:
    SimInputState();

    Point pointerLocation() const override;
    ModifierFlags modifierFlags() const override;
    QString characterForKeyCode(KeyCode keyCode, ModifierFlags modifiers = 0) const override;
    bool reportsFunctionModifier() const override;
    double keyRepeatDelay() const override;
    double keyRepeatInterval() const override;

    void setPointerLocation(Point quartz);
    // Modifiers given without the side bit of their key are held on the left.
    void setModifierFlags(ModifierFlags flags);
    void setKeyboardLayout(SimKeyboardLayout layout);
    void setKeyRepeat(double delay, double interval);
    void setReportsFunctionModifier(bool reports);
    bool isLeftButtonDown() const;
    void setLeftButtonDown(bool down);

private:
    mutable std::mutex m_mutex;
    Point m_pointer;
    ModifierFlags m_flags = 0;
    bool m_leftButtonDown = false;
    bool m_reportsFunctionModifier = true;
    SimKeyboardLayout m_layout;
    double m_keyRepeatDelay;
    double m_keyRepeatInterval;
};
