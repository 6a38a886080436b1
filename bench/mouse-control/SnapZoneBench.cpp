#include "../BenchApplication.h"
#include "MouseControlContext.h"

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapZones.h"
#include "mouse-control/ZRSnapping.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRShellDefaults.h"
#include "tests/support/TestProgram.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Finding the snap zone under the pointer and its target, as every step of a drag does while a window is
// seen to move: on four displays of 1920 x 1080 in a square, the pointer running along the top edge of the
// first (the top zone and its corners) with the launch's settings.
namespace {

struct Run {
    std::optional<TestProgram> program;

    Run() {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        for (const Rect& frame : {Rect(0, 0, 1920, 1080), Rect(1920, 0, 1920, 1080),
                                  Rect(0, 1080, 1920, 1080), Rect(1920, 1080, 1920, 1080)})
            desktop.addScreen(frame);
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRRegisterShellDefaults(settings());
        program.emplace(settings(), Platform::current());
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        settings().setBool(true, ZRMouseControlDefault::Snap);
        controller->updateFeatureFlagsAndTap();
        auto& application =
            desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        desktop.addWindow(application, Rect(400, 300, 600, 400));
        ZRSnapGesture& snap = controller->gestures().snap;
        snap.beginTracking(desktop.accessibility().elementAtPosition(Point(700, 500)));
        snap.noteMoved();
    }
    ~Run() {
        controller.reset();
        program.reset();
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    SimDesktop desktop;
    std::unique_ptr<ZRMouseController> controller;
};

// One drag step's search: the settings, the screens, the zone and its target.
void BM_SnapZoneFinderStep(benchmark::State& state) {
    Run run;
    auto& snapping = static_cast<ZRSnapping&>(run.controller->snapping());
    double x = 0;
    Rect screen;
    for (auto _ : state) {
        x = x >= 1919 ? 0 : x + 7;
        run.desktop.movePointer(Point(x, 3));
        benchmark::DoNotOptimize(snapping.snapFrameAtCurrentMouseLocation(false, false, &screen));
    }
}
BENCHMARK(BM_SnapZoneFinderStep);

// The zone alone, on screens found beforehand.
void BM_SnapZoneAtLocation(benchmark::State& state) {
    Run run;
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(run.settings());
    const ZRSnapZoneSettings settings = ZRSnapZoneSettings::read(run.settings(), false);
    double x = 0;
    for (auto _ : state) {
        x = x >= 1919 ? 0 : x + 7;
        benchmark::DoNotOptimize(ZRSnapZoneAtLocation(Point(x, 2157), screens, settings, false));
    }
}
BENCHMARK(BM_SnapZoneAtLocation);

} // namespace
