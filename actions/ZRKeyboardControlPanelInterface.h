#pragma once

#include "platform/Accessibility.h"

// The keyboard control panel as the action engine uses it; keyboard control implements it and tells
// the engine of its life through ZRKeyboardControlPanelDelegate.
class ZRKeyboardControlPanelInterface {
public:
    virtual ~ZRKeyboardControlPanelInterface() = default;

    // Opens the panel over the window's screen with the window to control (null: the panel shows why no
    // window can be controlled). False when the panel has no frame to show on, which the engine reports.
    virtual bool activateForWindow(const AXElementRef& window) = 0;
    virtual bool isActive() const = 0;
    virtual void setActive(bool active) = 0;
    // The window the keys move; null when there is none.
    virtual AXElementRef controlledWindow() const = 0;
    // Pushes the panel's closing by itself back by its whole interval.
    virtual void scheduleAutoDeactivation() = 0;
};
