#pragma once

#include "platform/Signal.h"

class SimDesktop;

// Hands the simulated desktop's input for the program's windows to their widgets, as the window system
// would: key presses for the window that holds the keyboard, and left-button presses on an overlay (or
// anywhere while the program holds the pointer), as spontaneous Qt events. Keys the table below does not
// know are dropped with a test failure.
class SimOwnWindowInput {
public:
    explicit SimOwnWindowInput(SimDesktop& desktop);

private:
    Connection m_keys;
    Connection m_clicks;
};
