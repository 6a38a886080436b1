#include "../BenchApplication.h"
#include "MouseControlContext.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRDropZoneManager.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellDefaults.h"
#include "tests/support/TestProgram.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/WindowDescription.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Drop zones on three displays of 1920 x 1080 side by side, with the launch's settings: showing the zones of
// a 50-window layout when a drag asks for them, and finding the zone under the pointer on each drag step.
// The Escape hot key goes to the simulated desktop, which only records it; painting is left to the event
// loop, which does not run here.
namespace {

constexpr int LayoutWindowCount = 50;
const Rect Displays[] = {Rect(0, 0, 1920, 1080), Rect(1920, 0, 1920, 1080), Rect(3840, 0, 1920, 1080)};

struct Run {
    std::optional<TestProgram> program;

    Run() {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        for (const Rect& frame : Displays)
            desktop.addScreen(frame);
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRRegisterShellDefaults(settings());
        program.emplace(settings(), Platform::current());
        setFadingDuration(&ZRFocusWindow::defaultFocusWindow(), 0);
        context = std::make_unique<ZRMouseControlContext>(mouseControlContext(settings()));
        zones = std::make_unique<ZRDropZoneManager>(gestures, *context);
    }
    ~Run() {
        zones.reset();
        program.reset();
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    // Windows in a cascade, saved on the displays in turn, or all on the first.
    static std::shared_ptr<ZRAction> layout(bool onEveryDisplay) {
        auto action = ZRAction::actionWithType(ZRActionTypeLayout);
        ZRSnapshot snapshot;
        for (int i = 0; i < LayoutWindowCount; ++i) {
            const Rect display = Displays[onEveryDisplay ? i % 3 : 0];
            const Rect frame(display.x() + 20 * (i / 3), 40 + 15 * (i / 3), 800, 600);
            snapshot.windowDescriptions.push_back(
                ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"),
                                         QStringLiteral("Notes %1").arg(i), frame, display, display}));
        }
        action->setSnapshot(snapshot);
        return action;
    }

    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    SimDesktop desktop;
    ZRMouseGestures gestures;
    std::unique_ptr<ZRMouseControlContext> context;
    std::unique_ptr<ZRDropZoneManager> zones;
};

// From closed to shown, for a layout saved on three displays.
void BM_DropZoneActivation(benchmark::State& state) {
    Run run;
    const auto layout = Run::layout(true);
    ZRDropZoneManager& zones = *run.zones;
    for (auto _ : state) {
        benchmark::DoNotOptimize(zones.activateForAction(*layout));
        state.PauseTiming();
        zones.deactivate();
        state.ResumeTiming();
    }
    state.counters["zones"] = double(LayoutWindowCount);
}
BENCHMARK(BM_DropZoneActivation)->Unit(benchmark::kMicrosecond);

// One drag step over the 150 zones of a layout saved on one display and offered on all three, the pointer
// running along the bottom, below most zones.
void BM_DropZoneTrackingStep(benchmark::State& state) {
    Run run;
    const auto layout = Run::layout(false);
    ZRDropZoneManager& zones = *run.zones;
    zones.activateForAction(*layout);
    double x = 0;
    for (auto _ : state) {
        x = x >= 5759 ? 0 : x + 7;
        benchmark::DoNotOptimize(zones.updateWithCGLocation(Point(x, 1070)));
    }
    state.counters["zones"] = double(zones.dropZones().size());
}
BENCHMARK(BM_DropZoneTrackingStep);

} // namespace
