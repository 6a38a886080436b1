#pragma once

#include "TestActionStore.h"

#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRSettingsContext.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowObserver.h"

#include <memory>

// The program's long-lived parts as its main makes and joins them: the store above and the main controller
// on the test's settings and desktop. The controller goes first.
class TestProgram {
public:
    TestProgram(UserDefaults& defaults, Platform& platform)
        : m_defaults(defaults), m_platform(platform), m_systemWindowSettings(defaults, platform),
          m_store(defaults, platform.globalHotKeys()),
          m_controller(std::make_unique<ZRMainController>(
              m_store.store(), defaults, platform, RunLoop::main(), ZRWindowObserver::defaultObserver())) {}
    ~TestProgram() { m_controller.reset(); }

    ZRActionManager& store() { return m_store.store(); }
    ZRActionManager& loadedStore() { return m_store.loaded(); }
    ZRMainController& controller() { return *m_controller; }
    // What a settings window of this program is made with.
    ZRSettingsContext settingsContext() {
        return {*m_controller,
                store(),
                m_defaults,
                m_platform,
                RunLoop::main(),
                NotificationCenter::defaultCenter(),
                [this]() -> ZRFocusWindow& { return m_focusWindows.focusWindow(); },
                ZRAboutPanelManager::aboutPanelManager(),
                [this]() -> ZRSystemWindowSettings& { return m_systemWindowSettings; }};
    }

private:
    UserDefaults& m_defaults;
    Platform& m_platform;
    // A new program is a new run of the desktop's window features.
    ZRSystemWindowSettings m_systemWindowSettings;
    ZRSystemWindowSettings::Installation m_installedSystemWindowSettings{m_systemWindowSettings};
    ZRFocusWindow::Installation m_focusWindows{m_defaults, RunLoop::main(), m_platform.screens()};
    TestActionStore m_store;
    std::unique_ptr<ZRMainController> m_controller;
};
