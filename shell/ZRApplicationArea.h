#pragma once

#include "platform/Workspace.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QMenu;
class UserDefaults;
class ZRHotKey;

// A subsystem that lies above the shell (mouse control, keyboard control, the settings window) and
// plugs into the main controller. The composition root (the program's main) makes each area and hands
// it to ZRMainController::addArea before launching; the main controller owns it from then on, hands it
// out by type (`mainController().area<ZRMouseController>()`) and calls the hooks below at the moments
// of the program's life. Every hook has a body that does nothing, so an area overrides only its own.
//
// The hooks run in this order, each over all areas in the order they were added:
//
//   launch    registerDefaults, migrateDefaults      (while the application will finish launching)
//             fillSettingsControls                    mouse feature flags, event tap, system tiling
//             (the shell registers the hot keys of the keyboard menu and the keyboard control panel
//             and tells settingsHotKeyDidChange)
//             buildSettingsWindow                     the settings window, then the action store
//             showSettingsWindow                      unless in stealth mode with the intro seen
//             (the shell shows the status item on the next turn of the run loop)
//             didFinishLaunching                      the launch is over
//             openFiles                               files opened before the launch finished
//   running   activeApplicationDidChange, activeSpaceDidChange, willSleep, didWake,
//             screenParametersDidChange, settingsHotKeyDidChange, populateStatusMenu
//   quit      applicationWillTerminate                after the action store is saved
//
// Areas run on the main thread only. An area may reach the shell and its other areas through
// ZRMainController::mainController() from any hook.
class ZRApplicationArea {
public:
    virtual ~ZRApplicationArea() = default;

    // --- Launch

    // Registers the area's own defaults, after the shell registered its own and before migrations.
    virtual void registerDefaults(UserDefaults& defaults) {}
    // Moves values of older keys of the area to their current keys.
    virtual void migrateDefaults(UserDefaults& defaults) {}
    // Fills the settings controls from the defaults and acts on them (feature flags, event tap).
    virtual void fillSettingsControls() {}
    // Builds the settings window, which loads the action store; the shell makes sure the store is loaded
    // afterwards, settings window or not.
    virtual void buildSettingsWindow() {}
    // Whether the area has a settings window to open, and opens it; answers whether it did.
    virtual bool hasSettingsWindow() const { return false; }
    virtual bool showSettingsWindow() { return false; }
    virtual void didFinishLaunching() {}
    // Opens files handed to the program (exported actions); answers whether the area took them.
    virtual bool openFiles(const QStringList& paths) { return false; }

    // --- Running

    virtual void activeApplicationDidChange(const std::optional<RunningApplication>& application) {}
    virtual void activeSpaceDidChange() {}
    virtual void willSleep() {}
    virtual void didWake() {}
    // Screens were added, removed, moved or resized.
    virtual void screenParametersDidChange() {}
    // One of the two settings hot keys ("Keyboard Menu", "Keyboard Controls") was set, cleared, or
    // registered at launch; null: there is none, or it is not active.
    virtual void settingsHotKeyDidChange(const QString& identifier, const std::shared_ptr<ZRHotKey>& hotKey,
                                         bool active) {}
    // The user chose to give the keyboard control panel a hot key (after setting a local hot key without
    // one): the area that has the recorder field starts recording there. Answers whether it did.
    virtual bool beginAssigningKeyboardControlHotKey() { return false; }
    // Adds the area's items to the status-item menu, between the actions and the program's own items.
    virtual void populateStatusMenu(QMenu* menu) {}

    // --- Quit

    // The program quits: the action store is saved. Undo what must not outlive the program.
    virtual void applicationWillTerminate() {}
};
