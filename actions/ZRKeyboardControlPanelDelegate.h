#pragma once

#include <memory>

class ZRAction;
class ZRKeyboardControlPanelInterface;
struct KeyEvent;

// What the keyboard control panel tells its delegate, the action engine. Every question has an answer
// that lets the panel go on by itself, so a delegate overrides only what it needs.
class ZRKeyboardControlPanelDelegate {
public:
    virtual ~ZRKeyboardControlPanelDelegate() = default;

    virtual void keyboardControlPanelDidBecomeActive(ZRKeyboardControlPanelInterface& panel, bool active) {}
    // True when the delegate consumed the key press.
    virtual bool keyboardControlPanelShouldIgnoreEvent(ZRKeyboardControlPanelInterface& panel,
                                                       const KeyEvent& event) {
        return false;
    }
    virtual bool keyboardControlPanelTriggerAction(ZRKeyboardControlPanelInterface& panel,
                                                   const std::shared_ptr<ZRAction>& action) {
        return false;
    }
    virtual bool keyboardControlPanelShouldAutoDeactivate(ZRKeyboardControlPanelInterface& panel) {
        return true;
    }
};
