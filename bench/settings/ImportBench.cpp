#include "SettingsBenchProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRActionCollectionFile.h"
#include "settings/ZRSidebarController.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

// An import of a file of n actions through the path a later start takes ("skaf FILE"), into the settings
// window with its sidebar shown: reading, making the actions and rows, selecting what came in. The time
// per action should not grow with n.
// Run: QT_QPA_PLATFORM=offscreen build/bin/skaf_settings_bench --benchmark_filter=Import
namespace {

QString writeActions(const QTemporaryDir& folder, int count) {
    QVariantList records;
    for (int i = 0; i < count; ++i) {
        auto action = ZRAction::actionWithType(i % 2 ? ZRActionTypeCenter : ZRActionTypeMoveAndResize);
        action->setName(QStringLiteral("Imported %1").arg(i));
        records.append(action->dictionaryRepresentation());
    }
    const QString path = folder.filePath(QStringLiteral("%1.skaf").arg(count));
    if (!ZRActionCollectionFile::write(path, records))
        qFatal("cannot write the file to import: %s", qPrintable(path));
    return path;
}

void BM_ImportActions(benchmark::State& state) {
    const int count = int(state.range(0));
    QTemporaryDir files;
    const QString path = writeActions(files, count);
    for (auto _ : state) {
        SettingsBenchProgram program(false);
        RunLoop::main().runPending();
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
