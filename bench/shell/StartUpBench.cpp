#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "tests/support/TestProgram.h"
#ifdef SKAF_X11_PREFERENCES
#include "platform/x11/X11SystemPreferences.h"
#endif
#include "shell/ZRMainController.h"
#include "shell/ZRShellAlerts.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The program's start on the simulated desktop, from reading the settings file to the end of the launch,
// with a store of 500 actions: a fifth of them with hot keys, and folders among them.
namespace {

constexpr int ActionCount = 500;
constexpr int ActionsPerFolder = 10;
constexpr int HotKeyEvery = 5;
constexpr ZRActionType Types[] = {ZRActionTypeCenter, ZRActionTypeHalf,    ZRActionTypeMove,
                                  ZRActionTypeResize, ZRActionTypeGrow,    ZRActionTypeMoveAndResize,
                                  ZRActionTypeFill,   ZRActionTypeQuarter, ZRActionTypeMoveToOtherDisplay};
// Keys with letters (A to Z are codes 0 to 50 with gaps; any code below 50 names a key) under four
// modifier combinations.
constexpr ModifierFlags HotKeyModifiers[] = {0x40000 | 0x80000, 0x40000 | 0x100000, 0x80000 | 0x100000,
                                             0x40000 | 0x80000 | 0x100000};
constexpr int HotKeyKeyCodes = 30;

class Quits : public ZRShellAlerts {
public:
    bool confirmQuit() override { return true; }
    SaveFailureAnswer actionsCouldNotBeSaved(const QString&) override {
        return SaveFailureAnswer::QuitAnyway;
    }
};

struct Desktop {
    Desktop() {
        static int argc = 1;
        static char name[] = "skaf_shell_bench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!ZRHotKeyHandlerApplication::instance())
            new ZRHotKeyHandlerApplication(argc, argv);
        RunLoop::main().useManualClock();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805));
        desktop.addScreen(Rect(1440, 0, 1920, 1080));
        Platform::setCurrent(&desktop);
        writeStore();
    }

    ~Desktop() { Platform::setCurrent(nullptr); }

    QString settingsPath() const { return folder.filePath(QStringLiteral("Settings.plist")); }

    void writeStore() {
        UserDefaults written(settingsPath());
        QVariantList records;
        QVariantList folderMembers;
        int hotKeys = 0;
        for (int i = 0; i < ActionCount; ++i) {
            auto action = ZRAction::actionWithType(Types[i % std::size(Types)]);
            if (i % HotKeyEvery == 0) {
                const KeyCode keyCode = static_cast<KeyCode>(hotKeys % HotKeyKeyCodes);
                const ModifierFlags flags =
                    HotKeyModifiers[(hotKeys / HotKeyKeyCodes) % std::size(HotKeyModifiers)];
                action->setHotKey(ZRHotKey::hotKeyWithIdentifer(
                    action->uniqueIdentifier(), QString(), keyCode, flags,
                    ZRHotKeyContext{desktop.globalHotKeys(), written, RunLoop::main()}));
                ++hotKeys;
            }
            const QVariantMap record = action->dictionaryRepresentation();
            if (i % (2 * ActionsPerFolder) < ActionsPerFolder) {
                records.append(record);
                continue;
            }
            folderMembers.append(record);
            if (folderMembers.size() == ActionsPerFolder) {
                auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
                QVariantMap folderRecord = folder->dictionaryRepresentation();
                folderRecord.insert(QStringLiteral("Children"), folderMembers);
                records.append(folderRecord);
                folderMembers.clear();
            }
        }
        written.setObject(records, QString::fromUtf16(ZRCustomControlsUserDefaultName));
        written.setBool(true, QStringLiteral("Quit Without Confirmation"));
        if (!written.save())
            qFatal("cannot write the settings of the start");
    }

    QTemporaryDir folder;
    SimDesktop desktop;
};

void BM_StartUpWith500Actions(benchmark::State& state) {
    static Desktop desktop;
    for (auto _ : state) {
        // Each start reads its settings anew, as the program does.
        UserDefaults settings(desktop.settingsPath());
        settings.load();
        std::optional<TestProgram> program(std::in_place, settings, desktop.desktop);
        ZRMainController& controller = program->controller();
        controller.setAlerts(std::make_unique<Quits>());
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        benchmark::DoNotOptimize(program->store().topLevelActions().size());

        state.PauseTiming();
        if (program->store().allActions().size() != ActionCount + ActionCount / (2 * ActionsPerFolder))
            state.SkipWithError("the store did not load every action");
        program.reset();
        RunLoop::main().runPending();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpWith500Actions)->Unit(benchmark::kMillisecond);

#ifdef SKAF_X11_PREFERENCES
// The same start with the global domain in preferences files as on X11 (one of them missing, as
// on most desktops): how often the files are looked at during one start.
void BM_StartUpWith500ActionsAndPreferencesFiles(benchmark::State& state) {
    static Desktop desktop;
    double checks = 0;
    for (auto _ : state) {
        X11SystemPreferences preferences(desktop.folder.filePath(QStringLiteral("Preferences")));
        UserDefaults settings(desktop.settingsPath(), &preferences);
        settings.load();
        std::optional<TestProgram> program(std::in_place, settings, desktop.desktop);
        ZRMainController& controller = program->controller();
        controller.setAlerts(std::make_unique<Quits>());
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        QCoreApplication::processEvents();
        checks = double(preferences.fileChecks());

        state.PauseTiming();
        program.reset();
        RunLoop::main().runPending();
        state.ResumeTiming();
    }
    state.counters["preference file checks per start (goal: at most 10)"] = checks;
}
BENCHMARK(BM_StartUpWith500ActionsAndPreferencesFiles)->Unit(benchmark::kMillisecond);
#endif

} // namespace
