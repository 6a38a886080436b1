#pragma once

#include "DesktopTest.h"
#include "TestApplication.h"

#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/sim/SimPreferencesTool.h"

#include <QStringList>
#include <vector>

// What the preferences tool is given when snapping, drop snap and the palette turn the desktop's own
// features off.
inline std::vector<QStringList> takeOverToolRuns() {
    const QString wm = ZRSystemWindowSettings::WindowManagerDomain;
    return {
        {"write", wm, ZRSystemWindowSettings::TilingByEdgeDragKey, "-bool", "NO"},
        {"write", wm, ZRSystemWindowSettings::TilingOptionAcceleratorKey, "-bool", "NO"},
        {"write", "-g", ZRSystemWindowSettings::ZoomButtonMenuOptionKey, "-int", "2"},
    };
}

// Every test: the program's application object on a fresh simulated desktop.
class MouseControlTest : public DesktopTest {
protected:
    using DesktopTest::DesktopTest;

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
    }

    void TearDown() override {
        RunLoop::main().runPending();
        DesktopTest::TearDown();
    }

    // The preferences tool answers as scripted instead of writing.
    void scriptTool(SimProgramBehaviour behaviour) {
        desktop.processes().script(desktop.systemPreferences().preferencesToolPath(), behaviour);
    }
    void restoreTool() {
        SimSystemPreferences& preferences = desktop.systemPreferences();
        desktop.processes().script(preferences.preferencesToolPath(),
                                   [&preferences](const QStringList& arguments) {
                                       return runSimPreferencesTool(preferences, arguments);
                                   });
    }
};
