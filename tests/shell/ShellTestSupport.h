#pragma once

#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRHotKeyHandlerApplication.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRApplicationArea.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellAlerts.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/ZRLog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <mutex>

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

// Answers the shell's questions as the test says, and counts them.
class ScriptedAlerts : public ZRShellAlerts {
public:
    bool confirmQuit() override {
        ++quitQuestions;
        return quits;
    }
    SaveFailureAnswer actionsCouldNotBeSaved(const QString&) override {
        ++saveFailures;
        return quitsAfterFailedSave ? SaveFailureAnswer::QuitAnyway : SaveFailureAnswer::DoNotQuit;
    }

    bool quits = true;
    bool quitsAfterFailedSave = true;
    int quitQuestions = 0;
    int saveFailures = 0;
};

// An area above the shell that writes down every hook it hears, in order.
class RecordingArea : public ZRApplicationArea {
public:
    explicit RecordingArea(QStringList* calls, QString name = QStringLiteral("area"))
        : m_calls(calls), m_name(std::move(name)) {}

    void registerDefaults(UserDefaults&) override { note(QStringLiteral("registerDefaults")); }
    void migrateDefaults(UserDefaults&) override { note(QStringLiteral("migrateDefaults")); }
    void fillSettingsControls() override { note(QStringLiteral("fillSettingsControls")); }
    void buildSettingsWindow() override { note(QStringLiteral("buildSettingsWindow")); }
    bool hasSettingsWindow() const override { return true; }
    bool showSettingsWindow() override {
        note(QStringLiteral("showSettingsWindow"));
        return true;
    }
    void didFinishLaunching() override { note(QStringLiteral("didFinishLaunching")); }
    bool openFiles(const QStringList& paths) override {
        note(QStringLiteral("openFiles ") + paths.join(u','));
        return true;
    }
    void activeApplicationDidChange(const std::optional<RunningApplication>& application) override {
        note(QStringLiteral("activeApplicationDidChange ") +
             (application ? application->localizedName : QString()));
    }
    void activeSpaceDidChange() override { note(QStringLiteral("activeSpaceDidChange")); }
    void willSleep() override { note(QStringLiteral("willSleep")); }
    void didWake() override { note(QStringLiteral("didWake")); }
    void screenParametersDidChange() override { note(QStringLiteral("screenParametersDidChange")); }
    void settingsHotKeyDidChange(const QString& identifier, const std::shared_ptr<ZRHotKey>& hotKey,
                                 bool active) override {
        note(QStringLiteral("settingsHotKeyDidChange %1 %2 %3")
                 .arg(identifier, hotKey ? QStringLiteral("hot key") : QStringLiteral("none"),
                      active ? QStringLiteral("active") : QStringLiteral("not active")));
    }
    void applicationWillTerminate() override { note(QStringLiteral("applicationWillTerminate")); }

private:
    void note(const QString& call) { m_calls->append(call); }

    QStringList* m_calls;
    QString m_name;
};

inline ZRHotKeyHandlerApplication& testApplication() {
    static int argc = 1;
    static char name[] = "skaf_shell_tests";
    static char* argv[] = {name, nullptr};
    if (!ZRHotKeyHandlerApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new ZRHotKeyHandlerApplication(argc, argv);
    }
    return *ZRHotKeyHandlerApplication::instance();
}

// Every test: a simulated desktop with one screen, settings in a folder of their own (loaded as the
// program loads them), the manual clock, the log recorded, and no main controller or action store yet.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        ASSERT_TRUE(folder.isValid());
        RunLoop::main().useManualClock(100);
        screen = desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        Platform::setCurrent(&desktop);
        ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return log; });
        startSettings();
    }

    void TearDown() override {
        ZRMainController::destroyMainController();
        ZRActionManager::setActionManager(nullptr);
        RunLoop::main().runPending();
        ZRSetLogReaderFactory({});
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("Settings.plist")); }

    // The settings as the program finds them when it starts.
    UserDefaults::LoadResult startSettings() {
        UserDefaults::setStandard(std::make_unique<UserDefaults>(settingsPath()));
        return UserDefaults::standard().load();
    }

    // A new start of the program: the controller and the store of the last one are gone.
    void restart() {
        ZRMainController::destroyMainController();
        ZRActionManager::setActionManager(nullptr);
        startSettings();
    }

    // A new start with settings as a first start finds them.
    void freshStart() {
        restart();
        UserDefaults::setStandard(std::make_unique<UserDefaults>(settingsPath()));
        QFile::remove(settingsPath());
        startSettings();
    }

    ZRMainController& launch() {
        ZRMainController& controller = ZRMainController::mainController();
        auto scripted = std::make_unique<ScriptedAlerts>();
        alerts = scripted.get();
        controller.setAlerts(std::move(scripted));
        for (auto& area : pendingAreas)
            controller.addArea(std::move(area));
        pendingAreas.clear();
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        return controller;
    }

    bool logged(const QString& text) const {
        std::lock_guard lock(log->mutex);
        return std::any_of(log->lines.begin(), log->lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    std::uint32_t screen = 0;
    std::shared_ptr<RecordingLogReader> log = std::make_shared<RecordingLogReader>();
    std::vector<std::unique_ptr<ZRApplicationArea>> pendingAreas;
    ScriptedAlerts* alerts = nullptr;
};
