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

#include <memory>

// The program's long-lived parts as its main makes and joins them: the store above and the main controller
// on the test's settings and desktop. The controller goes first.
class TestProgram {
public:
    TestProgram(UserDefaults& defaults, Platform& platform)
        : m_defaults(defaults), m_platform(platform), m_store(defaults, platform.globalHotKeys()),
          m_controller(
              std::make_unique<ZRMainController>(m_store.store(), defaults, platform, RunLoop::main())) {}
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
                &ZRFocusWindow::defaultFocusWindow,
                ZRAboutPanelManager::aboutPanelManager(),
                &ZRSystemWindowSettings::shared};
    }

private:
    UserDefaults& m_defaults;
    Platform& m_platform;
    TestActionStore m_store;
    std::unique_ptr<ZRMainController> m_controller;
};
