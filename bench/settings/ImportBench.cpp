#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRHotKeyHandlerApplication.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "settings/ZRActionCollectionFile.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"
#include "shell/ZRMainController.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

// An import of a file of n actions through the path a later start takes ("skaf FILE"), into the settings
// window with its sidebar shown: reading, making the actions and rows, selecting what came in. The time
// per action should not grow with n.
// Run: QT_QPA_PLATFORM=offscreen build/bin/skaf_settings_bench --benchmark_filter=Import
namespace {

struct ImportProgram {
    explicit ImportProgram(const QString& file) {
        static int argc = 1;
        static char name[] = "skaf_settings_bench";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!ZRHotKeyHandlerApplication::instance())
            new ZRHotKeyHandlerApplication(argc, argv);
        RunLoop::main().useManualClock();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        Platform::setCurrent(&desktop);
        UserDefaults::setStandard(std::make_unique<UserDefaults>(
            folder.filePath(QStringLiteral("Settings.plist")), &desktop.systemPreferences()));
        ZRMainController& controller = ZRMainController::mainController();
        auto area = std::make_unique<ZRSettingsController>();
        settings = area.get();
        controller.addArea(std::move(area));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        RunLoop::main().runPending();
        path = file;
    }
    ~ImportProgram() {
        ZRMainController::destroyMainController();
        ZRActionManager::setActionManager(nullptr);
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    ZRSettingsController* settings = nullptr;
    QString path;
};

QString writeActions(const QTemporaryDir& folder, int count) {
    QVariantList records;
    for (int i = 0; i < count; ++i) {
        auto action = ZRAction::actionWithType(i % 2 ? ZRActionTypeCenter : ZRActionTypeMoveAndResize);
        action->setName(QStringLiteral("Imported %1").arg(i));
        records.append(action->dictionaryRepresentation());
    }
    const QString path = folder.filePath(QStringLiteral("%1.skaf").arg(count));
    ZRActionCollectionFile::write(path, records);
    return path;
}

void BM_ImportActions(benchmark::State& state) {
    const int count = int(state.range(0));
    QTemporaryDir files;
    const QString path = writeActions(files, count);
    for (auto _ : state) {
        ImportProgram program(path);
        const auto start = std::chrono::steady_clock::now();
        program.settings->sidebar().openFiles({path});
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (ZRActionManager::actionManager().topLevelActions().size() != std::size_t(count))
            state.SkipWithError("the import lost actions");
    }
    state.counters["per_action_us"] = benchmark::Counter(
        double(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
        benchmark::Counter::kIs1000);
}
BENCHMARK(BM_ImportActions)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
