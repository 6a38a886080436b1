#pragma once

#include <functional>

class Platform;
class RunLoop;
class UserDefaults;
class ZRFocusWindow;
class ZRWindowObserver;

// What keyboard control uses of the program, handed to its area controller (ZRKeyboardController) by the
// program's main, and by the controller to the panel, the keyboard menu and the full-size grid. Nothing of
// keyboard control reaches these through the program's shared instances, so a test gives them a desktop and
// settings of its own. Each outlives the controller.
struct ZRKeyboardControlContext {
    // The desktop: its screens, pointer and event stream.
    Platform& platform;
    UserDefaults& defaults;
    // The main thread's run loop, for what waits for a later turn.
    RunLoop& mainRunLoop;
    // The focus window, made on first use, which dims the screen around the window the keys move.
    std::function<ZRFocusWindow&()> focusWindow;
    // Tells the keyboard control panel of its window's moves and resizes; the one the actions pause while
    // they move a window themselves.
    ZRWindowObserver& windowObserver;
};
