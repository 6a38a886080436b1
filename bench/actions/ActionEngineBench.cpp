#include "../BenchApplication.h"
#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "window-access/WindowDescription.h"
#include "window-access/WindowObserver.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

// A layout is restored at once on a hot key, and by itself when the displays change, so every window of
// it is matched, mapped and set in one turn of the main thread.
namespace {

constexpr int ApplicationCount = 10;
constexpr int WindowsPerApplication = 5;
constexpr int WindowCount = ApplicationCount * WindowsPerApplication;

const Rect Primary(0, 0, 2560, 1440);
const Rect Second(2560, 0, 1920, 1080);

// A layout of every window: on the primary screen in a grid, or on the second one in a cascade.
std::shared_ptr<ZRAction> layoutOfDesktop(SimDesktop& sim, bool onSecondScreen) {
    ZRSnapshot snapshot;
    int index = 0;
    for (const RunningApplication& application : sim.workspace().runningApplications()) {
        for (int window = 0; window < WindowsPerApplication; ++window, ++index) {
            const Rect screen = onSecondScreen ? Second : Primary;
            const Rect frame = onSecondScreen ? Rect(Second.x() + 20 * index, 40 + 10 * index, 800, 600)
                                              : Rect(250 * (index % 10), 280 * (index / 10), 240, 270);
            snapshot.windowDescriptions.push_back(
                ZRMakeWindowDescription({application.bundleIdentifier, application.localizedName,
                                         QStringLiteral("Window %1").arg(window), frame, screen, screen}));
        }
    }
    snapshot.screenFrames = {Primary, Second};
    auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
    layout->setSnapshot(snapshot);
    return layout;
}

void BM_RestoreLayoutOfFiftyWindows(benchmark::State& state) {
    ensureBenchApplication();
    QTemporaryDir folder;
    UserDefaults settings(folder.filePath(QStringLiteral("Settings.plist")));
    RunLoop::main().useManualClock(0);
    {
        SimDesktop sim;
        sim.addScreen(Primary);
        sim.addScreen(Second);
        Platform::setCurrent(&sim);
        for (int a = 0; a < ApplicationCount; ++a) {
            auto& application = sim.addApplication(QStringLiteral("com.example.app%1").arg(a),
                                                   QStringLiteral("App %1").arg(a));
            for (int w = 0; w < WindowsPerApplication; ++w)
                sim.addWindow(application, Rect(10.0 * w, 10.0 * a, 500, 400),
                              QStringLiteral("Window %1").arg(w));
        }
        ZRActionManager store(settings, sim.globalHotKeys(), RunLoop::main(),
                              NotificationCenter::defaultCenter());
        ZRActionController engine(store, settings, sim, RunLoop::main(), ZRWindowObserver::defaultObserver());
        const std::shared_ptr<ZRAction> layouts[] = {layoutOfDesktop(sim, false), layoutOfDesktop(sim, true)};

        bool restored = true;
        int turn = 0;
        for (auto _ : state) {
            restored = engine.restoreSnapshotForAction(*layouts[turn++ % 2]) && restored;
            RunLoop::main().runPending();
        }
        if (!restored)
            state.SkipWithError("a layout was not restored");
        state.SetItemsProcessed(state.iterations() * WindowCount);
        Platform::setCurrent(nullptr);
    }
}
BENCHMARK(BM_RestoreLayoutOfFiftyWindows)->Unit(benchmark::kMillisecond);

} // namespace
