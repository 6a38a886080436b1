#pragma once

#include <functional>

class DispatchQueue;
class NotificationCenter;
class Platform;
class RunLoop;
class UserDefaults;
class ZRActionManager;
class ZRFocusWindow;
class ZRMainController;
class ZRSystemWindowSettings;
class ZRWindowObserver;

// What mouse control uses of the program, handed to its area controller (ZRMouseController) by the
// program's main, and by the controller to the parts it makes: hover, snapping, the palette and the drop
// zones. Each outlives the controller.
struct ZRMouseControlContext {
    // The desktop: its event stream, pointer, screens, windows and applications.
    Platform& platform;
    UserDefaults& defaults;
    // The main thread's run loop, for the delays and what waits for a later turn.
    RunLoop& mainRunLoop;
    // The high-priority workers that set the frames of a hover gesture off the main thread.
    DispatchQueue& hoverQueue;
    NotificationCenter& notifications;
    // Follows the moves of a window dragged for snapping.
    ZRWindowObserver& windowObserver;
    // The focus window that snapping, the drop zones and the palette draw through, made when first used.
    std::function<ZRFocusWindow&()> focusWindow;
    // The desktop's own tiling and zoom-button menu, which mouse control turns off while it acts.
    std::function<ZRSystemWindowSettings&()> systemWindowSettings;
    // The action store and the main controller (the frame memory of its actions, the menus of the palette's
    // buttons, the owner of the drop zones' Escape key) are asked for when mouse control acts, not when it is
    // made: a test can make mouse control before the program it acts in.
    std::function<ZRActionManager&()> actionStore;
    std::function<ZRMainController&()> mainController;
};
