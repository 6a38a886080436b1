#pragma once

#include "keyboard-control/ZRHotKeyHandlerApplication.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimPreferencesTool.h"
#include "toolkit/ZRLog.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

// Readable texts in the failures of tests.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}

class RecordingLogReader : public ZRLogReader {
public:
    void logMessage(const QString& message) override {
        std::lock_guard lock(mutex);
        lines += message;
    }
    void displayLog(QObject*) override {}

    std::mutex mutex;
    QStringList lines;
};

// The program's own application object, on the offscreen display: the main controller's menus need one.
inline ZRHotKeyHandlerApplication& testApplication() {
    static int argc = 1;
    static char name[] = "skaf_mouse_control_tests";
    static char* argv[] = {name, nullptr};
    if (!ZRHotKeyHandlerApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new ZRHotKeyHandlerApplication(argc, argv);
    }
    return *ZRHotKeyHandlerApplication::instance();
}

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

// Every test: a fresh simulated desktop installed as the platform, settings in a folder of their own, the
// manual clock, a new run of the system settings, and the log recorded.
class MouseControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        ASSERT_TRUE(folder.isValid());
        RunLoop::main().useManualClock(100);
        Platform::setCurrent(&desktop);
        openSettings();
        ZRSystemWindowSettings::resetShared();
        ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return log; });
    }

    void TearDown() override {
        RunLoop::main().runPending();
        ZRSetLogReaderFactory({});
        ZRSystemWindowSettings::resetShared();
        UserDefaults::setStandard(nullptr);
        Platform::setCurrent(nullptr);
    }

    // Reads the settings file afresh, as a new start of the program would.
    void openSettings() {
        UserDefaults::setStandard(std::make_unique<UserDefaults>(
            folder.filePath(QStringLiteral("Settings.plist")), &desktop.systemPreferences()));
        UserDefaults::standard().load();
    }

    static void set(const QString& key, const QVariant& value) {
        UserDefaults::standard().setObject(value, key);
    }

    bool logged(const QString& text) const {
        std::lock_guard lock(log->mutex);
        return std::any_of(log->lines.begin(), log->lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    // The argument lists given to the preferences tool, in order.
    std::vector<QStringList> toolRuns() {
        std::vector<QStringList> runs;
        for (const auto& run : desktop.processes().runs())
            if (run.program == desktop.systemPreferences().preferencesToolPath())
                runs.push_back(run.arguments);
        return runs;
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

    QTemporaryDir folder;
    SimDesktop desktop;
    std::shared_ptr<RecordingLogReader> log = std::make_shared<RecordingLogReader>();
};
