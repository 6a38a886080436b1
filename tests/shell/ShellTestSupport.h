#pragma once

#include "DesktopTest.h"
#include "TestApplication.h"
#include "TestProgram.h"

#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "shell/ZRApplicationArea.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellAlerts.h"
#include "shell/ZRStatusItemController.h"

#include <QFile>
#include <QStringList>
#include <memory>

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

// Every test: the program's application object, a simulated desktop with one screen, and no main
// controller or action store yet.
class ShellTest : public DesktopTest {
protected:
    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        screen = desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
    }

    void TearDown() override {
        program.reset();
        DesktopTest::TearDown();
    }

    // A new start of the program: the controller and the store of the last one are gone.
    void restart() {
        program.reset();
        openSettings();
    }

    // A new start with settings as a first start finds them.
    void freshStart() {
        program.reset();
        closeSettings();
        QFile::remove(settingsPath());
        openSettings();
    }

    // The program's main controller, made with its store on the settings there are when first asked for.
    ZRMainController& controller() {
        if (!program)
            program.emplace(settings(), desktop);
        return program->controller();
    }

    ZRMainController& launch() {
        ZRMainController& controller = this->controller();
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

    std::optional<TestProgram> program;
    std::uint32_t screen = 0;
    std::vector<std::unique_ptr<ZRApplicationArea>> pendingAreas;
    ScriptedAlerts* alerts = nullptr;
};
