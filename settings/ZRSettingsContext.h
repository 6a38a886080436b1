#pragma once

#include <functional>

class NotificationCenter;
class Platform;
class RunLoop;
class UserDefaults;
class ZRAboutPanelManager;
class ZRActionManager;
class ZRFocusWindow;
class ZRMainController;
class ZRSystemWindowSettings;

// What the settings window uses of the program, handed to its controller (ZRSettingsController) by the
// program's main, and by the controller to its panes, its sidebar and its editors. Each outlives the
// controller.
struct ZRSettingsContext {
    // The main controller, whose area the settings window is: its menus, its hot keys and the other areas.
    ZRMainController& controller;
    // The action store, which the launch loads before the window is built.
    ZRActionManager& store;
    UserDefaults& defaults;
    // The desktop: its appearance, its preferences, its keyboard and its screens.
    Platform& platform;
    // The main thread's run loop, for what waits for a later turn.
    RunLoop& mainRunLoop;
    NotificationCenter& notifications;
    // The focus window that the focus settings show off, asked for when they change.
    std::function<ZRFocusWindow&()> focusWindow;
    // The about panel, which the help menu of the window shows.
    ZRAboutPanelManager& aboutPanel;
    // The desktop's own window settings, whose zoom-button menu the palette's pane offers to manage; asked
    // for when the pane's controls change, as mouse control may make them first.
    std::function<ZRSystemWindowSettings&()> systemWindowSettings;
};
